#include "DosDateTime.h"

#include "common/SampleNames.h"
#include "common/ScratchDir.h"
#include "common/TimeZone.h"

#include <gtest/gtest.h>

namespace torvel {
namespace {

using test::ScopedTimeZone;
using test::tokyoInstant;

LocalDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    return LocalDateTime{y, mo, d, h, mi, s, ms};
}

TEST(PackedDateTime, KeepsFieldsAndDropsTheOddSecond)
{
    const std::uint32_t packed = packDosDateTime(at(2021, 3, 4, 13, 45, 7));
    EXPECT_EQ(packed >> 16, 4u + 3u * 32 + 41u * 512);
    EXPECT_EQ(packed & 0xFFFF, 3u + 45u * 32 + 13u * 2048);
    LocalDateTime back;
    ASSERT_TRUE(unpackDosDateTime(packed, back));
    EXPECT_EQ(back, at(2021, 3, 4, 13, 45, 6));

    ASSERT_TRUE(unpackDosDateTime(packDosDateTime(at(1999, 12, 31, 23, 59, 59)), back));
    EXPECT_EQ(back, at(1999, 12, 31, 23, 59, 58));
}

TEST(PackedDateTime, HoldsOnly1980To2107)
{
    EXPECT_EQ(packDosDateTime(at(1979, 12, 31, 23, 59, 58)), 0u);
    EXPECT_EQ(packDosDateTime(at(2108, 1, 1)), 0u);
    EXPECT_EQ(packDosDateTime(at(1980, 1, 1)), (1u + 32u) << 16);
    LocalDateTime back;
    ASSERT_TRUE(unpackDosDateTime(packDosDateTime(at(2107, 12, 31, 23, 59, 58)), back));
    EXPECT_EQ(back, at(2107, 12, 31, 23, 59, 58));
    // From 2044 on the top bit is set: read as a signed number it is negative.
    EXPECT_LT(static_cast<std::int32_t>(packDosDateTime(at(2044, 1, 1))), 0);
    EXPECT_EQ(packDosDateTime(at(2021, 2, 29)), 0u); // no such day
}

TEST(PackedDateTime, RefusesFieldsThatAreNoDate)
{
    LocalDateTime out = at(2000, 1, 1);
    EXPECT_FALSE(unpackDosDateTime(0, out));                                 // month and day 0
    EXPECT_FALSE(unpackDosDateTime((2u << 21 | 30u << 16), out));            // 30 February 1980
    EXPECT_FALSE(unpackDosDateTime((1u << 21 | 1u << 16 | 24u << 11), out)); // hour 24
    EXPECT_FALSE(unpackDosDateTime((1u << 21 | 1u << 16 | 60u << 5), out));  // minute 60
    EXPECT_FALSE(unpackDosDateTime((1u << 21 | 1u << 16 | 30u), out));       // second 60
    EXPECT_EQ(out, at(2000, 1, 1));                                          // untouched
}

TEST(LocalTime, ConvertsThroughTheZoneInForceOnThatDate)
{
    ScopedTimeZone tokyo("Asia/Tokyo");
    LocalDateTime local;
    ASSERT_TRUE(localFromInstant(tokyoInstant(2021, 3, 4, 5, 6, 7), local));
    EXPECT_EQ(local, at(2021, 3, 4, 5, 6, 7));
    std::int64_t seconds = 0;
    ASSERT_TRUE(instantFromLocal(at(2021, 3, 4, 5, 6, 7), seconds));
    EXPECT_EQ(seconds, tokyoInstant(2021, 3, 4, 5, 6, 7));

    ScopedTimeZone berlin("Europe/Berlin");
    // 1 July is summer time (UTC+2), 1 January is not (UTC+1), whatever today is.
    ASSERT_TRUE(instantFromLocal(at(2021, 7, 1, 12, 0, 0), seconds));
    EXPECT_EQ(seconds, tokyoInstant(2021, 7, 1, 10 + 9, 0, 0));
    ASSERT_TRUE(instantFromLocal(at(2021, 1, 1, 12, 0, 0), seconds));
    EXPECT_EQ(seconds, tokyoInstant(2021, 1, 1, 11 + 9, 0, 0));
    ASSERT_TRUE(localFromInstant(tokyoInstant(2021, 7, 1, 19, 0, 0), local));
    EXPECT_EQ(local, at(2021, 7, 1, 12, 0, 0));
    EXPECT_EQ(dosDateTimeFromInstant(tokyoInstant(2021, 7, 1, 19, 0, 0)),
              packDosDateTime(at(2021, 7, 1, 12, 0, 0)));
}

TEST(LocalTime, TakesTheHoursOfAClockChangeAsTheCLibraryDoes)
{
    // A time the change skips is read with the offset from before it (02:30
    // is 03:30 summer time); one it repeats is either of its two instants.
    std::int64_t seconds = 0;
    ScopedTimeZone berlin("Europe/Berlin");
    ASSERT_TRUE(instantFromLocal(at(2021, 3, 28, 2, 30, 0), seconds));
    EXPECT_EQ(seconds, tokyoInstant(2021, 3, 28, 1 + 9, 30, 0));
    ASSERT_TRUE(instantFromLocal(at(2021, 10, 31, 2, 30, 0), seconds));
    EXPECT_TRUE(seconds == tokyoInstant(2021, 10, 31, 9, 30, 0)
                || seconds == tokyoInstant(2021, 10, 31, 10, 30, 0));
    ScopedTimeZone newYork("America/New_York");
    ASSERT_TRUE(instantFromLocal(at(2021, 3, 14, 2, 30, 0), seconds));
    EXPECT_EQ(seconds, tokyoInstant(2021, 3, 14, 7 + 9, 30, 0));
    ASSERT_TRUE(instantFromLocal(at(2021, 11, 7, 1, 30, 0), seconds));
    EXPECT_TRUE(seconds == tokyoInstant(2021, 11, 7, 5 + 9, 30, 0)
                || seconds == tokyoInstant(2021, 11, 7, 6 + 9, 30, 0));
}

TEST(LocalTime, RoundTripsThroughThePackedForm)
{
    ScopedTimeZone tokyo("Asia/Tokyo");
    const std::int64_t instant = tokyoInstant(2044, 6, 15, 8, 30, 21);
    const std::uint32_t packed = dosDateTimeFromInstant(instant);
    std::int64_t back = 0;
    ASSERT_TRUE(instantFromDosDateTime(packed, back));
    EXPECT_EQ(back, instant - 1); // the odd second is gone
    EXPECT_EQ(dosDateTimeFromInstant(tokyoInstant(1975, 1, 1, 0, 0, 0)), 0u);
    EXPECT_EQ(dosDateTimeFromInstant(tokyoInstant(2110, 1, 1, 0, 0, 0)), 0u);
    EXPECT_FALSE(instantFromDosDateTime(0, back));
    EXPECT_FALSE(instantFromLocal(at(2021, 2, 29), back));
}

TEST(Calendar, DayNumbersRoundTrip)
{
    for (std::int64_t days = -800000; days < 3000000; days += 997) {
        int y = 0, m = 0, d = 0;
        civilFromDays(days, y, m, d);
        EXPECT_EQ(daysFromCivil(y, m, d), days);
    }
    EXPECT_EQ(daysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(daysFromCivil(2000, 3, 1) - daysFromCivil(2000, 2, 28), 2); // leap year
    EXPECT_EQ(daysFromCivil(1900, 3, 1) - daysFromCivil(1900, 2, 28), 1); // not a leap year
}

TEST(TwoSecondStep, GroupsInstantsLikeThePackedForm)
{
    EXPECT_EQ(twoSecondStep(10), twoSecondStep(11));
    EXPECT_NE(twoSecondStep(11), twoSecondStep(12));
    EXPECT_EQ(twoSecondStep(-2), twoSecondStep(-1));
    EXPECT_NE(twoSecondStep(-1), twoSecondStep(0));
    EXPECT_LT(twoSecondStep(-3), twoSecondStep(-2));
}

} // namespace
} // namespace torvel
