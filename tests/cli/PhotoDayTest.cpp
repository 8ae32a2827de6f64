// A photographer's day from three cameras over two days, made by
// scripts/photo-day.sh with the real tools, named by torvel-cli as its own
// process: a series per day in the order the files were taken, whatever
// their names and kinds, and every file put back by the undo.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <map>

#include <sys/stat.h>

#include "CliProcess.h"
#include "common/SampleNames.h"
#include "common/ScratchDir.h"
#include "common/TimeZone.h"

using namespace torvel;

namespace {

using Names = std::vector<std::string>;

TEST(CliPhotoDay, ThreeCamerasOnTwoDaysTakeASeriesPerDayInShootingOrder)
{
    // The modification times the script sets and the names read them alike.
    const test::ScopedTimeZone zone("Asia/Tokyo");
    ScratchDir home;
    const std::string photos = home / "photos/";
    const int made = test::exitStatusOf(
        test::startProgram("/bin/bash", home, {TORVEL_PHOTO_DAY_SCRIPT, photos}));
    if (made == 77)
        GTEST_SKIP() << home.read("err");
    ASSERT_EQ(made, 0) << home.read("err");

    struct Case
    {
        std::string name;
        std::string renamed;
    };
    // In the order they were taken: the times are those the script gives.
    const Case files[] = {
        {"IMG_4003.HEIC", "20240503_識別名_001.HEIC"}, // camera C, 09:12
        {"DSC_0102.JPG", "20240503_識別名_002.JPG"},   // camera A, 10:00:01
        {"screenshot.png", "20240503_識別名_003.png"}, // no EXIF, modified 11:30
        {"_DSC7002.NEF", "20240503_識別名_004.NEF"},   // camera B, 13:45:10
        {"DSC_0101.JPG", "20240503_識別名_005.JPG"},   // 15:20
        {sjisPhoto, "20240503_識別名_006.jpg"},        // no EXIF, modified 17:05
        {"_DSC7001.NEF", "20240504_識別名_001.NEF"},   // 07:30
        {"clip.MOV", "20240504_識別名_002.MOV"},       // no movie header, modified 08:15
        {"IMG_4002.HEIC", "20240504_識別名_003.HEIC"}, // 09:40
        {"DSC_0103.JPG", "20240504_識別名_004.JPG"},   // 12:00
        {"IMG_4001.HEIC", "20240504_識別名_005.HEIC"}, // 14:10
        // 20:00 at -05:00, already the 5th in Japan: the camera's day counts.
        {"DSC_0100.JPG", "20240504_識別名_006.JPG"},
    };
    const auto inode = [&](const std::string& name) {
        struct stat st
        {};
        return ::stat((photos + name).c_str(), &st) == 0 ? st.st_ino : 0;
    };
    const Names originals = home.names("photos");
    ASSERT_EQ(originals.size(), std::size(files));
    std::map<std::string, ino_t> taken;
    for (const Case& f : files)
        taken[f.name] = inode(f.name);

    const auto lowered = [](std::string name) {
        for (std::size_t i = name.rfind('.'); i < name.size(); ++i)
            name[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
        return name;
    };
    for (const bool lower : {false, true}) {
        SCOPED_TRACE(lower ? "extensions lowered" : "extensions kept");
        Names line{"--date=shot", "--date-format=yyyyMMdd", "--number-per-date", "-i", "識別名_"};
        line.insert(line.end(), {"-d", "3", "--sort=shot-oldest", photos});
        if (lower)
            line.insert(line.begin(), "--ext-lower");
        ASSERT_EQ(test::runCli(home, line), 0) << home.read("err");
        Names renamed;
        for (const Case& f : files) {
            renamed.push_back(lower ? lowered(f.renamed) : f.renamed);
            EXPECT_EQ(inode(renamed.back()), taken[f.name]) << f.name << " → " << renamed.back();
        }
        std::sort(renamed.begin(), renamed.end());
        EXPECT_EQ(home.names("photos"), renamed);
        EXPECT_EQ(home.read("out"),
                  "12個のファイルを変換しました。（torvel-cli --undo で元に戻せます）\n");
        EXPECT_NE(
            home.read("err").find("3個のファイルは撮影日時がないため、更新日時を使いました。"),
            std::string::npos)
            << home.read("err");

        ASSERT_EQ(test::runCli(home, {"--undo", "--yes"}), 0) << home.read("err");
        EXPECT_EQ(home.names("photos"), originals);
        for (const Case& f : files)
            EXPECT_EQ(inode(f.name), taken[f.name]) << f.name;
    }
}

} // namespace
