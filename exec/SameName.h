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
class RunRecord;

// Same-name files: the files of the source folder that share a row's old base
// name and have other extensions travel with the row's file and take its new
// base name ("photo.xmp" follows "photo.jpg" -> "TOR01.jpg" as "TOR01.xmp").
//
// A match is the base itself or the base followed by "." and anything, letter
// case ignored, as the desktop's wildcard base + ".*" reads it. A file of the
// batch is never a match: another row's file travels as that row. A name
// without a base (".profile") has no same-name files; its wildcard would take
// every hidden file of the folder along.
//
// The source folder is read once, when the run begins, and its names are
// indexed by the part before their first "."; with 100,000 rows a fresh read
// of the folder per row would cost far more than the run itself.
class SameNameIndex
{
public:
    // names: the source folder's names, read as the run began, in folder
    // order. Every current name of rows belongs to the batch.
    SameNameIndex(std::vector<std::string> names, const std::vector<RunRow>& rows);

    // The names still present that match base + ".*", in folder order.
    std::vector<std::uint32_t> matches(std::string_view base) const;
    const std::string& name(std::uint32_t i) const { return m_names[i]; }
    // The name no longer stands in the source folder under what was read.
    void gone(std::uint32_t i) { m_present[i] = false; }

    // The matches of row's old base, which no later row can then take: for
    // a rename in place, where every file moves exactly once.
    std::vector<std::string> claim(const RunRow& row);

private:
    using IndexEntry = std::pair<std::uint64_t, std::uint32_t>;

    std::vector<std::string> m_names;
    std::vector<bool> m_present;
    // (key of the part before the first ".", index into m_names), sorted, so
    // that equal keys list their names in folder order.
    std::vector<IndexEntry> m_index;
};

// The target of a same-name file: the row's new base and the file's own
// extension.
std::string sameNameTarget(const RunRow& row, std::string_view name);

// How the files of a move or copy run reach their new names.
enum class Carry : std::uint8_t
{
    Move, // into the destination folder, the source removed
    Copy, // into the destination folder, the source kept
};

// Carries the same-name files of a move or copy run into the destination
// folder. Nothing is ever replaced here: a match whose target is taken stays
// where it is and is reported like any other that could not follow.
class SameNameFiles
{
public:
    SameNameFiles(FileSystem& fs, const FolderHandle& searchDir, const FolderHandle& changeDir,
                  Carry carry, std::vector<std::string> names, const std::vector<RunRow>& rows);

    // Takes along the files that share row's old base name; called right
    // after the row's own file reached its new name. A match that cannot
    // follow is a failure in record; one that has gone from the folder since
    // it was read is no longer a match and is passed over.
    void SameName(const RunRow& row, RunRecord& record);

private:
    int carryOne(const std::string& name, const std::string& target, MetadataLost& lost);

    FileSystem& m_fs;
    const FolderHandle& m_searchDir;
    const FolderHandle& m_changeDir;
    Carry m_carry;
    SameNameIndex m_index;
};

} // namespace torvel
