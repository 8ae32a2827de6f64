#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "RunTypes.h"

namespace torvel {

class FileSystem;
class FolderHandle;

// How the files of a run reach their new names.
enum class Carry : std::uint8_t
{
    Rename, // within the source folder
    Move,   // into the destination folder, the source removed
    Copy,   // into the destination folder, the source kept
};

// Same-name files: the files of the source folder that share a row's old base
// name and have other extensions travel with the row's file and take its new
// base name ("photo.xmp" follows "photo.jpg" -> "TOR01.jpg" as "TOR01.xmp").
//
// The source folder is read once, when the run begins, and its names are
// indexed by the part before their first "."; with 100,000 rows a fresh read
// of the folder per row would cost far more than the run itself. The index is
// kept in step with what the run does to the folder.
//
// A match is the base itself or the base followed by "." and anything, letter
// case ignored, as the desktop's wildcard base + ".*" reads it. A match whose
// target name is taken is left where it is; nothing is ever replaced here.
// Files of the batch are never taken along: another row's file, or a file the
// run has already given a new name, is not moved a second time by a row
// whose old base it happens to share.
class SameNameFiles
{
public:
    // names: the source folder's names, read as the run began, in folder
    // order. Every current name of rows belongs to the batch.
    SameNameFiles(FileSystem& fs, const FolderHandle& searchDir, const FolderHandle& changeDir,
                  Carry carry, std::vector<std::string> names, const std::vector<RunRow>& rows);

    // Takes along the files that share row's old base name; called right
    // after the row's own file reached its new name. A match that the file
    // system refuses is added to failures; one whose target is taken, or that
    // has gone from the folder since it was read, is passed over.
    void SameName(const RunRow& row, std::vector<FileFailure>& failures);

    // The name of a file of the batch, or one the run produced in the source
    // folder: never taken along.
    void keepOut(std::string_view name);

private:
    enum class State : std::uint8_t { Present, Gone, KeptOut };

    using IndexEntry = std::pair<std::uint64_t, std::uint32_t>;
    using Candidates = std::pair<std::vector<IndexEntry>::const_iterator,
                                 std::vector<IndexEntry>::const_iterator>;

    // The entries that may match base, in folder order.
    Candidates candidates(std::string_view base) const;
    int carryOne(const std::string& name, const std::string& target);
    RunStep failedStep() const;

    FileSystem& m_fs;
    const FolderHandle& m_searchDir;
    const FolderHandle& m_changeDir;
    Carry m_carry;
    std::vector<std::string> m_names;
    std::vector<State> m_state;
    // (key of the part before the first ".", index into m_names), sorted, so
    // that equal keys list their names in folder order.
    std::vector<IndexEntry> m_index;
};

} // namespace torvel
