#include "FolderIdentity.h"

#include "ByteText.h"
#include "UniqueFd.h"

#include <atomic>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace torvel {

bool folderExists(const std::string& path)
{
    struct stat info
    {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool sameFolder(std::string_view a, std::string_view b)
{
    if (a.empty() || b.empty())
        return a == b;
    struct stat first
    {};
    struct stat second
    {};
    if (::stat(std::string(a).c_str(), &first) == 0 && S_ISDIR(first.st_mode)
        && ::stat(std::string(b).c_str(), &second) == 0 && S_ISDIR(second.st_mode))
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    return withoutTrailingSlashes(a) == withoutTrailingSlashes(b);
}

bool oneFolderUnderTwoNames(const std::string& a, const std::string& b)
{
    if (sameFolder(a, b))
        return true;
    struct stat first
    {};
    struct stat second
    {};
    if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0
        || first.st_dev != second.st_dev)
        return false;
    // A folder on a file system that gives each spelling of a path an inode
    // number of its own (FAT through FUSE: Photos/ and PHOTOS/) is seen
    // through both names: a file made under one shows under the other.
    static std::atomic<unsigned> counter{0};
    const std::string marker =
        "/.torvel-same-folder-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const std::string made = std::string(withoutTrailingSlashes(a)) + marker;
    // Only the name is wanted: the file is closed again at once.
    if (!UniqueFd(::open(made.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)).isOpen())
        return false; // nothing can be renamed in a folder that takes no new name
    struct stat seen
    {};
    const bool shows =
        ::stat((std::string(withoutTrailingSlashes(b)) + marker).c_str(), &seen) == 0;
    // The answer stands even if the marker cannot go; it is a hidden file.
    (void)::unlink(made.c_str());
    return shows;
}

} // namespace torvel
