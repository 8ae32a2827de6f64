#include "FolderIdentity.h"

#include <sys/stat.h>

namespace torvel {

namespace {

std::string_view withoutTrailingSlashes(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return path;
}

} // namespace

bool folderExists(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool sameFolder(std::string_view a, std::string_view b)
{
    if (a.empty() || b.empty())
        return a == b;
    struct stat first {};
    struct stat second {};
    if (::stat(std::string(a).c_str(), &first) == 0 && S_ISDIR(first.st_mode)
        && ::stat(std::string(b).c_str(), &second) == 0 && S_ISDIR(second.st_mode))
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    return withoutTrailingSlashes(a) == withoutTrailingSlashes(b);
}

} // namespace torvel
