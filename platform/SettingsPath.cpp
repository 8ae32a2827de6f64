#include "SettingsPath.h"

#include "ByteText.h"
#include "PosixFileOps.h"
#include "UserFolders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace torvel {

std::string runningExecutablePath()
{
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0)
            return {};
        if (static_cast<std::size_t>(n) < buffer.size()) {
            std::string path(buffer.data(), static_cast<std::size_t>(n));
            // An executable replaced on disk while it runs (a rebuild, a
            // package update) is reported with this mark; its settings are
            // still those of the file now at that path.
            constexpr std::string_view Deleted = " (deleted)";
            if (path.ends_with(Deleted))
                path.resize(path.size() - Deleted.size());
            return path;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string settingsPathFor(std::string_view executablePath)
{
    const std::string_view name = namePart(executablePath);
    const auto dot = name.rfind('.');
    const bool hasExtension = dot != std::string_view::npos && dot > 0;
    const std::size_t extensionSize = hasExtension ? name.size() - dot : 0;
    return std::string(executablePath.substr(0, executablePath.size() - extensionSize)) + ".ini";
}

std::string userSettingsPath(const std::string& configHome)
{
    return configHome.empty() ? std::string() : configHome + "torvel/torvel.ini";
}

std::string chooseSettingsPath(const std::string& portable, const std::string& configHome,
                               const std::function<bool(const std::string&)>& replaceable)
{
    if (!portable.empty() && replaceable(portable))
        return portable;
    const std::string user = userSettingsPath(configHome);
    return user.empty() ? portable : user;
}

bool canReplaceFile(const std::string& path)
{
    struct stat info
    {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    const std::string folder(folderPart(path));
    return ::access(path.c_str(), W_OK) == 0
           && ::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) == 0;
}

bool makeFoldersFor(const std::string& filePath)
{
    const std::string folder(folderPart(filePath));
    return folder.empty() || makeFolders(folder, 0700) == 0;
}

std::string settingsFilePath()
{
    const std::string executable = runningExecutablePath();
    return chooseSettingsPath(executable.empty() ? std::string() : settingsPathFor(executable),
                              configHomeFolder(), canReplaceFile);
}

} // namespace torvel
