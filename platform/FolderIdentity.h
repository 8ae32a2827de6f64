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

// sameFolder, and also for a folder that a file system shows under two
// spellings with inode numbers of their own (FAT through FUSE). Tells by
// making a short-lived hidden file in a and looking for it in b, so it is
// for the moment a run begins, not for every redraw.
bool oneFolderUnderTwoNames(const std::string& a, const std::string& b);

} // namespace torvel
