#include "SettingsPath.h"

#include "ByteText.h"

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

std::string settingsFilePath()
{
    const std::string executable = runningExecutablePath();
    return executable.empty() ? std::string() : settingsPathFor(executable);
}

} // namespace torvel
