#pragma once

#include "FileInfo.h"

#include <string>
#include <vector>

#include <sys/types.h>

namespace torvel {

// One file the scan took, looked at when its stored attributes were read:
// `error` is 0 and `info` holds its size, time and whole attribute word
// (storedName is left empty: the name is the one at the same place in the
// scan's names), or `error` is the errno of a look that failed, as when the
// file went away after the folder listed it.
struct ScannedFile
{
    int error = 0;
    FileInfo info;
};

// What a scan saw, for a file list read right after it in place of looking
// at every file again.
struct FolderScanFacts
{
    // The folder scanned, by what it is rather than by its path.
    dev_t device = 0;
    ino_t inode = 0;
    // One per name the scan appended, in the same order.
    std::vector<ScannedFile> files;
};

// The ordinary files of a folder, as a dropped folder selects them: every
// entry that is not a folder (a link to one counts as one), not a device,
// pipe or socket, and not marked system or volume label in its stored
// attributes. Hidden and read-only files are taken. Names are appended to
// `names` as the folder stores them, in the order the file system lists them.
// An entry that cannot be looked at is left out and the scan goes on.
// With `facts`, each file taken is also looked at (size, time, attributes)
// and `facts` is replaced by what was seen.
// Returns 0, or the errno value when the folder itself cannot be listed.
[[nodiscard]] int scanFolderFiles(const std::string& folderPath, std::vector<std::string>& names,
                                  FolderScanFacts* facts = nullptr);

} // namespace torvel
