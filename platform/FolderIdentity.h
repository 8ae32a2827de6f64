#pragma once

// Telling whether a path is a folder, and whether two paths are one folder.

#include <string>
#include <string_view>

namespace torvel {

// True for an existing folder, a symbolic link to one included.
bool folderExists(const std::string& path);

// Whether two folder paths name one folder. Where both exist the file system
// decides by device and inode, so a link to a folder or a second spelling of
// its path is that folder. Otherwise the bytes must match, trailing "/" aside.
// Letter case counts wherever the file system makes it count: "/a/Data/" and
// "/a/data/" are two folders on an ordinary Linux file system.
bool sameFolder(std::string_view a, std::string_view b);

} // namespace torvel
