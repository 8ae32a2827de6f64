#include "DosDateTime.h"

#include <algorithm>
#include <ctime>
#include <optional>

namespace torvel {

namespace {

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && isLeapYear(year))
        return 29;
    return days[month - 1];
}

// Seconds east of UTC at an instant, by the zone rules the C library loaded.
std::optional<long> utcOffsetAt(std::int64_t seconds)
{
    const std::time_t tt = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (localtime_r(&tt, &tm) == nullptr)
        return std::nullopt;
    return tm.tm_gmtoff;
}

} // namespace

std::int64_t daysFromCivil(int year, int month, int day)
{
    const std::int64_t y = month <= 2 ? std::int64_t{year} - 1 : year;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (month + 9) % 12;
    const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t days, int& year, int& month, int& day)
{
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

bool isValidLocalDateTime(const LocalDateTime& t)
{
    if (t.year < 1 || t.year > 9999 || t.month < 1 || t.month > 12)
        return false;
    if (t.day < 1 || t.day > daysInMonth(t.year, t.month))
        return false;
    return t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0
           && t.second <= 59 && t.millisecond >= 0 && t.millisecond <= 999;
}

bool localFromInstant(std::int64_t seconds, LocalDateTime& out)
{
    const std::time_t tt = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (localtime_r(&tt, &tm) == nullptr)
        return false;
    LocalDateTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    // A leap second is shown as the last ordinary second of its minute.
    t.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
    if (!isValidLocalDateTime(t))
        return false;
    out = t;
    return true;
}

std::int64_t secondsAsUtc(const LocalDateTime& t)
{
    return daysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

bool instantFromLocal(const LocalDateTime& t, std::int64_t& seconds)
{
    if (!isValidLocalDateTime(t))
        return false;
    // The fields read as UTC, less the offset in force at the instant that
    // gives. Where that offset differs the instant lies across a clock
    // change: the one the second offset gives, unless the time is one the
    // change skips, which is taken with the offset from before it (02:30 on
    // a night the clock goes from 02:00 to 03:00 is 03:30). Rather than
    // mktime, which checks the zone file again on every call.
    const std::int64_t asUtc = secondsAsUtc(t);
    const std::optional<long> first = utcOffsetAt(asUtc);
    const std::optional<long> second = first ? utcOffsetAt(asUtc - *first) : std::nullopt;
    if (!second)
        return false;
    if (*second == *first) {
        seconds = asUtc - *first;
        return true;
    }
    const std::optional<long> third = utcOffsetAt(asUtc - *second);
    if (!third)
        return false;
    seconds = asUtc - (*third == *second ? *second : std::min(*first, *second));
    return true;
}

std::uint32_t packDosDateTime(const LocalDateTime& t)
{
    if (!isValidLocalDateTime(t) || t.year < 1980 || t.year > 2107)
        return 0;
    const std::uint32_t date =
        static_cast<std::uint32_t>(t.day + t.month * 32 + (t.year - 1980) * 512);
    const std::uint32_t time =
        static_cast<std::uint32_t>(t.second / 2 + t.minute * 32 + t.hour * 2048);
    return (date << 16) | time;
}

bool unpackDosDateTime(std::uint32_t packed, LocalDateTime& out)
{
    LocalDateTime t;
    t.year = static_cast<int>(packed >> 25) + 1980;
    t.month = static_cast<int>((packed >> 21) & 0x0F);
    t.day = static_cast<int>((packed >> 16) & 0x1F);
    t.hour = static_cast<int>((packed >> 11) & 0x1F);
    t.minute = static_cast<int>((packed >> 5) & 0x3F);
    t.second = static_cast<int>(packed & 0x1F) * 2;
    if (!isValidLocalDateTime(t))
        return false;
    out = t;
    return true;
}

std::uint32_t dosDateTimeFromInstant(std::int64_t seconds)
{
    LocalDateTime t;
    if (!localFromInstant(seconds, t))
        return 0;
    return packDosDateTime(t);
}

bool instantFromDosDateTime(std::uint32_t packed, std::int64_t& seconds)
{
    LocalDateTime t;
    return unpackDosDateTime(packed, t) && instantFromLocal(t, seconds);
}

} // namespace torvel
