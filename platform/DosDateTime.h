#pragma once

#include <cstdint>

namespace torvel {

// A calendar date and wall-clock time in the local time zone.
struct LocalDateTime
{
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;   // 0..23
    int minute = 0; // 0..59
    int second = 0; // 0..59
    int millisecond = 0;

    bool operator==(const LocalDateTime&) const = default;
};

// True when the fields name a real calendar date (years 1..9999) and a time
// of day.
bool isValidLocalDateTime(const LocalDateTime& t);

// Seconds since the epoch (UTC) to local time, through the time zone rules in
// force at that instant. False when the C library cannot convert it.
bool localFromInstant(std::int64_t seconds, LocalDateTime& out);

// Local time to seconds since the epoch, through the time zone rules in force
// on that date (so a summer date uses the summer offset even in winter), of
// the zone the C library last loaded (tzset), as localFromInstant. In the
// hour a clock change repeats, one of its two instants. Milliseconds are
// dropped. False for an invalid date or time.
bool instantFromLocal(const LocalDateTime& t, std::int64_t& seconds);
// The fields of t read as a UTC time: seconds since the epoch, milliseconds
// dropped.
std::int64_t secondsAsUtc(const LocalDateTime& t);

// The packed MS-DOS date and time: bits 25-31 year-1980, 21-24 month, 16-20
// day, 11-15 hour, 5-10 minute, 0-4 seconds/2. Seconds are truncated to the
// even second below. Gives 0 when the year is outside 1980..2107 (the form
// cannot hold it) or the date is invalid; 0 itself is no valid packed value.
std::uint32_t packDosDateTime(const LocalDateTime& t);
// False (and `out` untouched) when the fields are not a valid date and time.
bool unpackDosDateTime(std::uint32_t packed, LocalDateTime& out);

// An instant to its packed local form; 0 when it cannot be held.
std::uint32_t dosDateTimeFromInstant(std::int64_t seconds);
bool instantFromDosDateTime(std::uint32_t packed, std::int64_t& seconds);

// Whole days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t daysFromCivil(int year, int month, int day);
void civilFromDays(std::int64_t days, int& year, int& month, int& day);

// The two-second step an instant falls in (rounded towards the past), so that
// two time stamps within one step compare equal, as their packed forms do.
constexpr std::int64_t twoSecondStep(std::int64_t seconds)
{
    return seconds >= 0 ? seconds / 2 : -((-seconds + 1) / 2);
}

} // namespace torvel
