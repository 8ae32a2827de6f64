#include <gtest/gtest.h>

#include "NameMatch.h"
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
