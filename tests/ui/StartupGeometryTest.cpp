#include "StartupGeometry.h"

#include "ProfileFile.h"
#include "SettingsRecord.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>
#include <utility>
#include <vector>

namespace torvel {
namespace {

TEST(StartupGeometryTest, HeightOfEachSizeAndMediumForAnythingElse)
{
    EXPECT_EQ(windowHeightFor(0), 475);
    EXPECT_EQ(windowHeightFor(1), 580);
    EXPECT_EQ(windowHeightFor(2), 680);
    EXPECT_EQ(windowHeightFor(3), 580);
    EXPECT_EQ(windowHeightFor(-1), 580);
}

TEST(StartupGeometryTest, ScreenHeightLowersTheWantedSize)
{
    for (int wanted : {0, 1, 2}) {
        EXPECT_EQ(heightSizeForScreen(wanted, 480), 0)
            << "a 480-pixel screen allows only the small one";
        EXPECT_EQ(heightSizeForScreen(wanted, 489), 0);
        EXPECT_EQ(heightSizeForScreen(wanted, 1080), wanted);
        EXPECT_EQ(heightSizeForScreen(wanted, 610), wanted);
    }
    EXPECT_EQ(heightSizeForScreen(2, 600), 1) << "a 600-pixel screen cuts large to medium";
    EXPECT_EQ(heightSizeForScreen(1, 600), 1);
    EXPECT_EQ(heightSizeForScreen(0, 600), 0) << "never raised";
    EXPECT_EQ(heightSizeForScreen(2, 490), 1);
    EXPECT_EQ(heightSizeForScreen(2, 609), 1);
}

// The start-up path of a file whose height the screen cannot hold: read, fit,
// written back as the size actually used.
TEST(StartupGeometryTest, SizeFittedToTheScreenIsWhatTheFileGetsAtClosing)
{
    const struct
    {
        const char* text;
        int screen;
        const char* written;
    } cases[] = {
        {"L", 480, "S"}, {"M", 480, "S"}, {"m", 600, "M"}, {"", 600, "M"}, {"m", 768, "L"}};
    for (const auto& c : cases) {
        ProfileFile profile = ProfileFile::load("/nonexistent-folder/torvel.ini");
        ASSERT_FALSE(profile.writeString("OPTIONS", "HEIGHTSIZE", c.text));
        SettingsRecord record = readSettings(profile, "/opt/torvel/");
        record.heightSize = heightSizeForScreen(record.heightSize, c.screen);
        writeSettings(record, profile);
        EXPECT_EQ(profile.readString("OPTIONS", "HEIGHTSIZE", "?"), c.written)
            << "HEIGHTSIZE=" << c.text << " on " << c.screen;
    }
}

// Every part of the window is in reach: it is placed wholly on one screen
// and made no taller than that screen lets it be.
TEST(StartupGeometryTest, TheWindowIsPlacedWhollyOnAScreenAndFitsIt)
{
    const std::vector<ScreenRect> one{{0, 0, 1024, 768}};
    // A second screen left of the first one, taller and not aligned at the top.
    const std::vector<ScreenRect> two{{0, 0, 1024, 768}, {-1280, -200, 1280, 1024}};
    // 1366 x 768 at a scale factor of 2, less a task bar.
    const std::vector<ScreenRect> scaled{{0, 0, 683, 370}};
    const struct
    {
        const char* name;
        const std::vector<ScreenRect>& screens;
        int left, top, width, height;
        WindowPlacement placed;
    } cases[] = {
        {"on the screen: as saved", one, 233, 104, 608, 580, {233, 104, 580}},
        {"touching the right and bottom edges", one, 416, 188, 608, 580, {416, 188, 580}},
        {"partly off at the top left", one, -300, -20, 608, 580, {0, 0, 580}},
        {"one pixel on the screen", one, 1023, 767, 608, 580, {416, 188, 580}},
        {"partly below: the status line comes up", one, 233, 500, 608, 580, {233, 188, 580}},
        {"just off the right edge", one, 1024, 104, 608, 580, {416, 104, 580}},
        {"saved on a wider screen", one, 2500, 104, 608, 580, {416, 104, 580}},
        {"far off at the top left", one, -900, -700, 608, 580, {0, 0, 580}},
        {"taller than the screen: as tall as it", one, 233, 5000, 608, 900, {233, 0, 768}},
        {"wider than the screen: left edge on it", one, 200, 104, 2000, 580, {0, 104, 580}},
        {"near the limits of int", one, 32767, -32768, 608, 580, {416, 0, 580}},
        {"at the limits of int", one, INT_MAX, INT_MIN, 608, 580, {416, 0, 580}},
        {"on the second screen", two, -1200, -150, 608, 580, {-1200, -150, 580}},
        {"across both: onto the one it covers most", two, -300, 100, 608, 580, {0, 100, 580}},
        {"beyond the second: onto it", two, -3000, 100, 608, 580, {-1280, 100, 580}},
        {"beyond the first: onto it", two, 3000, 100, 608, 580, {416, 100, 580}},
        {"below the second, which is nearer", two, -700, 900, 608, 580, {-700, 244, 580}},
        {"a screen lower than the smallest height", scaled, 233, 104, 608, 475, {75, 0, 370}},
        {"no screen known: as saved", {}, 5000, 5000, 608, 580, {5000, 5000, 580}},
    };
    for (const auto& c : cases) {
        const WindowPlacement p = placeOnScreens(c.left, c.top, c.width, c.height, c.screens);
        EXPECT_EQ(std::tuple(p.left, p.top, p.height),
                  std::tuple(c.placed.left, c.placed.top, c.placed.height))
            << c.name;
    }
    const WindowPlacement empty = placeOnScreens(5000, 5000, 608, 580, {{0, 0, 0, 0}});
    EXPECT_EQ(std::pair(empty.left, empty.top), std::pair(5000, 5000))
        << "an empty screen counts as none";
}

} // namespace
} // namespace torvel
