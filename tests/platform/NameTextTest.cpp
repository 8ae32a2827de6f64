#include "NameCollation.h"
#include "NameText.h"

#include "common/SampleNames.h"
#include "common/ScratchDir.h"
#include "common/TimeZone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

namespace torvel {
namespace {

TEST(DisplayName, ShowsUtf8ThenCp932ThenEscapes)
{
    EXPECT_EQ(displayName("写真 01.jpg"), "写真 01.jpg");
    EXPECT_EQ(displayName(sjisTest + ".txt"), "テスト.txt");
    // The second byte of "ソ" is the code of a backslash; it stays part of it.
    EXPECT_EQ(displayName("\x83\x5C"
                          "a.txt"),
              "ソa.txt");
    EXPECT_EQ(displayName("\xB1\xB2"), "ｱｲ"); // half-width katakana
    // Neither UTF-8 nor CP932: the valid parts stay, the bad bytes are shown.
    EXPECT_EQ(displayName("ab\x81 c"), "ab\\x81 c");
    EXPECT_EQ(displayName("写\xFF"), "写\\xFF");
    EXPECT_EQ(nameFromUserText("写真"), "写真");
}

TEST(CaseMapping, AsciiLettersOnlyLeaveShiftJisHalvesAlone)
{
    // 0x83 0x41 is "ア": its second byte is the code of "A".
    const std::string name = "AbC\x83\x41x.TXT";
    EXPECT_EQ(asciiLowerName(name), "abc\x83\x41x.txt");
    EXPECT_EQ(asciiLowerName("\x83\x61"
                             "A"),
              "\x83\x61"
              "a"); // "ダ" keeps its second byte
    EXPECT_EQ(asciiLowerName("ÄB"), "Äb");
}

TEST(CaseMapping, MapsUtf8NamesWithUnicodeRules)
{
    EXPECT_EQ(upperCaseName("Trip01.jpg"), "TRIP01.JPG");
    EXPECT_EQ(lowerCaseName("TRIP01.JPG"), "trip01.jpg");
    EXPECT_EQ(upperCaseName("ｔｒｉｐ.txt"), "ＴＲＩＰ.TXT");
    EXPECT_EQ(upperCaseName("straße"), "STRASSE");
    EXPECT_EQ(lowerCaseName("ÉTÉ"), "été");
    EXPECT_EQ(upperCaseName("写真a"), "写真A");
    // Not UTF-8: ASCII letters only, the second bytes untouched.
    EXPECT_EQ(upperCaseName("\x83\x61"
                            "ab.txt"),
              "\x83\x61"
              "AB.TXT");
    EXPECT_EQ(lowerCaseName(sjisTest + "AB"), sjisTest + "ab");
}

TEST(CaseMapping, FoldedKeysIgnoreCaseOnly)
{
    EXPECT_EQ(caseFoldKey("CHGN01.TXT"), caseFoldKey("chgn01.txt"));
    EXPECT_EQ(caseFoldKey("Ｔｒｉｐ"), caseFoldKey("ＴＲＩＰ"));
    EXPECT_EQ(caseFoldKey("STRASSE"), caseFoldKey("straße"));
    EXPECT_EQ(caseFoldKey("\x83\x41"
                          "A"),
              caseFoldKey("\x83\x41"
                          "a"));
    EXPECT_NE(caseFoldKey("\x83\x41"), caseFoldKey("\x83\x61")); // "ア" is not "ダ"
    EXPECT_NE(caseFoldKey("a01.txt"), caseFoldKey("a01.txt "));
}

class LocaleEnvironment : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* var : {"LC_ALL", "LC_COLLATE", "LANG"}) {
            const char* v = std::getenv(var);
            m_saved.emplace_back(var, v != nullptr ? std::optional<std::string>(v) : std::nullopt);
            ::unsetenv(var);
        }
    }

    void TearDown() override
    {
        for (const auto& [var, value] : m_saved) {
            if (value)
                ::setenv(var.c_str(), value->c_str(), 1);
            else
                ::unsetenv(var.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

TEST_F(LocaleEnvironment, LocaleIdComesFromTheEnvironment)
{
    EXPECT_EQ(userLocaleId("LC_COLLATE"), "");
    ::setenv("LANG", "de_DE.UTF-8", 1);
    EXPECT_EQ(userLocaleId("LC_COLLATE"), "de_DE");
    ::setenv("LC_COLLATE", "ja_JP.UTF-8", 1);
    EXPECT_EQ(userLocaleId("LC_COLLATE"), "ja_JP");
    ::setenv("LC_ALL", "C.UTF-8", 1);
    EXPECT_EQ(userLocaleId("LC_COLLATE"), "");
    ::setenv("LC_ALL", "sv_SE@euro", 1);
    EXPECT_EQ(userLocaleId("LC_COLLATE"), "sv_SE");
}

TEST(NameCollation, LowersAsciiThenCollatesThenComparesBytes)
{
    const NameCollator collator("");
    EXPECT_LT(collator.compare("a.txt", "B.txt"), 0);
    EXPECT_GT(collator.compare("b.txt", "A.txt"), 0);
    // Equal after lower-casing: told apart by their bytes, so the order is total.
    EXPECT_LT(collator.compare("A.txt", "a.txt"), 0);
    EXPECT_GT(collator.compare("a.txt", "A.txt"), 0);
    EXPECT_EQ(collator.compare("a.txt", "a.txt"), 0);
    // Collation, not bytes: "é" sorts with "e", not after "z".
    EXPECT_LT(collator.compare("été", "zoo"), 0);
    EXPECT_LT(collator.compare("file10", "file9"), 0); // no numeric ordering
}

TEST(NameCollation, ShiftJisNamesSortWhereTheirTextSorts)
{
    const NameCollator collator("ja");
    const std::string utf8 = "テスト";
    for (const std::string other : {"abc", "zzz", "あいう", "ナナ", "テスト1"}) {
        const int fromText = collator.compare(utf8, other);
        const int fromBytes = collator.compare(sjisTest, other);
        EXPECT_EQ(fromText < 0, fromBytes < 0) << other;
    }
    // Same text, different bytes: still a strict order.
    EXPECT_NE(collator.compare(sjisTest, utf8), 0);
    EXPECT_EQ(collator.compare(sjisTest, utf8), -collator.compare(utf8, sjisTest));
}

TEST(NameCollation, KeysGiveTheSameTotalOrderAsCompare)
{
    const NameCollator collator("ja");
    std::vector<std::string> names = {"b.txt",  "B.txt",    "a.TXT",   "A.txt", "写真.jpg",
                                      sjisTest, "テスト",   ".hidden", "a",     "a b",
                                      "ab",     "\xFF\xFE", "Ａ.txt"};
    std::vector<std::string> byCompare = names;
    std::sort(byCompare.begin(), byCompare.end(), [&](const std::string& x, const std::string& y) {
        return collator.compare(x, y) < 0;
    });
    std::vector<std::string> byKeys = names;
    std::sort(byKeys.begin(), byKeys.end(), [&](const std::string& x, const std::string& y) {
        return compareNameKeys(collator.sortKey(x), x, collator.sortKey(y), y) < 0;
    });
    EXPECT_EQ(byCompare, byKeys);
    for (std::size_t i = 1; i < byKeys.size(); ++i)
        EXPECT_LT(collator.compare(byKeys[i - 1], byKeys[i]), 0)
            << byKeys[i - 1] << " / " << byKeys[i];
}

} // namespace
} // namespace torvel
