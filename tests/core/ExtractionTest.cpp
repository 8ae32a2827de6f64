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

TEST(Extraction, ExtensionKeepsLettersAndDigitsAndLosesTheRest)
{
    struct Case
    {
        const char* what;
        const char* typed;
        const char* kept;
        bool removed; // whether the removal message is due
    };
    const Case cases[] = {
        {"a leading dot is no removal worth a message", ".txt", "txt", false},
        {"music keeps its type", "mp3", "mp3", false},
        {"digit first", "7z", "7z", false},
        {"blanks inside", " t x t ", "txt", true},
        {"a double-byte character goes whole", "jpg画", "jpg", true},
        {"a full-width digit is no ASCII digit", "mp３", "mp", true},
        {"only one leading dot goes silently", "..txt", "txt", true},
        {"empty", "", "", false},
    };
    for (const Case& c : cases) {
        const LetterFilterResult cleaned = cleanExtensionText(c.typed);
        EXPECT_EQ(cleaned.text, c.kept) << c.what;
        EXPECT_EQ(cleaned.removed, c.removed) << c.what;
    }
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
