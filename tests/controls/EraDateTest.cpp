#include "EraDate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using torvel::EraDate;

namespace {

struct Ymd
{
    int year;
    int month;
    int day;
};

EraDate dateOf(int year, int month, int day, bool era = false)
{
    EraDate date;
    date.setEraMode(era);
    date.ApplyYMD(year, month, day);
    return date;
}

void expectYmd(const EraDate& date, Ymd expected, const std::string& context)
{
    EXPECT_EQ(date.year(), expected.year) << context;
    EXPECT_EQ(date.month(), expected.month) << context;
    EXPECT_EQ(date.day(), expected.day) << context;
}

void expectBlank(const EraDate& date, const std::string& context)
{
    EXPECT_TRUE(date.isBlank()) << context;
    EXPECT_EQ(date.value(), -11687.0) << context;
    expectYmd(date, {1867, 12, 31}, context);
}

} // namespace

TEST(EraDate, BlankDateIsOneSentinelShownAsBlanks)
{
    EraDate date;
    expectBlank(date, "new");
    EXPECT_EQ(date.ShowDate(), "    /  /  ");
    date.setEraMode(true);
    EXPECT_EQ(date.ShowDate(), " .  /  /  ");

    for (const Ymd& early :
         {Ymd{1867, 12, 31}, Ymd{1867, 1, 1}, Ymd{1000, 6, 15}, Ymd{0, 0, 0}, Ymd{-5, 3, 3}}) {
        date.ApplyYMD(2000, 1, 1);
        date.ApplyYMD(early.year, early.month, early.day);
        expectBlank(date, std::to_string(early.year));
    }
}

TEST(EraDate, ApplyYmdClampsMonthAndDayToTheCalendar)
{
    struct Case
    {
        Ymd in;
        Ymd out;
        double value;
    };
    const Case cases[] = {
        {{1868, 1, 1}, {1868, 1, 1}, -11686.0},
        {{1899, 12, 30}, {1899, 12, 30}, 0.0},
        {{1998, 12, 5}, {1998, 12, 5}, 36134.0},
        {{2000, 2, 31}, {2000, 2, 29}, 36585.0},
        {{1999, 2, 31}, {1999, 2, 28}, 36219.0},
        {{1900, 2, 29}, {1900, 2, 28}, 60.0},
        {{2100, 2, 29}, {2100, 2, 28}, 73109.0},
        {{2000, 4, 31}, {2000, 4, 30}, 36646.0},
        {{2000, 13, 0}, {2000, 12, 1}, 36861.0},
        {{2000, 0, 40}, {2000, 1, 31}, 36556.0},
        {{2000, -7, -7}, {2000, 1, 1}, 36526.0},
        // Five-digit years cannot be shown; they stop at the last four-digit day.
        {{10000, 1, 1}, {9999, 12, 31}, 2958465.0},
    };
    for (const Case& c : cases) {
        const std::string context = std::to_string(c.in.year) + "/" + std::to_string(c.in.month)
                                    + "/" + std::to_string(c.in.day);
        const EraDate date = dateOf(c.in.year, c.in.month, c.in.day);
        expectYmd(date, c.out, context);
        EXPECT_EQ(date.value(), c.value) << context;
        EXPECT_FALSE(date.isBlank()) << context;
    }
}

TEST(EraDate, AssigningAValueKeepsTheTimeOfDay)
{
    EraDate date;
    date.assignValue(36134.75);
    expectYmd(date, {1998, 12, 5}, "afternoon");
    EXPECT_EQ(date.value(), 36134.75);

    // Before day zero the time of day still counts forward from the day's start.
    date.assignValue(-11686.5);
    expectYmd(date, {1868, 1, 1}, "noon of the first real day");
    EXPECT_EQ(date.value(), -11686.5);
    date.assignValue(-1.25);
    expectYmd(date, {1899, 12, 29}, "day before zero");

    for (double early : {-11687.0, -11687.5, -20000.0, -1e300, std::nan("")}) {
        date.assignValue(36134.0);
        date.assignValue(early);
        expectBlank(date, std::to_string(early));
    }
    date.assignValue(1e300);
    expectYmd(date, {9999, 12, 31}, "far future");
}

