#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "RunUndo.h"
#include "DateChange.h"
#include "DosDateTime.h"
#include "NameText.h"
#include "PosixFileSystem.h"
#include "PerFileRunSupport.h"
#include "RunFeedback.h"
#include "RunJournal.h"
#include "common/FaultyFileSystem.h"
#include "common/SampleImages.h"
#include "common/ScratchDir.h"

using namespace torvel;

namespace {

// Runs the zone's rules for the length of a test, then puts the old ones back.
class ZoneGuard
{
public:
    explicit ZoneGuard(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            m_old = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ZoneGuard()
    {
        if (m_old)
            ::setenv("TZ", m_old->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    ZoneGuard(const ZoneGuard&) = delete;
    ZoneGuard& operator=(const ZoneGuard&) = delete;

private:
    std::optional<std::string> m_old;
};

std::int64_t utcInstant(int year, int month, int day, int hour, int minute, int second)
{
    return daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

struct stat statOf(const std::string& path)
{
    struct stat st
    {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}

void setTimes(const std::string& path, std::int64_t access, std::int64_t modified)
{
    const timespec times[2] = {{static_cast<time_t>(access), 123456789},
                               {static_cast<time_t>(modified), 987654321}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

class DateChangeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Without the zone's rules the C library would quietly run on UTC.
        ASSERT_EQ(::access("/usr/share/zoneinfo/Europe/Berlin", R_OK), 0) << "tzdata is needed";
        for (const auto& name : {sjisPhoto, sjisTable, std::string("plain.txt")}) {
            dir.write(name, "contents");
            setTimes(dir / name, oldAccess, oldModified);
        }
    }

    DateChangeInput input(int year, int month, int day, int hour, int minute, int second,
                          std::vector<std::string> names = {}) const
    {
        DateChangeInput in;
        in.year = year;
        in.month = month;
        in.day = day;
        in.hour = hour;
        in.minute = minute;
        in.second = second;
        in.folder = dir.path();
        in.names = names.empty() ? std::vector<std::string>{sjisPhoto, sjisTable, "plain.txt"}
                                 : std::move(names);
        return in;
    }

    void expectUntouched(const std::string& name) const
    {
        const struct stat st = statOf(dir / name);
        EXPECT_EQ(st.st_mtim.tv_sec, oldModified) << displayName(name);
        EXPECT_EQ(st.st_mtim.tv_nsec, 987654321) << displayName(name);
    }

    ZoneGuard zone{"Europe/Berlin"};
    ScratchDir dir;
    PosixFileSystem real;
    FaultyFileSystem fs{real};
    FeedbackStandIn feedback{FeedbackStandIn::Asks::Never};
    const std::int64_t oldAccess = utcInstant(2001, 2, 3, 4, 5, 6);
    const std::int64_t oldModified = utcInstant(2002, 3, 4, 5, 6, 7);
};

} // namespace

TEST(WholeNumber, ReadsWhatTheBoxesMayHoldAndRefusesTheRest)
{
    EXPECT_EQ(wholeNumber("12"), 12);
    EXPECT_EQ(wholeNumber("  -3"), -3);
    EXPECT_EQ(wholeNumber("+07"), 7);
    EXPECT_EQ(wholeNumber("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(wholeNumber("2147483647"), 2147483647);

    for (const std::string text :
         {"", "-", "1a", "12 ", "1.5", "１２", "2147483648", "99999999999"}) {
        try {
            wholeNumber(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const ConversionError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + text + "' は整数ではありません");
        }
    }
}

TEST(ComposeDosStamp, RefusesWhatIsNoDateOrNoTimeDateFirst)
{
    struct Case
    {
        int y, m, d, h, mi, s;
        const char* message;
    };
    const char* noDate = "日付に変換できない値が渡されました";
    const char* noTime = "時刻に変換できない値が渡されました";
    const Case cases[] = {
        {2023, 2, 29, 12, 0, 0, noDate}, // no leap year
        {2100, 2, 29, 12, 0, 0, noDate}, // century without leap day
        {2024, 4, 31, 12, 0, 0, noDate}, {2024, 13, 1, 12, 0, 0, noDate},
        {2024, 1, 0, 12, 0, 0, noDate},  {0, 1, 1, 12, 0, 0, noDate},
        {2024, 2, 30, 99, 0, 0, noDate}, // both wrong: the date is told
        {2024, 1, 1, 24, 0, 0, noTime},  {2024, 1, 1, 99, 0, 0, noTime}, // typed, box not yet left
        {2024, 1, 1, 12, 60, 0, noTime}, {2024, 1, 1, 12, 0, 60, noTime},
        {2024, 1, 1, -1, 0, 0, noTime},
    };
    for (const Case& c : cases) {
        try {
            composeDosStamp(c.y, c.m, c.d, c.h, c.mi, c.s);
            ADD_FAILURE() << c.y << "-" << c.m << "-" << c.d << " " << c.h << ":" << c.mi << ":"
                          << c.s;
        } catch (const ConversionError& e) {
            EXPECT_EQ(std::string(e.what()), c.message)
                << c.y << "-" << c.m << "-" << c.d << " " << c.h << ":" << c.mi << ":" << c.s;
        }
    }
}

TEST(ComposeDosStamp, PacksInTwoSecondStepsWithinTheYearsItWrites)
{
    // 13:45:07 keeps 13:45:06, 59 seconds become 58.
    EXPECT_EQ(composeDosStamp(2024, 2, 29, 13, 45, 7) & 0xFFFF, 3u + 45 * 32 + 13 * 2048);
    EXPECT_EQ(composeDosStamp(2024, 2, 29, 13, 45, 59) & 0x1F, 29u);
    EXPECT_EQ(composeDosStamp(2024, 2, 29, 0, 0, 0) >> 16, 29u + 2 * 32 + 44 * 512);
    EXPECT_EQ(composeDosStamp(1980, 1, 1, 0, 0, 0), 0x00210000u);
    EXPECT_NE(composeDosStamp(2099, 12, 31, 23, 59, 59), 0u);
    // Valid dates the packed form does not get from this run.
    EXPECT_EQ(composeDosStamp(1979, 12, 31, 23, 59, 59), 0u);
    EXPECT_EQ(composeDosStamp(2100, 1, 1, 0, 0, 0), 0u);
    EXPECT_EQ(composeDosStamp(1868, 9, 8, 0, 0, 0), 0u);
    timespec when{};
    EXPECT_FALSE(stampInstant(0, when));
}

TEST_F(DateChangeTest, EveryFileGetsTheStampOnAnEvenSecondAndKeepsItsAccessTime)
{
    EXPECT_EQ(perFileRun(Date_Change, input(2024, 1, 15, 13, 45, 7), fs, feedback),
              (Changes{3, {}}));

    const std::int64_t expected = utcInstant(2024, 1, 15, 12, 45, 6); // winter: UTC+1
    for (const auto& name : {sjisPhoto, sjisTable, std::string("plain.txt")}) {
        const struct stat st = statOf(dir / name);
        EXPECT_EQ(st.st_mtim.tv_sec, expected) << displayName(name);
        EXPECT_EQ(st.st_mtim.tv_nsec, 0) << displayName(name);
        EXPECT_EQ(st.st_atim.tv_sec, oldAccess) << displayName(name);
        EXPECT_EQ(st.st_atim.tv_nsec, 123456789) << displayName(name);
    }
    EXPECT_EQ(feedback.statusNames(),
              (std::vector<std::string>{sjisPhoto, sjisTable, "plain.txt"}));
    for (const RunStatus& status : feedback.statuses)
        EXPECT_EQ(status.activity, RunActivity::ChangingStamp);
    EXPECT_EQ(feedback.lastDone, 3);
    EXPECT_EQ(feedback.lastTotal, 3);
}

// The offset is the one in force on the chosen date, whatever the date of
// the run: a summer stamp made in winter (or the other way) is not an hour off.
TEST_F(DateChangeTest, LocalTimeIsConvertedWithTheOffsetOfThatDate)
{
    struct Case
    {
        int y, m, d, h, mi;
        std::int64_t utc;
    };
    const Case cases[] = {
        {2024, 7, 15, 12, 0, utcInstant(2024, 7, 15, 10, 0, 0)}, // CEST
        {2024, 1, 15, 12, 0, utcInstant(2024, 1, 15, 11, 0, 0)}, // CET
        {2024, 3, 31, 1, 30, utcInstant(2024, 3, 31, 0, 30, 0)}, // before the change
        {2024, 3, 31, 3, 30, utcInstant(2024, 3, 31, 1, 30, 0)}, // after it
        {2024, 10, 27, 4, 0, utcInstant(2024, 10, 27, 3, 0, 0)}, // after the change back
        {1985, 8, 1, 0, 0, utcInstant(1985, 7, 31, 22, 0, 0)},
    };
    for (const Case& c : cases) {
        FeedbackStandIn one{FeedbackStandIn::Asks::Never};
        EXPECT_EQ(
            perFileRun(Date_Change, input(c.y, c.m, c.d, c.h, c.mi, 0, {"plain.txt"}), fs, one),
            (Changes{1, {}}));
        EXPECT_EQ(statOf(dir / "plain.txt").st_mtim.tv_sec, c.utc)
            << c.y << "-" << c.m << "-" << c.d << " " << c.h << ":" << c.mi;
    }
}

TEST_F(DateChangeTest, AYearOutsideThePackedRangeIsReportedForEveryFileAndChangesNone)
{
    for (const int year : {1979, 2100}) {
        FeedbackStandIn one{FeedbackStandIn::Asks::Never};
        EXPECT_EQ(perFileRun(Date_Change, input(year, 6, 1, 12, 0, 0), fs, one),
                  (Changes{0, {{sjisPhoto, ERANGE}, {sjisTable, ERANGE}, {"plain.txt", ERANGE}}}))
            << year;
        EXPECT_EQ(one.statuses.size(), 3u);
    }
    EXPECT_EQ(fs.calls(FsCall::SetLastWriteTime), 0);
    for (const auto& name : {sjisPhoto, sjisTable, std::string("plain.txt")})
        expectUntouched(name);
}

TEST_F(DateChangeTest, ADateOrTimeThatCannotBeComposedStopsTheRunBeforeAnyFile)
{
    EXPECT_THROW(perFileRun(Date_Change, input(2024, 1, 1, 99, 0, 0), fs, feedback),
                 ConversionError);
    EXPECT_THROW(perFileRun(Date_Change, input(2023, 2, 29, 12, 0, 0), fs, feedback),
                 ConversionError);
    EXPECT_TRUE(feedback.statuses.empty());
    EXPECT_EQ(fs.calls(FsCall::OpenFolder), 0);
    EXPECT_EQ(fs.calls(FsCall::SetLastWriteTime), 0);
    expectUntouched("plain.txt");
}

// Root may set the time of any file; a read-only file still keeps its own,
// whether the flag is the missing write permission or the stored attribute.
TEST_F(DateChangeTest, AReadOnlyFileIsReportedAndKeepsItsTimeStamp)
{
    ASSERT_EQ(::chmod((dir / sjisPhoto).c_str(), 0444), 0);
    const bool flagStored =
        ::setxattr((dir / sjisTable).c_str(), "user.DOSATTRIB", "0x21", 4, 0) == 0;

    const Changes result = perFileRun(Date_Change, input(2024, 5, 6, 7, 8, 10), fs, feedback);

    Changes expected{2, {{sjisPhoto, EACCES}}};
    if (flagStored)
        expected = Changes{1, {{sjisPhoto, EACCES}, {sjisTable, EACCES}}};
    EXPECT_EQ(result, expected);
    expectUntouched(sjisPhoto);
    if (flagStored)
        expectUntouched(sjisTable);
    EXPECT_EQ(statOf(dir / "plain.txt").st_mtim.tv_sec, utcInstant(2024, 5, 6, 5, 8, 10));
    EXPECT_EQ(statOf(dir / sjisPhoto).st_mode & 07777, 0444u);
}

TEST_F(DateChangeTest, ShootingDatesStampEachFileAndTheJournalTakesThemBack)
{
    struct Case
    {
        std::string name;
        test::ExifTags tags;
        std::optional<timespec> stamp; // none: the file keeps its time
    };
    const char* original = "Exif.Photo.DateTimeOriginal";
    const char* subSeconds = "Exif.Photo.SubSecTimeOriginal";
    const auto at = [](std::int64_t seconds, long nanoseconds) {
        return timespec{static_cast<time_t>(seconds), nanoseconds};
    };
    const std::vector<Case> cases{
        {"sub-second.jpg",
         {{original, "2024:07:01 10:00:01"}, {subSeconds, "30"}},
         at(utcInstant(2024, 7, 1, 8, 0, 1), 300'000'000)},
        {"odd-second.jpg",
         {{original, "2024:07:01 13:45:07"}},
         at(utcInstant(2024, 7, 1, 11, 45, 7), 0)},
        {"offset.jpg",
         {{original, "2024:01:15 20:00:00"},
          {"Exif.Photo.OffsetTimeOriginal", "+09:00"},
          {subSeconds, "75"}},
         at(utcInstant(2024, 1, 15, 11, 0, 0), 750'000'000)},
        {"scan-1975.jpg",
         {{original, "1975:05:05 10:00:00"}},
         at(utcInstant(1975, 5, 5, 9, 0, 0), 0)},
        {"undated.jpg", {}, std::nullopt},
    };
    std::vector<std::string> names;
    for (const Case& c : cases) {
        test::writeJpeg(dir / c.name, c.tags);
        names.push_back(c.name);
    }
    names.push_back(sjisPhoto);
    DateChangeInput in = input(0, 0, 0, 99, 99, 99, names); // the page's date stands aside
    in.fromShootingDates = true;
    for (const auto& name : names)
        in.shootingDates.push_back(readShootingDate(dir / name));
    for (const auto& name : names) // after reading them, which may set their access times
        setTimes(dir / name, oldAccess, oldModified);
    in.shootingDates.back() = ShootingDate{utcInstant(2010, 10, 10, 10, 10, 11), 5}; // any source
    const std::string journals = dir / "journals/";
    RunJournal journal(journals);
    EXPECT_EQ(perFileRun(Date_Change, in, fs, feedback, &journal),
              (Changes{5, {{"undated.jpg", ENODATA}}, true}));

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.stamp) {
            expectUntouched(c.name);
            continue;
        }
        const struct stat st = statOf(dir / c.name);
        EXPECT_EQ(st.st_mtim.tv_sec, c.stamp->tv_sec);
        EXPECT_EQ(st.st_mtim.tv_nsec, c.stamp->tv_nsec);
        EXPECT_EQ(st.st_atim.tv_sec, oldAccess);
    }
    EXPECT_EQ(statOf(dir / sjisPhoto).st_mtim.tv_sec, utcInstant(2010, 10, 10, 10, 10, 11));
    EXPECT_EQ(statOf(dir / sjisPhoto).st_mtim.tv_nsec, 5);

    JournalRecord record;
    ASSERT_EQ(readJournal(journal.path(), record), 0);
    ASSERT_EQ(record.files.size(), 5u) << "only the files the run stamps";
    TFileOperation trash(real, &feedback);
    RunServices services{real, feedback, trash, nullptr};
    const RunResult back = takeBackRun(record, services);
    EXPECT_EQ(back.converted, 5);
    EXPECT_TRUE(back.failures.empty());
    for (const auto& name : names)
        expectUntouched(name);
}
