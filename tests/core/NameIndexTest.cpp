#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "NameIndex.h"

namespace torvel {
namespace {

constexpr std::uint32_t none = NameIndex::none;

// "IMG_000000.jpg" ... : more names than the table starts with, so that it
// grows many times while the first names are still to be found.
std::vector<std::string> many(int count)
{
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        std::string number = std::to_string(i);
        names.push_back("IMG_" + std::string(6 - number.size(), '0') + number + ".jpg");
    }
    return names;
}

struct Case
{
    const char* what;
    NameCase rule;
    std::vector<std::string> names; // inserted in order, each with its position as value
    std::size_t held;               // how many of them the index holds
    std::vector<std::pair<std::string, std::uint32_t>> finds; // name, value or none
};

TEST(NameIndex, FindsEachNameUnderItsCaseRule)
{
    const std::string sjisA = "\x83\x41.jpg"; // Shift-JIS: a second byte that is "A"
    const std::string sjisa = "\x83\x61.jpg"; // ... and another character, second byte "a"
    const std::vector<Case> cases = {
        {"exact tells case apart",
         NameCase::Exact,
         {"a.JPG", "A.jpg"},
         2,
         {{"a.JPG", 0}, {"A.jpg", 1}, {"a.jpg", none}}},
        {"ASCII letters: the first of two names equal apart from case stays",
         NameCase::AsciiLetters,
         {"Photo.JPG", "photo.jpg"},
         1,
         {{"PHOTO.jpg", 0}, {"photo.jpe", none}}},
        {"ASCII letters leave other letters exact",
         NameCase::AsciiLetters,
         {"\xc3\x84.txt"},
         1,
         {{"\xc3\xa4.txt", none}}},
        {"folded: accented and full-width letters",
         NameCase::Folded,
         {"\xc3\x84.txt", "\xef\xbc\xa1\xef\xbc\xa2"},
         2,
         {{"\xc3\xa4.TXT", 0}, {"\xef\xbd\x81\xef\xbd\x82", 1}}},
        // The batch's rule lowers every byte; folding keeps the second byte
        // of a double-byte character exact.
        {"Shift-JIS second bytes, ASCII letters",
         NameCase::AsciiLetters,
         {sjisA, sjisa},
         1,
         {{sjisa, 0}}},
        {"Shift-JIS second bytes, folded",
         NameCase::Folded,
         {sjisA, sjisa, "\x83\x41.JPG"},
         2,
         {{sjisA, 0}, {sjisa, 1}, {"\x83\x41.jpg", 0}}},
        {"bytes that are no text",
         NameCase::Folded,
         {"\xff\xfe"},
         1,
         {{"\xff\xfe", 0}, {"\xff", none}}},
        {"the empty name is a name", NameCase::Exact, {""}, 1, {{"", 0}, {" ", none}}},
        {"nothing held", NameCase::Folded, {}, 0, {{"a", none}, {"", none}}},
        {"very many names",
         NameCase::AsciiLetters,
         many(200000),
         200000,
         {{"img_000000.JPG", 0}, {"IMG_199999.jpg", 199999}, {"IMG_200000.jpg", none}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NameIndex index(c.rule);
        for (std::size_t i = 0; i < c.names.size(); ++i)
            (void)index.insert(c.names[i], static_cast<std::uint32_t>(i));
        EXPECT_EQ(index.size(), c.held);
        for (const auto& [name, value] : c.finds)
            EXPECT_EQ(index.find(name), value) << name;
    }
}

} // namespace
} // namespace torvel
