#include "Extraction.h"

#include <gtest/gtest.h>

namespace torvel {
namespace {

TEST(Extraction, IdentifierIsTrimmedButOtherwiseKept)
{
    EXPECT_EQ(cleanIdentifier("  ABC \t"), "ABC");
    EXPECT_EQ(cleanIdentifier("\x01旅行 2024\x1f"), "旅行 2024");
    EXPECT_EQ(cleanIdentifier("   "), "");
}

TEST(Extraction, ExtensionLosesDotBlanksAndNonLetters)
{
    auto plain = cleanExtensionText(".txt");
    EXPECT_EQ(plain.text, "txt");
    EXPECT_FALSE(plain.removed) << "a leading dot is not a removal worth a message";

    auto digits = cleanExtensionText("mp3");
    EXPECT_EQ(digits.text, "mp");
    EXPECT_TRUE(digits.removed);

    auto blanks = cleanExtensionText(" t x t ");
    EXPECT_EQ(blanks.text, "txt");
    EXPECT_TRUE(blanks.removed);

    auto japanese = cleanExtensionText("jpg画");
    EXPECT_EQ(japanese.text, "jpg") << "a double-byte character goes whole";
    EXPECT_TRUE(japanese.removed);

    auto twoDots = cleanExtensionText("..txt");
    EXPECT_EQ(twoDots.text, "txt");
    EXPECT_TRUE(twoDots.removed) << "only one leading dot is dropped silently";

    auto empty = cleanExtensionText("");
    EXPECT_EQ(empty.text, "");
    EXPECT_FALSE(empty.removed);
}

TEST(Extraction, LeadingLettersOfFirstName)
{
    EXPECT_EQ(leadingLetters("DSC0001.JPG"), "DSC");
    EXPECT_EQ(leadingLetters("2001trip.jpg"), "");
    EXPECT_EQ(leadingLetters("readme"), "readme");
    EXPECT_EQ(leadingLetters("ab\x83\x65st.txt"), "ab") << "stops at a Shift-JIS lead byte";
}

TEST(Extraction, AttrTextColumnsLineUp)
{
    EXPECT_EQ(AttrText(0x20), "書可      アーカイブ");
    EXPECT_EQ(AttrText(0x01 | 0x02), "読専 隠し ");
    EXPECT_EQ(AttrText(0x01 | 0x02 | 0x20 | 0x100), "読専 隠し アーカイブ");
}

} // namespace
} // namespace torvel
