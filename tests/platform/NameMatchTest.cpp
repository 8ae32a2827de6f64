#include <gtest/gtest.h>

#include <algorithm>

#include "NameMatch.h"
#include "PosixFileSystem.h"
#include "common/FaultyFileSystem.h"
#include "common/ScratchDir.h"
#include "common/SampleNames.h"

using namespace torvel;

namespace {

const std::string a = "\x83\x41";  // ア in Shift-JIS
const std::string di = "\x83\x61"; // ヂ: ア with its second byte lower-cased

} // namespace

TEST(BaseWildcard, MatchesTheBaseAloneOrFollowedByADot)
{
    struct Case
    {
        std::string name;
        std::string base;
        bool matches;
    };
    const Case cases[] = {
        {"base", "base", true},
        {"base.txt", "base", true},
        {"BASE.JPG", "base", true},
        {"Base.Tar.Gz", "base", true},
        {"base.", "base", true},
        {"base..x", "base", true},
        {"based.txt", "base", false},
        {"bas.txt", "base", false},
        {"xbase.txt", "base", false},
        {"base_1.txt", "base", false},
        {".hidden", "", true}, // an empty base: every name that begins with "."
        {"plain", "", false},
        // Wildcard characters in a Linux name are plain characters.
        {"a*.txt", "a*", true},
        {"ab.txt", "a*", false},
        {"a?.txt", "a?", true},
        {"ab", "a?", false},
        // Shift-JIS: a second byte that is a letter is not a letter.
        {a + ".txt", a, true},
        {a + ".TXT", a, true},
        {di + ".txt", a, false},
        {sjisPhotoBase + ".JPG", sjisPhotoBase, true},
        {sjisPhotoBase + "2.jpg", sjisPhotoBase, false},
        {sjisTableBase + ".txt", sjisTableBase, true},
        // UTF-8: ASCII letters fold, the rest must be equal.
        {"テスト.Txt", "テスト", true},
        {"テスト.txt", "テキスト", false},
        {"ÉTÉ.jpg", "été", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(matchesBaseWildcard(c.name, c.base), c.matches) << c.name << " / " << c.base;
}

TEST(BaseWildcard, ListingTakesFilesAndFoldersOfTheFolder)
{
    ScratchDir dir;
    for (const std::string name :
         {"base", "base.txt", "BASE.JPG", "based.txt", "base.tar.gz", "other.txt", ".base"})
        dir.write(name, "");
    dir.makeFolder("Base.d");
    dir.write(sjisPhotoBase + ".jpg", "");
    dir.write(sjisPhotoBase + ".xmp", "");
    dir.write(di + ".jpg", "");

    PosixFileSystem fs;
    FolderHandle handle;
    ASSERT_EQ(fs.openFolder(dir.path(), handle), 0);

    std::vector<std::string> names;
    ASSERT_EQ(fs.listMatching(handle, "base", names), 0);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"BASE.JPG", "Base.d", "base", "base.tar.gz", "base.txt"}));

    ASSERT_EQ(fs.listMatching(handle, sjisPhotoBase, names), 0);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{sjisPhotoBase + ".jpg", sjisPhotoBase + ".xmp"}));

    ASSERT_EQ(fs.listMatching(handle, a, names), 0);
    EXPECT_TRUE(names.empty());

    // "." and ".." are never offered, even to a pattern that would take them.
    ASSERT_EQ(fs.listMatching(handle, "", names), 0);
    EXPECT_EQ(names, std::vector<std::string>{".base"});
}

TEST(BaseWildcard, AFailedListingIsReported)
{
    ScratchDir dir;
    dir.write("base.txt", "");
    PosixFileSystem real;
    FaultyFileSystem fs(real);
    FolderHandle handle;
    ASSERT_EQ(fs.openFolder(dir.path(), handle), 0);
    fs.fail(FsCall::ReadNames, EIO);
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(fs.listMatching(handle, "base", names), EIO);
}
