#include "StartupGeometry.h"

#include "ProfileFile.h"
#include "SettingsRecord.h"

#include <gtest/gtest.h>

#include <climits>

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
        EXPECT_EQ(heightSizeForScreen(wanted, 480), 0) << "a 480-pixel screen allows only the small one";
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
    const struct {
        const char* text;
        int screen;
        const char* written;
    } cases[] = {{"L", 480, "S"}, {"M", 480, "S"}, {"m", 600, "M"}, {"", 600, "M"}, {"m", 768, "L"}};
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

TEST(StartupGeometryTest, LowerHalfFollowsTheClientHeight)
{
    LowerHalfInput in;
    in.clientHeight = 500;
    in.statusBarHeight = 23;
    in.lowerPagesTop = 170;
    in.destinationHeight = 23;
    in.sourcePanelHeight = 23;
    in.gridTop = 170;
    const LowerHalfLayout out = lowerHalfLayout(in);
    EXPECT_EQ(out.bottom, 476);
    EXPECT_EQ(out.lowerPagesHeight, 305);
    EXPECT_EQ(out.destinationTop, 451);
    EXPECT_EQ(out.sourcePanelTop, 426);
    EXPECT_EQ(out.sourceCaptionTop, 426);
    EXPECT_EQ(out.sourceCaptionHeight, 26);
    EXPECT_EQ(out.gridHeight, 254);
    // The lower page control's bottom and the destination field's bottom
    // end on the same rows above the status bar.
    EXPECT_EQ(in.lowerPagesTop + out.lowerPagesHeight, out.bottom - 1);
    EXPECT_EQ(out.destinationTop + in.destinationHeight, out.bottom - 2);

    EXPECT_EQ(folderTreeHeight(280), 279);
    EXPECT_EQ(filterListHeight(279, 8), 263);
}

TEST(StartupGeometryTest, TopBandAndItsMenuCaptionForEachSide)
{
    EXPECT_EQ(clientWidthFor(40, 560), 602);

    const TopBandLayout left = topBandLayout(1, 40, 560);
    EXPECT_EQ(left.buttonColumnLeft, 1);
    EXPECT_EQ(left.workPagesLeft, 41);
    EXPECT_EQ(left.menuCaption, "ボタンは右に");

    const TopBandLayout right = topBandLayout(0, 40, 560);
    EXPECT_EQ(right.workPagesLeft, 1);
    EXPECT_EQ(right.buttonColumnLeft, 561);
    EXPECT_EQ(right.menuCaption, "ボタンは左に");
}

TEST(StartupGeometryTest, WindowOnAScreenStaysAndOneOffEveryScreenIsBroughtBack)
{
    const std::vector<ScreenRect> one {{0, 0, 1024, 768}};
    auto place = [](const std::vector<ScreenRect>& screens, int left, int top, int width = 608,
                    int height = 580) {
        const WindowPosition p = placeOnScreens(left, top, width, height, screens);
        return std::pair(p.left, p.top);
    };
    EXPECT_EQ(place(one, 233, 104), std::pair(233, 104));
    EXPECT_EQ(place(one, 416, 188), std::pair(416, 188)) << "touching the right and bottom edges";
    EXPECT_EQ(place(one, -300, -20), std::pair(-300, -20)) << "partly on the screen: as saved";
    EXPECT_EQ(place(one, 1023, 767), std::pair(1023, 767)) << "one pixel on the screen";
    EXPECT_EQ(place(one, 1024, 104), std::pair(416, 104)) << "just off the right edge";
    EXPECT_EQ(place(one, 2500, 104), std::pair(416, 104)) << "saved on a wider screen";
    EXPECT_EQ(place(one, -900, -700), std::pair(0, 0));
    EXPECT_EQ(place(one, 233, 5000, 608, 900), std::pair(233, 0)) << "taller than the screen: top edge on it";
    EXPECT_EQ(place(one, 32767, -32768), std::pair(416, 0));
    EXPECT_EQ(place(one, INT_MAX, INT_MIN), std::pair(416, 0));
    EXPECT_EQ(place(one, INT_MIN, INT_MAX, INT_MAX, INT_MAX), std::pair(0, 0));

    // A second screen left of the first one, taller and not aligned at the top.
    const std::vector<ScreenRect> two {{0, 0, 1024, 768}, {-1280, -200, 1280, 1024}};
    EXPECT_EQ(place(two, -1200, -150), std::pair(-1200, -150)) << "on the second screen";
    EXPECT_EQ(place(two, -3000, 100), std::pair(-1280, 100)) << "beyond the second: onto it";
    EXPECT_EQ(place(two, 3000, 100), std::pair(416, 100)) << "beyond the first: onto it";
    EXPECT_EQ(place(two, -700, 900), std::pair(-700, 244)) << "below the second, which is nearer";

    EXPECT_EQ(place({}, 5000, 5000), std::pair(5000, 5000)) << "no screen known";
    EXPECT_EQ(place({{0, 0, 0, 0}}, 5000, 5000), std::pair(5000, 5000)) << "an empty screen counts as none";
}

} // namespace
} // namespace torvel
