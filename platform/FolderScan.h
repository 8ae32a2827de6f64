#pragma once

#include <string>
#include <vector>

namespace torvel {

// The ordinary files of a folder, as a dropped folder selects them: every
// entry that is not a folder (a link to one counts as one), not a device,
// pipe or socket, and not marked system or volume label in its stored
// attributes. Hidden and read-only files are taken. Names are appended to
// `names` as the folder stores them, in the order the file system lists them.
// An entry that cannot be looked at is left out and the scan goes on.
// Returns 0, or the errno value when the folder itself cannot be listed.
int scanFolderFiles(const std::string& folderPath, std::vector<std::string>& names);

}  // namespace torvel
