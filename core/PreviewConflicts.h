#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "PosixFileSystem.h"

namespace torvel {

class TMyFileList;

// Why a preview row's run would not go through as shown. The marks only
// inform: the run keeps its own rules (a question before the trash, a
// failure when duplicates are avoided).
enum class RowConflict : std::uint8_t
{
    None,
    NameTaken,   // a file outside the batch holds the new name
    SameNewName, // an earlier row was given the same new name
    CannotHold,  // the destination's file system cannot hold the name
    SourceGone,  // the file is no longer in its folder
};

// Why a marked row's run would not go through as shown, UTF-8, in the
// words of the row's hint. takenFails: duplicates are avoided, so a name
// taken outside the batch fails the row instead of a question before the
// trash.
const char* conflictReason(RowConflict conflict, bool takenFails);

// The conflict of every item of the list, in list order, from its current
// and new names. Each folder is read once, whatever the number of rows;
// nothing is looked up per row. A folder that cannot be read marks nothing.
std::vector<RowConflict> findConflicts(const TMyFileList& list, const std::string& searchDir,
                                       const std::string& changeDir);

// findConflicts for a window that draws its grid again and again: the marks
// of the last call are given again while the names and both folders are as
// they were (a folder's change time moves with every name added or taken
// away), so a redraw that changes nothing reads no folder. The folders are
// looked at through fs.
class ConflictFinder
{
public:
    const std::vector<RowConflict>& find(const TMyFileList& list, const std::string& searchDir,
                                         const std::string& changeDir,
                                         FileSystem& fs = realFileSystem());

private:
    std::uint64_t m_key = 0;
    std::vector<RowConflict> m_conflicts;
};

} // namespace torvel
