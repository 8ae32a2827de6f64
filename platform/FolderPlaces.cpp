// Finding the top-level places of the folder namespace: home, the desktop
// folder and the mounted removable volumes.
#include "FolderNamespace.h"

#include "ByteText.h"
#include "FolderIdentity.h"
#include "UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace torvel {

namespace {

std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The value of a line such as XDG_DESKTOP_DIR="$HOME/Desktop": the text
// between the quotes, with backslash escapes taken literally.
std::optional<std::string> quotedValue(std::string_view line)
{
    const auto open = line.find('"');
    if (open == std::string_view::npos)
        return std::nullopt;
    std::string value;
    for (std::size_t i = open + 1; i < line.size(); ++i) {
        if (line[i] == '"')
            return value;
        if (line[i] == '\\' && i + 1 < line.size())
            ++i;
        value += line[i];
    }
    return std::nullopt;
}

// mountinfo writes blanks, tabs, newlines and backslashes in paths as octal
// escapes (\040 and so on).
std::string unescapeMountPath(std::string_view field)
{
    std::string path;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(),
                            [](char c) { return c >= '0' && c <= '7'; })) {
                path += static_cast<char>(((digits[0] - '0') << 6) | ((digits[1] - '0') << 3)
                                          | (digits[2] - '0'));
                i += 3;
                continue;
            }
        }
        path += field[i];
    }
    return path;
}

bool isRemovableMediaPath(const std::string& mountPoint)
{
    for (const std::string_view base : {"/media/", "/run/media/"}) {
        if (mountPoint.size() > base.size() && mountPoint.compare(0, base.size(), base) == 0)
            return true;
    }
    return false;
}

} // namespace

std::string homeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return withTrailingSlash(home);
    if (const passwd* entry = ::getpwuid(::getuid());
        entry && entry->pw_dir && entry->pw_dir[0] == '/')
        return withTrailingSlash(entry->pw_dir);
    return {};
}

std::string configHomeFolder()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return withTrailingSlash(config);
    const std::string home = homeFolder();
    return home.empty() ? std::string() : home + ".config/";
}

namespace {

// The folder the configuration home's user-dirs.dirs names for key, when
// it exists; empty otherwise.
std::string existingUserDir(std::string_view key, std::string_view home)
{
    const std::string config = configHomeFolder();
    if (config.empty())
        return {};
    std::string folder = userDirFromUserDirs(readWholeFile(config + "user-dirs.dirs"), key, home);
    return !folder.empty() && folderExists(folder) ? folder : std::string();
}

} // namespace

std::string picturesFolder()
{
    const std::string home = homeFolder();
    if (std::string pictures = existingUserDir("XDG_PICTURES_DIR", home); !pictures.empty())
        return pictures;
    return home.empty() ? std::string("/") : home;
}

std::string userDirFromUserDirs(std::string_view text, std::string_view key, std::string_view home)
{
    std::string found;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos)
            continue;
        line.remove_prefix(first);
        if (!line.starts_with(key))
            continue;
        const auto rest = line.substr(key.size()).find_first_not_of(" \t");
        if (rest == std::string_view::npos || line[key.size() + rest] != '=')
            continue;
        auto value = quotedValue(line.substr(key.size() + rest + 1));
        if (!value)
            continue;
        if (value->starts_with("$HOME"))
            found =
                std::string(home)
                + (value->size() > 5 && (*value)[5] == '/' ? value->substr(6) : value->substr(5));
        else if (value->starts_with("/"))
            found = *value;
        else
            continue;
    }
    if (found.empty())
        return {};
    found = withTrailingSlash(found);
    // Without a home the desktop falls back to the root, so there the root
    // is what a desktop must not be.
    const std::string homePath =
        home.empty() ? std::string("/") : withTrailingSlash(std::string(home));
    return found == homePath ? std::string() : found;
}

std::vector<std::string> removableMountPoints(std::string_view mountinfo)
{
    std::vector<std::string> points;
    std::istringstream lines{std::string(mountinfo)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string field;
        for (int i = 0; i < 5 && fields >> field; ++i) {
        }
        if (!fields)
            continue;
        std::string point = unescapeMountPath(field);
        if (isRemovableMediaPath(point))
            points.push_back(withTrailingSlash(std::move(point)));
    }
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    return points;
}

FolderPlaces detectFolderPlaces()
{
    FolderPlaces places;
    places.home = homeFolder();
    if (!places.home.empty() && !folderExists(places.home))
        places.home.clear();
    std::string desktop = existingUserDir("XDG_DESKTOP_DIR", places.home);
    if (desktop.empty())
        desktop = places.home.empty() ? std::string() : places.home + "Desktop/";
    if (desktop.empty() || !folderExists(desktop))
        desktop = places.home.empty() ? std::string("/") : places.home;
    places.desktop = desktop;
    for (std::string& point : removableMountPoints(readWholeFile("/proc/self/mountinfo"))) {
        if (folderExists(point))
            places.volumes.push_back(std::move(point));
    }
    return places;
}

} // namespace torvel