TEST(EraDate, PropertyWritesOutsideTheirRangeAreRefused)
{
    EraDate date = dateOf(2001, 4, 15);
    EXPECT_FALSE(date.assignYear(2100));
    EXPECT_FALSE(date.assignYear(1867));
    EXPECT_FALSE(date.assignMonth(0));
    EXPECT_FALSE(date.assignMonth(13));
    EXPECT_FALSE(date.assignDay(0));
    EXPECT_FALSE(date.assignDay(32));
    expectYmd(date, {2001, 4, 15}, "after refusals");

    EXPECT_TRUE(date.assignDay(31));
    expectYmd(date, {2001, 4, 30}, "day 31 in April");
    EXPECT_TRUE(date.assignYear(2099));
    EXPECT_TRUE(date.assignYear(1868));
    EXPECT_TRUE(date.assignMonth(2));
    expectYmd(date, {1868, 2, 29}, "leap February 1868");

    // The order the time stamp page sets a date in reaches every day.
    EraDate page = dateOf(2024, 1, 31);
    EXPECT_TRUE(page.assignYear(2023));
    EXPECT_TRUE(page.assignMonth(2));
    EXPECT_TRUE(page.assignDay(15));
    expectYmd(page, {2023, 2, 15}, "page order");

    // A blank date takes a year with its own month and day.
    EraDate blank;
    EXPECT_TRUE(blank.assignYear(2000));
    expectYmd(blank, {2000, 12, 31}, "year on blank");
    EraDate blankMonth;
    EXPECT_TRUE(blankMonth.assignMonth(3));
    EXPECT_TRUE(blankMonth.isBlank());
}

TEST(EraDate, EraFormFollowsTheDefaultTableAcrossEveryBoundary)
{
    struct Case
    {
        Ymd date;
        const char* text;
    };
    const Case cases[] = {
        {{1868, 1, 1}, "M.01/01/01"},
        {{1912, 7, 29}, "M.45/07/29"},
        {{1912, 7, 30}, "T.01/07/30"},
        {{1926, 12, 24}, "T.15/12/24"},
        {{1926, 12, 25}, "S.01/12/25"},
        {{1989, 1, 7}, "S.64/01/07"},
        {{1989, 1, 8}, "H.01/01/08"},
        {{1998, 12, 5}, "H.10/12/05"},
        {{2019, 4, 30}, "H.31/04/30"},
        {{2019, 5, 1}, "R.01/05/01"},
        {{2026, 3, 1}, "R.08/03/01"},
        {{2117, 12, 31}, "R.99/12/31"},
        // The era year has two places: the hundredth year shows as 00.
        {{2118, 1, 1}, "R.00/01/01"},
    };
    for (const Case& c : cases) {
        const EraDate date = dateOf(c.date.year, c.date.month, c.date.day, true);
        EXPECT_EQ(date.ShowDate(), c.text) << c.date.year;
    }
    EXPECT_EQ(dateOf(1998, 12, 5).ShowDate(), "1998/12/05");
}

TEST(EraDate, EraFormWithOtherTables)
{
    EraDate date = dateOf(1998, 12, 5, true);

    date.setEraRows({});
    EXPECT_EQ(date.ShowDate(), " .98/12/05") << "no era in force";

    date.setEraRows({"K=2000/01/01"});
    EXPECT_EQ(date.ShowDate(), " .98/12/05") << "before the only era";

    date.setEraRows({"S=1926/12/25", "H=1989/13/08", "Q=garbage"});
    EXPECT_EQ(date.ShowDate(), "S.73/12/05") << "rows that do not convert are skipped";

    date.setEraRows({"S=1926/12/25", "H=1989/1/8"});
    EXPECT_EQ(date.ShowDate(), "H.10/12/05") << "one-digit month and day";

    date.setEraRows({"A=1900/01/01", "A=1950/01/01"});
    EXPECT_EQ(date.ShowDate(), "A.49/12/05") << "the latest era in force wins";

    date.setEraRows({"明=1868/01/01", "令=2019/05/01"});
    EXPECT_EQ(date.ShowDate(), "明.31/12/05")
        << "letters beyond ASCII, the 131st year in two places";
}

TEST(EraDate, EraLettersAreTheUsableRowsEachOnce)
{
    EraDate date;
    EXPECT_EQ(date.eraLetters(), (std::vector<std::string>{"M", "T", "S", "H", "R"}));
    date.setEraRows({"A=1900/01/01", "B=bad", "A=1950/01/01", "令=2019/05/01"});
    EXPECT_EQ(date.eraLetters(), (std::vector<std::string>{"A", "令"}));
}

