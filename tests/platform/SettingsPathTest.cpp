#include "SettingsPath.h"
#include "UserFolders.h"

#include "FolderTestTree.h"
#include "common/ScratchDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace torvel {
namespace {

TEST(SettingsPathTest, ExtensionOfTheExecutableNameBecomesIni)
{
    EXPECT_EQ(settingsPathFor("/opt/torvel/torvel"), "/opt/torvel/torvel.ini");
    EXPECT_EQ(settingsPathFor("/opt/torvel/torvel.bin"), "/opt/torvel/torvel.ini");
    EXPECT_EQ(settingsPathFor("/opt/torvel/torvel.v2.AppImage"), "/opt/torvel/torvel.v2.ini");
    // A dot in a folder name or at the start of the name is no extension.
    EXPECT_EQ(settingsPathFor("/home/me/app-1.2/torvel"), "/home/me/app-1.2/torvel.ini");
    EXPECT_EQ(settingsPathFor("/home/me/.torvel"), "/home/me/.torvel.ini");
    // The name is bytes: a Shift-JIS folder ("表示") stays as it is.
    EXPECT_EQ(settingsPathFor("/data/\x95\x5c\x8e\xa6/torvel"),
              "/data/\x95\x5c\x8e\xa6/torvel.ini");
}

// The file beside the executable only when it is there and can be replaced;
// else the user's own.
TEST(SettingsPathTest, PortableFileOnlyWhenItStandsThereWritable)
{
    struct Case
    {
        const char* name;
        std::string portable;
        std::string configHome;
        bool replaceable;
        std::string expected;
    };
    const std::string beside = "/usr/local/bin/torvel.ini";
    const std::string sjisHome = "/home/\x95\x5c/.config/";
    const Case cases[] = {
        {"writable file beside", beside, "/home/u/.config/", true, beside},
        {"absent or read-only beside", beside, "/home/u/.config/", false,
         "/home/u/.config/torvel/torvel.ini"},
        {"Shift-JIS home kept as bytes", beside, sjisHome, false, sjisHome + "torvel/torvel.ini"},
        {"no configuration home", beside, "", false, beside},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(chooseSettingsPath(c.portable, c.configHome,
                                     [&](const std::string& path) {
                                         EXPECT_EQ(path, c.portable);
                                         return c.replaceable;
                                     }),
                  c.expected)
            << c.name;
    }
}

TEST(SettingsPathTest, ReplaceableMeansAnExistingFileInAWritableFolder)
{
    ScratchDir dir;
    EXPECT_FALSE(canReplaceFile(dir / "torvel.ini"));
    dir.write("torvel.ini", "[SEARCH]\n");
    EXPECT_TRUE(canReplaceFile(dir / "torvel.ini"));
    dir.makeFolder("sub.ini");
    EXPECT_FALSE(canReplaceFile(dir / "sub.ini"));
    if (::geteuid() != 0) {
        // Permissions bind everyone but root.
        ASSERT_EQ(::chmod(dir.path().c_str(), 0500), 0);
        EXPECT_FALSE(canReplaceFile(dir / "torvel.ini"));
        ASSERT_EQ(::chmod(dir.path().c_str(), 0700), 0);
    }
}

TEST(SettingsPathTest, FoldersAboveTheUserFileAreMadePrivate)
{
    ScratchDir dir;
    const std::string path = userSettingsPath(dir / "\x95\x5c/config/");
    ASSERT_TRUE(makeFoldersFor(path));
    struct stat info
    {};
    ASSERT_EQ(::stat((dir / "\x95\x5c/config/torvel").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(makeFoldersFor(path)); // already there
    dir.write("file", "");
    EXPECT_FALSE(makeFoldersFor(dir / "file/torvel/torvel.ini"));
}

TEST(SettingsPathTest, RunningProgramUsesTheConfigurationHome)
{
    ScratchDir home;
    test::ScopedEnv config("XDG_CONFIG_HOME", home / "cfg");
    ASSERT_FALSE(runningExecutablePath().empty());
    EXPECT_EQ(settingsFilePath(), home / "cfg/torvel/torvel.ini");
}

TEST(SettingsPathTest, PicturesFolderFromUserDirsElseHome)
{
    ScratchDir home;
    test::ScopedEnv homeEnv("HOME", home.path());
    test::ScopedEnv config("XDG_CONFIG_HOME", home / "cfg");
    EXPECT_EQ(picturesFolder(), home.path());
    home.makeFolder("cfg");
    home.write("cfg/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/\xe5\x86\x99\xe7\x9c\x9f\"\n");
    EXPECT_EQ(picturesFolder(), home.path()); // named but not there
    home.makeFolder("\xe5\x86\x99\xe7\x9c\x9f");
    EXPECT_EQ(picturesFolder(), home / "\xe5\x86\x99\xe7\x9c\x9f/");
}

} // namespace
} // namespace torvel
