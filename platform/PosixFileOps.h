#pragma once

#include <string>

#include <sys/types.h>

#include "UniqueFd.h"

namespace torvel {

// The system calls behind the file operations, on descriptors and byte
// names. Each returns 0 or the errno value of its failure.

// Renames without ever replacing the target (EEXIST when it is taken). Uses
// the kernel's no-replace rename; where the file system does not know it
// (NFS, some FUSE) a hard link and unlink of the old name; where hard links
// are refused too, a rename after checking that the target is free.
[[nodiscard]] int renameNoReplaceAt(int fromDir, const char* from, int toDir, const char* to);

// The two fallbacks of renameNoReplaceAt on their own.
[[nodiscard]] int renameByLink(int fromDir, const char* from, int toDir, const char* to);
[[nodiscard]] int renameChecked(int fromDir, const char* from, int toDir, const char* to);

// Copies all data from one open file, of the given size, on the given device,
// to another, empty one: a shared clone where the file system can, else
// copy_file_range, else reads and writes. A device whose file system has
// once refused to clone is not asked again.
[[nodiscard]] int copyFileData(int from, int to, off_t size, dev_t fromDevice);

// Opens a new file without a name in the folder, for writing; it vanishes
// when closed unless linkUnnamed gives it a name. EOPNOTSUPP where the file
// system or the kernel cannot make such files, or where the process has no
// /proc to name it through.
[[nodiscard]] int openUnnamed(int dir, mode_t mode, UniqueFd& fd);

// Gives an open file without a name the name in the folder. EEXIST when the
// name is taken: the file holding it is never replaced.
[[nodiscard]] int linkUnnamed(int fd, int dir, const char* name);

// Copies every user.* extended attribute. A source on a file system without
// extended attributes has none to copy; a target that stores none takes the
// file without them, and lost says so.
[[nodiscard]] int copyUserAttributes(int from, int to, bool& lost);

// Creates a folder and its missing parents with the given mode. An existing
// folder is success; an existing non-folder is ENOTDIR.
[[nodiscard]] int makeFolders(const std::string& path, mode_t mode);

} // namespace torvel
