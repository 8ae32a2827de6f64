#include "ByteText.h"

#include "common/SampleNames.h"

#include <gtest/gtest.h>

namespace torvel {
namespace {

// Every helper as bytes in and text out, so that one table holds the edges
// of them all.
using Helper = std::string (*)(std::string_view);

std::string yesNo(bool answer)
{
    return answer ? "yes" : "no";
}

std::string joined(const std::vector<std::string_view>& parts)
{
    std::string out;
    for (const std::string_view part : parts)
        out += (out.empty() ? "" : "|") + std::string(part);
    return out;
}

std::uint32_t hexNumber(std::string_view digits)
{
    std::uint32_t value = 0;
    for (const char c : digits)
        value = value << 4 | static_cast<std::uint32_t>(hexDigitValue(c));
    return value;
}

std::string eachByte(std::string_view bytes, char (*map)(char))
{
    std::string out(bytes);
    for (char& c : out)
        c = map(c);
    return out;
}

const Helper lower = [](std::string_view s) { return eachByte(s, asciiLower); };
const Helper upper = [](std::string_view s) { return eachByte(s, asciiUpper); };
const Helper letters = [](std::string_view s) {
    std::string out;
    for (const char c : s)
        out += isAsciiLetter(c) ? std::string(1, c) : "";
    return out;
};
// "a|b": whether a and b are equal but for the case of ASCII letters.
const Helper sameIgnoringCase = [](std::string_view s) {
    const auto bar = s.find('|');
    return yesNo(equalsIgnoringAsciiCase(s.substr(0, bar), s.substr(bar + 1)));
};
const Helper trim = [](std::string_view s) { return trimControls(s); };
const Helper leadBytes = [](std::string_view s) {
    std::string out;
    for (const char c : s)
        out += isShiftJisLeadByte(static_cast<unsigned char>(c)) ? '1' : '0';
    return out;
};
const Helper validUtf8 = [](std::string_view s) { return yesNo(isValidUtf8(s)); };
const Helper decode = [](std::string_view s) {
    std::string out;
    for (const char32_t c : decodeUtf8(s))
        out += (out.empty() ? "U+" : " U+") + hexDigits(c, c > 0xFFFF ? 5 : 4);
    return out;
};
const Helper roundTrip = [](std::string_view s) { return encodeUtf8(decodeUtf8(s)); };
// The hex number in the input as one character.
const Helper encodeOne = [](std::string_view s) {
    return encodeUtf8(std::u32string(1, hexNumber(s)));
};
const Helper hex4 = [](std::string_view s) { return hexDigits(hexNumber(s), 4); };
const Helper digitValues = [](std::string_view s) {
    std::string out;
    for (const char c : s)
        out += (out.empty() ? "" : ",") + std::to_string(hexDigitValue(c));
    return out;
};
const Helper percent = [](std::string_view s) { return percentEncodedPath(s); };
const Helper dots = [](std::string_view s) { return yesNo(isDotOrDotDot(s)); };
const Helper withSlash = [](std::string_view s) { return withTrailingSlash(std::string(s)); };
const Helper withoutSlashes = [](std::string_view s) {
    return std::string(withoutTrailingSlashes(s));
};
const Helper folder = [](std::string_view s) { return std::string(folderPart(s)); };
const Helper name = [](std::string_view s) { return std::string(namePart(s)); };
const Helper parent = [](std::string_view s) { return parentFolder(s); };
const Helper names = [](std::string_view s) { return joined(namesInPath(s)); };

struct Case
{
    const char* name;
    Helper helper;
    std::string input;
    std::string expected;
};

const Case cases[] = {
    {"LowerChangesAsciiCapitalsOnly", lower, "AbZ@[写", "abz@[写"},
    {"UpperChangesAsciiSmallLettersOnly", upper, "aZz`{", "AZZ`{"},
    {"LettersAreAsciiLettersOnly", letters, "a1Z_é", "aZ"},
    {"CaseBlindKeysMatch", sameIgnoringCase, "Translation|TRANSLATION", "yes"},
    {"CaseBlindKeysNeedTheSameLength", sameIgnoringCase, "abc|abcd", "no"},
    {"CaseBlindLeavesOtherLettersAlone", sameIgnoringCase, "É|é", "no"},
    {"TrimDropsBlanksAndControls", trim, "\x01 旅行 2024\t\x1f", "旅行 2024"},
    {"TrimOfBlanksOnlyIsEmpty", trim, "   ", ""},
    {"ShiftJisLeadByteRanges", leadBytes, "\x80\x81\x9F\xA0\xDF\xE0\xFC\xFD", "01100110"},
    {"ShiftJisNameLeadsEveryOtherByte", leadBytes, sjisTest, "101010"},
    {"Utf8Ascii", validUtf8, "plain.txt", "yes"},
    {"Utf8Japanese", validUtf8, "写真.ｊｐｇ", "yes"},
    {"Utf8FourBytes", validUtf8, "\xF0\x9F\x93\xB7", "yes"},
    {"Utf8OverlongNulRefused", validUtf8, "\xC0\x80", "no"},
    {"Utf8OverlongSlashRefused", validUtf8, "\xE0\x80\xAF", "no"},
    {"Utf8SurrogateRefused", validUtf8, "\xED\xA0\x80", "no"},
    {"Utf8AboveLastCharacterRefused", validUtf8, "\xF4\x90\x80\x80", "no"},
    {"Utf8CutShortRefused", validUtf8, "\xE5\x86", "no"},
    {"Utf8ShiftJisNameRefused", validUtf8, sjisTest, "no"},
    {"DecodeGivesCharacters", decode, "a写\xF0\x9F\x93\xB7", "U+0061 U+5199 U+1F4F7"},
    {"DecodeReplacesEachBadByte", decode,
     "\xE5\x86"
     "a",
     "U+FFFD U+FFFD U+0061"},
    {"DecodeOverlongIsNoCharacter", decode, "\xC0\x80", "U+FFFD U+FFFD"},
    {"DecodeShiftJisKeepsAsciiSecondBytes", decode, "\x83\x65", "U+FFFD U+0065"},
    {"EncodeRoundTrips", roundTrip, "写真 01.ｊｐｇ", "写真 01.ｊｐｇ"},
    {"EncodeFourBytes", encodeOne, "1F4F7", "\xF0\x9F\x93\xB7"},
    {"EncodeSurrogateAsReplacement", encodeOne, "D800", "\xEF\xBF\xBD"},
    {"EncodeAboveLastCharacterAsReplacement", encodeOne, "110000", "\xEF\xBF\xBD"},
    {"HexKeepsLeadingZeros", hex4, "411", "0411"},
    {"HexKeepsLowestDigits", hex4, "12345", "2345"},
    {"HexDigitValues", digitValues, "09afAFg/", "0,9,10,15,10,15,-1,-1"},
    {"PercentKeepsUnreservedBytes", percent, "/a-b_c.d~e/F9", "/a-b_c.d~e/F9"},
    {"PercentEncodesOtherBytes", percent, "\n=\xff", "%0A%3D%FF"},
    {"PercentEncodesShiftJisBytes", percent, "/\x83\x5C", "/%83%5C"},
    {"DotIsNoEntry", dots, ".", "yes"},
    {"DotDotIsNoEntry", dots, "..", "yes"},
    {"ThreeDotsNameAnEntry", dots, "...", "no"},
    {"WithSlashAddsOne", withSlash, "/tmp", "/tmp/"},
    {"WithSlashKeepsOne", withSlash, "/tmp/", "/tmp/"},
    {"WithSlashNeverMakesEmptyTheRoot", withSlash, "", ""},
    {"WithoutSlashesDropsAll", withoutSlashes, "/a/b//", "/a/b"},
    {"WithoutSlashesKeepsRoot", withoutSlashes, "//", "/"},
    {"WithoutSlashesLeavesEmptyEmpty", withoutSlashes, "", ""},
    {"FolderPartOfFile", folder, "/a/b.txt", "/a/"},
    {"FolderPartOfFolder", folder, "/a/", "/a/"},
    {"FolderPartOfBareName", folder, "b.txt", ""},
    {"NamePartOfFile", name, "/a/b.txt", "b.txt"},
    {"NamePartOfFolder", name, "/a/", ""},
    {"NamePartOfBareName", name, "b", "b"},
    {"NamePartOfShiftJisName", name, "/写真/\x83\x5C.txt", "\x83\x5C.txt"},
    {"ParentOfFolder", parent, "/a/b/", "/a/"},
    {"ParentOfFile", parent, "/a/b", "/a/"},
    {"ParentOfTopFolderIsRoot", parent, "/a", "/"},
    {"ParentOfRootIsNone", parent, "/", ""},
    {"ParentOfBareNameIsNone", parent, "a", ""},
    {"ParentOfRelativePath", parent, "a/b", "a/"},
    {"ParentOfShiftJisFolder", parent, "/写真/" + sjisTest + "/", "/写真/"},
    {"NamesSkipEmptyAndDot", names, "/a//./b/../c/", "a|b|..|c"},
    {"NamesOfRootAreNone", names, "/", ""},
};

class ByteText : public ::testing::TestWithParam<Case>
{};

TEST_P(ByteText, GivesTheDocumentedResult)
{
    const Case& c = GetParam();
    EXPECT_EQ(c.helper(c.input), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Edges, ByteText, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<Case>& row) {
                             return std::string(row.param.name);
                         });

} // namespace
} // namespace torvel
