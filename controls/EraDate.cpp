#include "EraDate.h"

#include "ByteText.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <optional>

namespace torvel {

namespace {

// Days between 1970-01-01 and the zero of our values, 1899-12-30.
constexpr long long UnixDayOffset = 25569;

// Day number (days since 1970-01-01) of a proleptic Gregorian date.
constexpr long long daysFromCivil(long long y, int m, int d)
{
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct Civil
{
    long long year;
    int month;
    int day;
};

constexpr Civil civilFromDays(long long z)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (m <= 2 ? 1 : 0), m, d};
}

constexpr long long dayNumberOf(long long y, int m, int d)
{
    return daysFromCivil(y, m, d) + UnixDayOffset;
}

constexpr Civil civilOf(long long dayNumber)
{
    return civilFromDays(dayNumber - UnixDayOffset);
}

static_assert(dayNumberOf(1867, 12, 31) == -11687);
static_assert(dayNumberOf(1899, 12, 30) == 0);

bool isLeapYear(long long y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

bool isRealDate(long long y, int m, int d)
{
    static constexpr int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || m < 1 || m > 12 || d < 1)
        return false;
    const int length = lengths[m - 1] + (m == 2 && isLeapYear(y) ? 1 : 0);
    return d <= length;
}

// Columns `from`.. of a text, `count` characters at most. Texts are UTF-8
// outside and characters inside (decodeUtf8), so that a column is a character
// whatever letters the era table uses.
std::u32string columns(const std::u32string& text, std::size_t from, std::size_t count)
{
    return from < text.size() ? text.substr(from, count) : std::u32string();
}

// A field as a whole decimal number: leading blanks allowed, then digits only.
std::optional<int> readNumber(const std::u32string& field)
{
    std::size_t i = 0;
    while (i < field.size() && field[i] == U' ')
        ++i;
    if (i == field.size() || field.size() - i > 9)
        return std::nullopt;
    int number = 0;
    for (; i < field.size(); ++i) {
        if (field[i] < U'0' || field[i] > U'9')
            return std::nullopt;
        number = number * 10 + static_cast<int>(field[i] - U'0');
    }
    return number;
}

// An era row's first day, "yyyy/mm/dd" (month and day may have one digit).
std::optional<long long> readStartDay(const std::u32string& text)
{
    std::vector<std::u32string> parts(1);
    for (char32_t c : text) {
        if (c == U'/')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    if (parts.size() != 3)
        return std::nullopt;
    int numbers[3] = {};
    for (std::size_t i = 0; i < 3; ++i) {
        while (!parts[i].empty() && parts[i].back() == U' ')
            parts[i].pop_back();
        const std::optional<int> number = readNumber(parts[i]);
        if (!number)
            return std::nullopt;
        numbers[i] = *number;
    }
    if (!isRealDate(numbers[0], numbers[1], numbers[2]))
        return std::nullopt;
    return dayNumberOf(numbers[0], numbers[1], numbers[2]);
}

} // namespace

struct EraDate::EraRow
{
    char32_t letter;
    int startYear;
    long long startDay;
};

EraDate::EraDate()
    : m_eraRows(defaultEraRows())
{}

std::vector<std::string> EraDate::defaultEraRows()
{
    return {"M=1868/01/01", "T=1912/07/30", "S=1926/12/25", "H=1989/01/08", "R=2019/05/01"};
}

// A row is the letter in column 1, "=" in column 2, the first day in columns 3
// to 12 with the year in columns 3 to 6. A row whose day does not convert plays
// no part, neither when showing nor when reading back.
std::vector<EraDate::EraRow> EraDate::usableRows() const
{
    std::vector<EraRow> rows;
    for (const std::string& row : m_eraRows) {
        const std::u32string text = decodeUtf8(row);
        if (text.empty())
            continue;
        const std::optional<int> startYear = readNumber(columns(text, 2, 4));
        const std::optional<long long> startDay = readStartDay(columns(text, 2, 10));
        if (startYear && startDay)
            rows.push_back({text[0], *startYear, *startDay});
    }
    return rows;
}

std::vector<std::string> EraDate::eraLetters() const
{
    std::vector<std::string> letters;
    for (const EraRow& row : usableRows()) {
        std::string letter = encodeUtf8(std::u32string(1, row.letter));
        if (std::find(letters.begin(), letters.end(), letter) == letters.end())
            letters.push_back(std::move(letter));
    }
    return letters;
}

void EraDate::setBlank()
{
    m_value = BlankDate;
    m_year = BlankYear;
    m_month = BlankMonth;
    m_day = BlankDay;
}

void EraDate::ApplyYMD(int year, int month, int day)
{
    if (year <= BlankYear) {
        setBlank();
        return;
    }
    // A five-digit year would not fit the box and would read back mangled.
    if (year > LastYear) {
        year = LastYear;
        month = 12;
        day = 31;
    }
    month = std::clamp(month, 1, 12);
    day = std::clamp(day, 1, 31);
    while (day > 25 && !isRealDate(year, month, day))
        --day;
    m_year = year;
    m_month = month;
    m_day = day;
    m_value = static_cast<double>(dayNumberOf(year, month, day));
}

// The calendar day of a value is its whole part, toward zero, as the value's
// time of day counts forward from the start of that day on both sides of zero.
void EraDate::storeDay(long long dayNumber, double value)
{
    const Civil civil = civilOf(dayNumber);
    if (civil.year <= BlankYear) {
        setBlank();
        return;
    }
    if (civil.year > LastYear) {
        ApplyYMD(LastYear, 12, 31);
        return;
    }
    m_year = static_cast<int>(civil.year);
    m_month = civil.month;
    m_day = civil.day;
    m_value = value;
}

void EraDate::assignValue(double value)
{
    constexpr double pastLastDay = static_cast<double>(dayNumberOf(LastYear + 1, 1, 1));
    if (std::isnan(value) || value <= BlankDate) {
        setBlank();
        return;
    }
    if (value >= pastLastDay) {
        ApplyYMD(LastYear, 12, 31);
        return;
    }
    storeDay(static_cast<long long>(std::trunc(value)), value);
}

bool EraDate::assignYear(int year)
{
    if (year < 1868 || year > 2099)
        return false;
    ApplyYMD(year, m_month, m_day);
    return true;
}

bool EraDate::assignMonth(int month)
{
    if (month < 1 || month > 12)
        return false;
    ApplyYMD(m_year, month, m_day);
    return true;
}

bool EraDate::assignDay(int day)
{
    if (day < 1 || day > 31)
        return false;
    ApplyYMD(m_year, m_month, day);
    return true;
}

void EraDate::stepDays(int delta, double today)
{
    ApplyYMD(m_year, m_month, m_day);
    if (isBlank()) {
        assignValue(std::trunc(today));
        return;
    }
    const long long dayNumber = static_cast<long long>(m_value) + delta;
    storeDay(dayNumber, static_cast<double>(dayNumber));
}

void EraDate::stepMonths(int delta)
{
    const long long months = static_cast<long long>(m_year) * 12 + (m_month - 1) + delta;
    const long long year = months >= 0 ? months / 12 : (months - 11) / 12;
    const int month = static_cast<int>(months - year * 12) + 1;
    ApplyYMD(static_cast<int>(std::clamp<long long>(year, BlankYear, LastYear + 1)), month, m_day);
}

std::string EraDate::twoDigits(int number)
{
    const std::string text = "0" + std::to_string(number);
    return text.substr(text.size() - 2);
}

std::string EraDate::blankText() const
{
    return m_eraMode ? " .  /  /  " : "    /  /  ";
}

std::string EraDate::ShowDate() const
{
    if (isBlank())
        return blankText();
    if (m_eraMode)
        return eraTextOf(m_year, m_month, m_day);
    return std::to_string(m_year) + "/" + twoDigits(m_month) + "/" + twoDigits(m_day);
}

std::string EraDate::eraTextOf(int year, int month, int day) const
{
    const std::string monthDay = "/" + twoDigits(month) + "/" + twoDigits(day);
    const long long dayNumber = dayNumberOf(year, month, day);
    const std::vector<EraRow> rows = usableRows();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (row->startDay <= dayNumber) {
            const int eraYear = year - row->startYear + 1;
            return encodeUtf8(std::u32string(1, row->letter)) + "." + twoDigits(eraYear) + monthDay;
        }
    }
    // No era in force on that day: the plain two-digit year stands in.
    return " ." + twoDigits(year) + monthDay;
}

