#pragma once

// A time zone fixed for a test's duration, and instants of wall-clock times
// in Japan.

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>

namespace torvel::test {

// Sets TZ for the life of the object and puts the old value back after.
class ScopedTimeZone
{
public:
    explicit ScopedTimeZone(const char* zone)
    {
        const char* old = std::getenv("TZ");
        m_hadOld = old != nullptr;
        if (m_hadOld)
            m_old = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }

    ~ScopedTimeZone()
    {
        if (m_hadOld)
            ::setenv("TZ", m_old.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    bool m_hadOld = false;
    std::string m_old;
};

// Seconds since the epoch of a wall-clock time in Japan (UTC+9, no summer time
// since 1951), computed without the C library.
inline std::int64_t tokyoInstant(int year, int month, int day, int hour, int minute, int second)
{
    const std::int64_t y = month <= 2 ? year - 1 : year;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * ((month + 9) % 12) + 2) / 5 + day - 1;
    const std::int64_t days = era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
    return days * 86400 + hour * 3600 + minute * 60 + second - 9 * 3600;
}

} // namespace torvel::test
