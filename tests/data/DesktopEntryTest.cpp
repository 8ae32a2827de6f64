// The desktop entry claims the types a person renames in series, photos and
// videos, and nothing the desktop would then open in the renamer instead of a
// file manager or a viewer: no folder, text, document or audio type.
#include "DataFiles.h"

#include <algorithm>
#include <sstream>

namespace torvel::test {
namespace {

std::vector<std::string> claimedTypes()
{
    std::istringstream entry(sourceFile("data/torvel.desktop"));
    std::vector<std::string> types;
    for (std::string line; std::getline(entry, line);) {
        if (!line.starts_with("MimeType="))
            continue;
        std::istringstream list(line.substr(9));
        for (std::string type; std::getline(list, type, ';');)
            if (!type.empty())
                types.push_back(type);
    }
    return types;
}

TEST(DesktopEntry, ClaimsPhotosAndVideosOnly)
{
    const std::vector<std::string> types = claimedTypes();
    EXPECT_NE(std::find(types.begin(), types.end(), "image/jpeg"), types.end());
    EXPECT_NE(std::find(types.begin(), types.end(), "video/mp4"), types.end());
    for (const std::string& type : types)
        EXPECT_TRUE(type.starts_with("image/") || type.starts_with("video/")) << type;
}

} // namespace
} // namespace torvel::test