TEST(EraDate, ReadingWesternTextNormalisesOrBlanks)
{
    struct Case
    {
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {
        {"2000/02/31", "2000/02/29"}, {"1999/02/31", "1999/02/28"}, {"2000/13/45", "2000/12/31"},
        {"2000/00/00", "2000/01/01"}, {"2000/ 1/ 5", "2000/01/05"}, {"9999/12/31", "9999/12/31"},
        {"1868/01/01", "1868/01/01"}, {"1867/12/31", "    /  /  "}, {"0001/01/01", "    /  /  "},
        {"  98/01/01", "    /  /  "}, {"    /  /  ", "    /  /  "}, {"2000/1 /05", "    /  /  "},
        {"2000/01/  ", "    /  /  "}, {"20 0/01/01", "    /  /  "}, {"", "    /  /  "},
    };
    for (const Case& c : cases) {
        EraDate date = dateOf(2010, 10, 10);
        const EraDate::ParseResult result = date.parse(c.typed);
        EXPECT_TRUE(result.read) << c.typed;
        EXPECT_TRUE(result.message.empty()) << c.typed;
        EXPECT_EQ(result.text, c.shown) << c.typed;
        EXPECT_EQ(date.ShowDate(), c.shown) << c.typed;
    }
}

TEST(EraDate, ReadingEraTextTakesTheEraInForceOnTheResultingDay)
{
    struct Case
    {
        const char* typed;
        Ymd date;
        const char* shown;
    };
    const Case cases[] = {
        {"H.10/12/05", {1998, 12, 5}, "H.10/12/05"},
        {"H.01/01/01", {1989, 1, 1}, "S.64/01/01"},
        {"T.20/01/01", {1931, 1, 1}, "S.06/01/01"},
        {"S.64/01/08", {1989, 1, 8}, "H.01/01/08"},
        {"H.31/05/01", {2019, 5, 1}, "R.01/05/01"},
        {"R.01/04/30", {2019, 4, 30}, "H.31/04/30"},
        {"R.08/02/30", {2026, 2, 28}, "R.08/02/28"},
        {"M.01/01/01", {1868, 1, 1}, "M.01/01/01"},
        {"H. 2/ 3/ 4", {1990, 3, 4}, "H.02/03/04"},
        // Two-digit era years: the hundredth year of an era reads back a century early.
        {"R.00/06/01", {2018, 6, 1}, "H.30/06/01"},
    };
    for (const Case& c : cases) {
        EraDate date = dateOf(2010, 10, 10, true);
        const EraDate::ParseResult result = date.parse(c.typed);
        EXPECT_TRUE(result.read) << c.typed;
        EXPECT_TRUE(result.message.empty()) << c.typed;
        expectYmd(date, c.date, c.typed);
        EXPECT_EQ(result.text, c.shown) << c.typed;
    }

    EraDate early = dateOf(2010, 10, 10, true);
    early.parse("M.00/01/01");
    expectBlank(early, "year 1867 through the era");

    // Several rows with one letter: the first row in the table gives the base.
    EraDate shared = dateOf(2010, 10, 10, true);
    shared.setEraRows({"A=1900/01/01", "A=1950/01/01"});
    shared.parse("A.02/03/04");
    expectYmd(shared, {1901, 3, 4}, "shared letter");
}

TEST(EraDate, AnUnknownOrBlankEraLetterBlanksTheDate)
{
    EraDate date = dateOf(2010, 10, 10, true);
    EraDate::ParseResult result = date.parse("X.10/01/01");
    EXPECT_TRUE(result.read);
    EXPECT_EQ(result.message, "｢X｣は元号として登録されていません。");
    EXPECT_EQ(result.text, "X.10/01/01") << "the entry stays as typed";
    expectBlank(date, "unknown letter");

    date.ApplyYMD(2010, 10, 10);
    result = date.parse(" .10/01/01");
    EXPECT_TRUE(result.message.empty()) << "a blank letter is no error";
    expectBlank(date, "blank letter");

    date.ApplyYMD(2010, 10, 10);
    result = date.parse("平.10/01/01");
    EXPECT_EQ(result.message, "｢平｣は元号として登録されていません。");

    date.setEraRows({"平=1989/01/08"});
    date.parse("平.10/12/05");
    expectYmd(date, {1998, 12, 5}, "a letter beyond ASCII");
    EXPECT_EQ(date.ShowDate(), "平.10/12/05");
}

TEST(EraDate, AnEraFieldThatIsNoNumberLeavesTheDateAsItWas)
{
    const char* cases[][2] = {
        {"H.1 /01/01", "'1 ' は整数ではありません"},
        {"H.  /01/01", "'  ' は整数ではありません"},
        {"H.10/0 /01", "'0 ' は整数ではありません"},
        {"H.10/01/ x", "' x' は整数ではありません"},
    };
    for (const auto& c : cases) {
        EraDate date = dateOf(2010, 10, 10, true);
        const EraDate::ParseResult result = date.parse(c[0]);
        EXPECT_FALSE(result.read) << c[0];
        EXPECT_EQ(result.message, c[1]);
        EXPECT_EQ(result.text, c[0]);
        expectYmd(date, {2010, 10, 10}, c[0]);
    }
}

TEST(EraDate, DayStepsRollOverMonthsYearsAndLeapDays)
{
    struct Case
    {
        Ymd from;
        int delta;
        Ymd to;
    };
    const Case cases[] = {
        {{1989, 1, 7}, 1, {1989, 1, 8}},     {{1989, 1, 8}, -1, {1989, 1, 7}},
        {{2019, 4, 30}, 1, {2019, 5, 1}},    {{1999, 12, 31}, 1, {2000, 1, 1}},
        {{2000, 1, 1}, -1, {1999, 12, 31}},  {{2000, 2, 28}, 1, {2000, 2, 29}},
        {{2000, 2, 29}, 1, {2000, 3, 1}},    {{2100, 2, 28}, 1, {2100, 3, 1}},
        {{2099, 12, 31}, 1, {2100, 1, 1}},   {{2024, 3, 1}, -1, {2024, 2, 29}},
        {{9999, 12, 31}, 1, {9999, 12, 31}},
    };
    for (const Case& c : cases) {
        EraDate date = dateOf(c.from.year, c.from.month, c.from.day);
        date.stepDays(c.delta, 40000.0);
        expectYmd(date, c.to, std::to_string(c.from.year) + "/" + std::to_string(c.from.month));
        EXPECT_EQ(date.value(), std::trunc(date.value()));
    }

    EraDate first = dateOf(1868, 1, 1);
    first.stepDays(-1, 40000.0);
    expectBlank(first, "before the first real day");

    EraDate timed;
    timed.assignValue(36134.75);
    timed.stepDays(1, 40000.0);
    EXPECT_EQ(timed.value(), 36135.0) << "a step drops the time of day";

    for (int delta : {1, -1}) {
        EraDate blank;
        blank.stepDays(delta, 45000.6);
        EXPECT_EQ(blank.value(), 45000.0) << "a blank date steps to today";
    }
}

TEST(EraDate, MonthStepsClampTheDayAndCrossYears)
{
    struct Case
    {
        Ymd from;
        int delta;
        Ymd to;
    };
    const Case cases[] = {
        {{1999, 1, 31}, 1, {1999, 2, 28}},  {{2000, 1, 31}, 1, {2000, 2, 29}},
        {{1999, 12, 15}, 1, {2000, 1, 15}}, {{2000, 1, 15}, -1, {1999, 12, 15}},
        {{2000, 3, 31}, -1, {2000, 2, 29}}, {{1999, 5, 31}, 1, {1999, 6, 30}},
        {{9999, 12, 5}, 1, {9999, 12, 31}},
    };
    for (const Case& c : cases) {
        EraDate date = dateOf(c.from.year, c.from.month, c.from.day);
        date.stepMonths(c.delta);
        expectYmd(date, c.to, std::to_string(c.from.year) + "/" + std::to_string(c.from.month));
    }

    EraDate first = dateOf(1868, 1, 10);
    first.stepMonths(-1);
    expectBlank(first, "a month before 1868");

    // A blank date is 1867/12/31: the next month is January 1868.
    EraDate blank;
    blank.stepMonths(1);
    expectYmd(blank, {1868, 1, 31}, "blank, next month");
    EraDate blankBack;
    blankBack.stepMonths(-1);
    expectBlank(blankBack, "blank, previous month");
}
