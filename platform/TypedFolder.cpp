#include "TypedFolder.h"
#include "NameText.h"

#include "ByteText.h"
#include "FolderIdentity.h"
#include "FolderNamespace.h"
#include "PosixFileOps.h"
#include "UniqueFd.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace torvel {

namespace {

bool entryExists(const std::string& path)
{
    struct stat info
    {};
    return ::lstat(path.c_str(), &info) == 0;
}

// The name in `folder` under which the typed `name` is found: the name itself
// when it is there; else the folder there whose shown name it is, the
// smallest in bytes when several are; else the name itself, to be made.
std::string nameInFolder(const std::string& folder, const std::string& name)
{
    if (entryExists(folder + name))
        return name;
    const DirStream dir(::opendir(folder.c_str()));
    if (!dir)
        return name;
    std::string found;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string candidate = entry->d_name;
        if (isDotOrDotDot(candidate) || torvel::displayName(candidate) != name)
            continue;
        if ((found.empty() || candidate < found) && folderExists(folder + candidate))
            found = candidate;
    }
    return found.empty() ? name : found;
}

} // namespace

std::optional<std::string> typedFolderPath(std::string_view text, std::string_view home)
{
    std::string_view rest;
    std::vector<std::string> names;
    if (text.starts_with('/')) {
        rest = text;
    } else if (text == "~" || text.starts_with("~/")) {
        if (!home.starts_with('/'))
            return std::nullopt;
        for (std::string_view name : namesInPath(home))
            names.emplace_back(name);
        rest = text.substr(1);
    } else {
        return std::nullopt;
    }

    std::string folder = "/";
    for (const std::string& name : names)
        folder += name + '/';
    for (std::string_view typed : namesInPath(rest)) {
        if (typed == "..") {
            if (!names.empty()) {
                folder.resize(folder.size() - names.back().size() - 1);
                names.pop_back();
            }
            continue;
        }
        names.push_back(nameInFolder(folder, std::string(typed)));
        folder += names.back() + '/';
    }
    return folder;
}

int createFolderChain(const std::string& path)
{
    // The folders that are missing now are the ones this call makes, and the
    // only ones it may take away again.
    std::vector<std::string> missing;
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string part = path.substr(0, end);
        if (!part.empty() && part.back() != '/' && !entryExists(part))
            missing.push_back(part);
        if (end == std::string::npos)
            break;
    }
    const int error = makeFolders(path, 0777);
    if (error == 0)
        return 0;
    for (auto it = missing.rbegin(); it != missing.rend(); ++it)
        ::rmdir(it->c_str());
    return error;
}

} // namespace torvel
