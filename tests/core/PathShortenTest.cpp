#include "PathShorten.h"

#include <gtest/gtest.h>

namespace torvel {
namespace {

using Forms = std::vector<std::string>;

// Ten pixels a character; the display turns the Shift-JIS bytes of "表示"
// into text, as the window does for names that are not UTF-8.
std::string display(std::string_view bytes)
{
    std::string text(bytes);
    for (auto at = text.find("\x95\x5c\x8e\xa6"); at != std::string::npos;
         at = text.find("\x95\x5c\x8e\xa6"))
        text.replace(at, 4, "表示");
    return text;
}
int width(std::string_view text)
{
    int chars = 0;
    for (const char c : text)
        chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return chars * 10;
}

// Every form of a path that is tried, longest first: none fits a field of no width.
Forms pathShortenings(std::string_view path)
{
    Forms tried;
    const auto bytes = [](std::string_view form) { return std::string(form); };
    shortenPath(path, 0, bytes, [&tried](std::string_view text) {
        tried.emplace_back(text);
        return 0;
    });
    return tried;
}

TEST(PathShortenTest, LeadingFoldersGiveWayFirst)
{
    EXPECT_EQ(
        pathShortenings("/home/user/Photos/2024/Trip/"),
        (Forms{"/home/user/Photos/2024/Trip/", "/.../user/Photos/2024/Trip/",
               "/.../Photos/2024/Trip/", "/.../2024/Trip/", "/.../Trip/", "/.../", ".../", ""}));
    EXPECT_EQ(pathShortenings("/"), (Forms{"/", ""}));
    EXPECT_EQ(pathShortenings("/a/"), (Forms{"/a/", "/.../", ".../", ""}));
    // A file's name stays whole, even when it does not fit.
    EXPECT_EQ(pathShortenings("/a/b/photo.jpg"),
              (Forms{"/a/b/photo.jpg", "/.../b/photo.jpg", "/.../photo.jpg", ".../photo.jpg",
                     "photo.jpg"}));
    // A doubled "/" is cut like an empty folder name and ends all the same.
    EXPECT_EQ(pathShortenings("/a//b/").back(), "");
}

TEST(PathShortenTest, FirstFormNarrowerThanTheFieldIsShown)
{
    const std::string path = "/home/user/Photos/2024/Trip/"; // 28 characters
    EXPECT_EQ(shortenPath(path, 281, display, width), path);
    // A form exactly as wide as the field does not fit.
    EXPECT_EQ(shortenPath(path, 280, display, width), "/.../user/Photos/2024/Trip/");
    EXPECT_EQ(shortenPath(path, 150, display, width), "/.../Trip/");
    EXPECT_EQ(shortenPath(path, 51, display, width), "/.../");
    EXPECT_EQ(shortenPath(path, 41, display, width), ".../");
    EXPECT_EQ(shortenPath(path, 0, display, width), "");
    EXPECT_EQ(shortenPath("/a/b/photo.jpg", 10, display, width), "photo.jpg");
}

TEST(PathShortenTest, NamesThatAreNotUtf8AreMeasuredAsShown)
{
    // "/data/表示/" in Shift-JIS bytes: 0x5C inside "表" is no separator,
    // and the field measures the two characters shown, not four bytes.
    const std::string path = "/data/\x95\x5c\x8e\xa6/";
    EXPECT_EQ(pathShortenings(path), (Forms{path, "/.../\x95\x5c\x8e\xa6/", "/.../", ".../", ""}));
    EXPECT_EQ(shortenPath(path, 91, display, width), "/data/表示/");
    EXPECT_EQ(shortenPath(path, 90, display, width), "/.../表示/");
}

} // namespace
} // namespace torvel
