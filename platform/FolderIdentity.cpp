#include "FolderIdentity.h"

#include <sys/stat.h>

namespace torvel {

namespace {

std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool folderStatus(const std::string& path, struct stat& st)
{
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

bool sameFolder(const std::string& first, const std::string& second)
{
    struct stat a {};
    struct stat b {};
    if (folderStatus(first, a) && folderStatus(second, b))
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    return withoutTrailingSlashes(first) == withoutTrailingSlashes(second);
}

} // namespace torvel
