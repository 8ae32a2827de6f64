#include "DatePattern.h"

#include <gtest/gtest.h>

using namespace torvel;

namespace {

// 2024-05-03 07:08:09, a morning with single digits everywhere.
const LocalDateTime morning{2024, 5, 3, 7, 8, 9, 0};

} // namespace

TEST(DatePattern, PatternsGiveTheTextTheyShowOrSayWhyNot)
{
    struct Case
    {
        const char* name;
        const char* pattern;
        const char* expected; // nullptr: refused
        DatePatternProblem problem = DatePatternProblem::None;
        bool showsTime = false;
    };
    const Case cases[] = {
        {"compact day", "yyyyMMdd", "20240503"},
        {"dashed day", "yyyy-MM-dd", "2024-05-03"},
        {"day and time", "yyyyMMdd_HHmmss", "20240503_070809", {}, true},
        {"short year", "yyMMdd", "240503"},
        {"unpadded fields", "yyyy.M.d H-m-s", "2024.5.3 7-8-9", {}, true},
        {"Japanese text kept as it stands", "yyyy年M月d日", "2024年5月3日"},
        {"minutes are lower-case, months upper", "mm", "08", {}, true},
        {"three y are no field", "yyyMMdd", nullptr, DatePatternProblem::BadField},
        {"three M are no field", "yyyyMMMdd", nullptr, DatePatternProblem::BadField},
        {"a slash cannot be in a name", "yyyy/MM/dd", nullptr, DatePatternProblem::BadCharacter},
        {"nor a tab", "yyyy\tMM", nullptr, DatePatternProblem::BadCharacter},
        {"text alone shows no date", "photo", nullptr, DatePatternProblem::NoField},
        {"empty", "", nullptr, DatePatternProblem::NoField},
    };
    for (const Case& c : cases) {
        DatePatternProblem problem = DatePatternProblem::None;
        const std::optional<DatePattern> pattern = DatePattern::parse(c.pattern, &problem);
        EXPECT_EQ(problem, c.problem) << c.name;
        ASSERT_EQ(pattern.has_value(), c.expected != nullptr) << c.name;
        if (!pattern)
            continue;
        EXPECT_EQ(pattern->format(morning), c.expected) << c.name;
        EXPECT_EQ(pattern->showsTime(), c.showsTime) << c.name;
    }
}

TEST(DatePattern, YearsKeepTheirWidthAtEitherEnd)
{
    const DatePattern pattern = *DatePattern::parse("yyyy_yy");
    EXPECT_EQ(pattern.format({987, 1, 1, 0, 0, 0, 0}), "0987_87");
    EXPECT_EQ(pattern.format({2100, 1, 1, 0, 0, 0, 0}), "2100_00");
}

// Names made by a date are numbered per date text through the fields the
// pattern shows: two times must share them exactly when their texts agree.
TEST(DatePattern, TimesShareTheirShownFieldsWhenTheirTextsAgree)
{
    struct Case
    {
        const char* name;
        const char* pattern;
        LocalDateTime other; // beside `morning`
        bool same;
    };
    const Case cases[] = {
        {"another hour of the day", "yyyyMMdd", {2024, 5, 3, 23, 59, 59, 0}, true},
        {"the next day", "yyyyMMdd", {2024, 5, 4, 7, 8, 9, 0}, false},
        {"another second", "yyyyMMdd_HHmmss", {2024, 5, 3, 7, 8, 10, 0}, false},
        {"a century apart in two digits", "yyMMdd", {1924, 5, 3, 7, 8, 9, 0}, true},
        {"a century apart with four digits too", "yyyy_yy", {1924, 5, 3, 7, 8, 9, 0}, false},
        {"another day at the same minute", "HHmm", {1999, 12, 31, 7, 8, 0, 0}, true},
        {"a negative year", "yyyyMMdd", {-2024, 5, 3, 7, 8, 9, 0}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DatePattern pattern = *DatePattern::parse(c.pattern);
        EXPECT_EQ(pattern.shownFields(morning) == pattern.shownFields(c.other), c.same);
        EXPECT_EQ(pattern.format(morning) == pattern.format(c.other), c.same);
    }
    EXPECT_TRUE(DatePattern::parse("yyyy-MM-dd_HHmmss")->fixedWidth());
    EXPECT_FALSE(DatePattern::parse("yyyy-M-dd")->fixedWidth());
    EXPECT_EQ(DatePattern::parse("yyyyMMdd")->format({12345, 1, 2, 0, 0, 0, 0}), "123450102");
}