EraDate::ParseResult EraDate::parse(const std::string& boxText)
{
    std::u32string text = decodeUtf8(boxText);
    if (text.size() < 10)
        text.resize(10, U' ');
    return m_eraMode ? parseEra(text, boxText) : parseWestern(text);
}

EraDate::ParseResult EraDate::parseWestern(const std::u32string& text)
{
    const std::optional<int> year = readNumber(columns(text, 0, 4));
    const std::optional<int> month = readNumber(columns(text, 5, 2));
    const std::optional<int> day = readNumber(columns(text, 8, 2));
    if (year && *year > BlankYear && month && day)
        ApplyYMD(*year, *month, *day);
    else
        setBlank();
    return {true, ShowDate(), {}};
}

EraDate::ParseResult EraDate::parseEra(const std::u32string& text, const std::string& boxText)
{
    const char32_t letter = text[0];
    const std::vector<EraRow> rows = usableRows();
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [letter](const EraRow& r) { return r.letter == letter; });
    if (row == rows.end()) {
        setBlank();
        ParseResult result{true, boxText, {}};
        if (letter != U' ')
            result.message = unknownEraMessage(encodeUtf8(std::u32string(1, letter)));
        return result;
    }
    const std::u32string fields[3] = {columns(text, 2, 2), columns(text, 5, 2),
                                      columns(text, 8, 2)};
    int numbers[3] = {};
    for (int i = 0; i < 3; ++i) {
        const std::optional<int> number = readNumber(fields[i]);
        if (!number)
            return {false, boxText, notIntegerMessage(encodeUtf8(fields[i]))};
        numbers[i] = *number;
    }
    ApplyYMD(row->startYear - 1 + numbers[0], numbers[1], numbers[2]);
    return {true, ShowDate(), {}};
}

std::string EraDate::unknownEraMessage(const std::string& letter)
{
    return "｢" + letter + "｣は元号として登録されていません。";
}

std::string EraDate::notIntegerMessage(const std::string& field)
{
    return "'" + field + "' は整数ではありません";
}

double EraDate::todayValue()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return static_cast<double>(
        dayNumberOf(local.tm_year + 1900LL, local.tm_mon + 1, local.tm_mday));
}

} // namespace torvel
