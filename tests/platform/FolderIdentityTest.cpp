#include "FolderIdentity.h"
#include "TypedFolder.h"

#include "common/ScratchDir.h"
#include "common/SampleNames.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <unistd.h>

namespace torvel {
namespace {

// "テスト" in Shift-JIS, which is not UTF-8.

TEST(FolderIdentity, OneFolderWhateverTheSpelling)
{
    ScratchDir dir;
    dir.makeFolder("Data");
    ASSERT_EQ(::symlink((dir / "Data").c_str(), (dir / "link").c_str()), 0);
    EXPECT_TRUE(sameFolder(dir / "Data/", dir / "Data"));
    EXPECT_TRUE(sameFolder(dir / "Data/", dir / "link/")) << "a link to a folder is that folder";
    EXPECT_TRUE(sameFolder(dir / "Data/", dir / "Data/../Data/"));
    EXPECT_TRUE(sameFolder("/", "//"));
}

TEST(FolderIdentity, LetterCaseMakesTwoFolders)
{
    ScratchDir dir;
    dir.makeFolder("Data");
    dir.makeFolder("data");
    EXPECT_FALSE(sameFolder(dir / "Data/", dir / "data/"));
    EXPECT_FALSE(sameFolder(dir / "gone/Data/", dir / "gone/data/")) << "neither exists";
    EXPECT_TRUE(sameFolder(dir / "gone/Data/", dir / "gone/Data")) << "neither exists";
    EXPECT_FALSE(sameFolder(dir / "Data/", dir / "gone/"));
    EXPECT_FALSE(sameFolder(dir / "Data/", ""));
}

TEST(FolderIdentity, OnlyFoldersExist)
{
    ScratchDir dir;
    dir.makeFolder(sjisTest);
    dir.write("file", "x");
    ASSERT_EQ(::symlink((dir / sjisTest).c_str(), (dir / "link").c_str()), 0);
    EXPECT_TRUE(folderExists(dir / sjisTest));
    EXPECT_TRUE(folderExists(dir / "link/"));
    EXPECT_FALSE(folderExists(dir / "file"));
    EXPECT_FALSE(folderExists(dir / "gone/"));
    EXPECT_FALSE(folderExists(""));
}

TEST(TypedFolder, OnlyAbsoluteOrHomePathsAreTaken)
{
    EXPECT_FALSE(typedFolderPath("", "/home/me/"));
    EXPECT_FALSE(typedFolderPath("new/sub", "/home/me/"));
    EXPECT_FALSE(typedFolderPath(" /tmp", "/home/me/"));
    EXPECT_FALSE(typedFolderPath("~me/x", "/home/me/")) << "another user's home is not looked up";
    EXPECT_FALSE(typedFolderPath("~/x", "")) << "no home known";
    EXPECT_EQ(typedFolderPath("/", "/home/me/"), "/");
    EXPECT_EQ(typedFolderPath("~", "/home/me/"), "/home/me/");
    EXPECT_EQ(typedFolderPath("~/x", "/home/me"), "/home/me/x/");
    EXPECT_EQ(typedFolderPath("/gone/a", ""), "/gone/a/");
}

TEST(TypedFolder, DotsAndDoubleSlashesAreReadAsTheTextSays)
{
    EXPECT_EQ(typedFolderPath("/gone//a/./b/../c/", ""), "/gone/a/c/");
    EXPECT_EQ(typedFolderPath("/../../gone", ""), "/gone/");
    EXPECT_EQ(typedFolderPath("~/../x", "/home/me/"), "/home/x/");
}

TEST(TypedFolder, ShownNameOfAFolderFindsItsBytes)
{
    ScratchDir dir;
    dir.makeFolder(sjisTest);
    dir.makeFolder(sjisTest + "/sub");
    // Typed as shown: the existing Shift-JIS folder, not a UTF-8 twin.
    EXPECT_EQ(typedFolderPath(dir.path() + "テスト/sub", ""), dir / (sjisTest + "/sub/"));
    EXPECT_EQ(typedFolderPath(dir.path() + "テスト/new", ""), dir / (sjisTest + "/new/"));
    // A name there as typed is taken as typed.
    dir.makeFolder("テスト");
    EXPECT_EQ(typedFolderPath(dir.path() + "テスト", ""), dir / "テスト/");
    // Bytes that decode to nothing are shown escaped; typed so, they are found.
    dir.makeFolder("a\xff");
    EXPECT_EQ(typedFolderPath(dir.path() + "a\\xFF", ""), dir / "a\xff/");
    // A file of that shown name is no folder to go into.
    dir.write("\x95\x5c", "x"); // "表" in Shift-JIS
    EXPECT_EQ(typedFolderPath(dir.path() + "表", ""), dir / "表/");
}

TEST(TypedFolder, CreatesTheFolderAndEveryMissingOneAbove)
{
    ScratchDir dir;
    EXPECT_EQ(createFolderChain(dir / "new/sub/"), 0);
    EXPECT_TRUE(folderExists(dir / "new/sub/"));
    EXPECT_EQ(createFolderChain(dir / "new/sub/"), 0) << "an existing folder is no failure";
    EXPECT_EQ(createFolderChain(dir / sjisTest), 0);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"new", sjisTest}));
}

TEST(TypedFolder, FailedCreationLeavesNothingBehind)
{
    ScratchDir dir;
    dir.write("file", "x");
    EXPECT_EQ(createFolderChain(dir / "file/sub/"), ENOTDIR);
    EXPECT_EQ(createFolderChain(dir / "file"), ENOTDIR);
    EXPECT_EQ(dir.read("file"), "x");

    const std::string tooLong(300, 'n');
    EXPECT_EQ(createFolderChain(dir / ("a/b/" + tooLong + "/")), ENAMETOOLONG);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"file"})) << "a and b were taken away again";

    dir.makeFolder("kept");
    EXPECT_EQ(createFolderChain(dir / ("kept/" + tooLong)), ENAMETOOLONG);
    EXPECT_TRUE(folderExists(dir / "kept")) << "a folder that was there stays";
}

} // namespace
} // namespace torvel
