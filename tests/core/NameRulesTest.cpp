#include "NameRules.h"

#include "common/SampleNames.h"
#include "common/ScratchDir.h"
#include "common/TimeZone.h"

#include <gtest/gtest.h>

namespace torvel {
namespace {

TEST(NameRules, ExtensionIsFromTheLastDot)
{
    EXPECT_EQ(extensionOf("memo.doc"), ".doc");
    EXPECT_EQ(baseNameOf("memo.doc"), "memo");
    EXPECT_EQ(extensionOf("archive.tar.gz"), ".gz");
    EXPECT_EQ(baseNameOf("archive.tar.gz"), "archive.tar");
    EXPECT_EQ(extensionOf("readme"), "");
    EXPECT_EQ(baseNameOf("readme"), "readme");
    EXPECT_EQ(extensionOf(".bashrc"), ".bashrc");
    EXPECT_EQ(baseNameOf(".bashrc"), "");
    EXPECT_EQ(extensionOf("name."), ".");
    EXPECT_EQ(extensionOf("dir.d/name"), ""); // a separator follows the dot
    EXPECT_EQ(extensionOf("写真.ｊｐｇ"), ".ｊｐｇ");
    EXPECT_EQ(baseNameOf("写真.ｊｐｇ"), "写真");
    // Shift-JIS "ソ" ends in the byte of a backslash: an ordinary byte here.
    EXPECT_EQ(extensionOf("\x83\x5C.t\x83\x5Cxt"), ".t\x83\x5Cxt");
    EXPECT_EQ(extensionOf(sjisTest + ".txt"), ".txt");
}

TEST(NameRules, PadNumberFillsAndCuts)
{
    EXPECT_EQ(PadNumber(7, 3), "007");
    EXPECT_EQ(PadNumber(0, 2), "00");
    EXPECT_EQ(PadNumber(42, 2), "42");
    EXPECT_EQ(PadNumber(1234, 2), "34");
    EXPECT_EQ(PadNumber(10, 1), "0");
    EXPECT_EQ(PadNumber(5, 0), "");
    EXPECT_EQ(PadNumber(5, 25), std::string(19, '0') + "5"); // at most 20 places
    EXPECT_EQ(PadNumber(-5, 3), "0-5");
}

TEST(NameRules, NamesThisSystemCannotHold)
{
    EXPECT_EQ(nameProblem("CHGN01.txt"), NameProblem::None);
    EXPECT_EQ(nameProblem("a/b01.txt"), NameProblem::BadCharacter);
    EXPECT_EQ(nameProblem("."), NameProblem::BadCharacter);
    EXPECT_EQ(nameProblem(".."), NameProblem::BadCharacter);
    EXPECT_EQ(nameProblem(std::string("a\0b", 3)), NameProblem::BadCharacter);
    EXPECT_EQ(nameProblem(""), NameProblem::Empty);
    EXPECT_EQ(nameProblem(std::string(255, 'x')), NameProblem::None);
    EXPECT_EQ(nameProblem(std::string(256, 'x')), NameProblem::TooLong);
    EXPECT_EQ(nameProblem(std::string(85, 'x') + "写"), NameProblem::None); // 85 + 3 bytes
}

} // namespace
} // namespace torvel
