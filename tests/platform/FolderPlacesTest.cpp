#include "FolderNamespace.h"
#include "FolderTestTree.h"
#include "NameText.h"
#include "UserFolders.h"
#include "common/SampleNames.h"

#include <gtest/gtest.h>

namespace torvel {
namespace {

using test::FolderTestTree;
using test::ScopedEnv;

TEST(FolderPlaces, UserDirsNameTheDesktopRelativeToHomeOrAbsolute)
{
    const auto desktopFromUserDirs = [](std::string_view text, std::string_view home) {
        return userDirFromUserDirs(text, "XDG_DESKTOP_DIR", home);
    };
    EXPECT_EQ(desktopFromUserDirs("XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n", "/home/u/"),
              "/home/u/Desktop/");
    EXPECT_EQ(desktopFromUserDirs("# written by a tool\n"
                                  "XDG_DOWNLOAD_DIR=\"$HOME/dl\"\n"
                                  "  XDG_DESKTOP_DIR = \"$HOME/デスクトップ\"\n",
                                  "/home/u/"),
              "/home/u/デスクトップ/");
    EXPECT_EQ(desktopFromUserDirs("XDG_DESKTOP_DIR=\"/data/desk/\"", "/home/u/"), "/data/desk/");
    EXPECT_EQ(desktopFromUserDirs("XDG_DESKTOP_DIR=\"$HOME/my \\\"desk\\\"\"", "/home/u/"),
              "/home/u/my \"desk\"/");
    // Pointing at home itself means there is no desktop folder.
    EXPECT_EQ(desktopFromUserDirs("XDG_DESKTOP_DIR=\"$HOME/\"", "/home/u/"), "");
    EXPECT_EQ(desktopFromUserDirs("XDG_DESKTOP_DIR=\"$HOME\"", "/home/u/"), "");
    // Neither relative values nor other keys nor broken lines count.
    EXPECT_EQ(desktopFromUserDirs("XDG_DESKTOP_DIR=\"Desktop\"", "/home/u/"), "");
    EXPECT_EQ(desktopFromUserDirs("XDG_DESKTOP_DIRX=\"/x\"", "/home/u/"), "");
    EXPECT_EQ(desktopFromUserDirs("XDG_DESKTOP_DIR=\"/unterminated", "/home/u/"), "");
    EXPECT_EQ(desktopFromUserDirs("", "/home/u/"), "");
}

TEST(FolderPlaces, RemovableVolumesComeFromMediaMountPoints)
{
    const std::string mountinfo = "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
                                  "27 1 8:1 / / rw,relatime - ext4 /dev/sda1 rw\n"
                                  "40 27 8:17 / /media/u/USB\\040STICK rw - vfat /dev/sdb1 rw\n"
                                  "41 27 8:33 / /run/media/u/CAMERA rw - exfat /dev/sdc1 rw\n"
                                  "42 27 0:40 / /media rw - tmpfs tmpfs rw\n"
                                  "43 27 8:49 / /mediaextra/x rw - ext4 /dev/sdd1 rw\n"
                                  "44 27 8:17 / /media/u/USB\\040STICK rw - vfat /dev/sdb1 rw\n"
                                  "45 27 8:65 / /media/cdrom rw - iso9660 /dev/sr0 ro\n"
                                  "broken line\n";
    EXPECT_EQ(
        removableMountPoints(mountinfo),
        (std::vector<std::string>{"/media/cdrom/", "/media/u/USB STICK/", "/run/media/u/CAMERA/"}));
    EXPECT_TRUE(removableMountPoints("").empty());
}

struct DetectedPlaces : ::testing::Test
{
    FolderTestTree tree;
    std::string home = tree.folder("home");
    std::string config = tree.folder("config");
    ScopedEnv homeEnv{"HOME", tree.path("home")};
    ScopedEnv configEnv{"XDG_CONFIG_HOME", tree.path("config")};
};

TEST_F(DetectedPlaces, TheUserDirsDesktopWinsWhenItExists)
{
    const std::string desk = tree.folder("home/" + sjisShown);
    tree.folder("home/Desktop");
    // The file escapes a backslash, here the second byte of a CP932 letter.
    tree.file("config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/\x95\\\\\x8e\xa6\"\n");
    const FolderPlaces places = detectFolderPlaces();
    EXPECT_EQ(places.home, home);
    EXPECT_EQ(places.desktop, desk);
}

TEST_F(DetectedPlaces, AMissingUserDirsDesktopFallsBackToDesktopThenHome)
{
    tree.file("config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/missing\"\n");
    EXPECT_EQ(detectFolderPlaces().desktop, home);
    const std::string desk = tree.folder("home/Desktop");
    EXPECT_EQ(detectFolderPlaces().desktop, desk);
}

TEST_F(DetectedPlaces, ARelativeHomeIsNotTaken)
{
    ScopedEnv relative("HOME", "relative/home");
    const FolderPlaces places = detectFolderPlaces();
    if (!places.home.empty()) {
        EXPECT_EQ(places.home.front(), '/');
    }
    EXPECT_EQ(places.desktop.front(), '/');
    EXPECT_EQ(places.desktop.back(), '/');
}

TEST(FolderNameText, UnreadableBytesBecomeShowableText)
{
    EXPECT_EQ(displayName("plain"), "plain");
    EXPECT_EQ(displayName("写真 2024"), "写真 2024");
    EXPECT_EQ(displayName(sjisShown), "表示");
    EXPECT_EQ(displayName("\x83\x5c\x83\x74\x83\x67"),
              "ソフト"); // second bytes look like "\" and "t"
    EXPECT_EQ(displayName(std::string("caf\xE9", 4)), "caf\\xE9"); // Latin-1, not CP932 either
    EXPECT_EQ(displayName(std::string("\xFF"
                                      "a\xE2\x82",
                                      4)),
              "\\xFFa\\xE2\\x82");
    EXPECT_EQ(displayName(""), "");
}

} // namespace
} // namespace torvel
