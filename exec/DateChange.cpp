#include "DateChange.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <atomic>
#include <cstddef>
#include <ctime>
#include <thread>
#include <vector>

#include "DosDateTime.h"
#include "FileAttributes.h"
#include "ChangeJournal.h"
#include "FileSystem.h"
#include "FolderHandle.h"
#include "RunFeedback.h"

namespace torvel {

namespace {

[[noreturn]] void throwNotWholeNumber(const std::string& text)
{
    std::string message = DateChangeText::NotWholeNumber;
    message.replace(message.find("%s"), 2, text);
    throw ConversionError(message);
}

// A calendar date of the years the date-time value can hold (1 to 9999).
bool isCalendarDate(int year, int month, int day)
{
    LocalDateTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    return isValidLocalDateTime(t);
}

bool isTimeOfDay(int hour, int minute, int second)
{
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

} // namespace

int wholeNumber(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        throwNotWholeNumber(text);
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            throwNotWholeNumber(text);
        value = value * 10 + (c - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            throwNotWholeNumber(text);
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        throwNotWholeNumber(text);
    return static_cast<int>(value);
}

std::uint32_t composeDosStamp(int year, int month, int day, int hour, int minute, int second)
{
    if (!isCalendarDate(year, month, day))
        throw ConversionError(DateChangeText::NoDate);
    if (!isTimeOfDay(hour, minute, second))
        throw ConversionError(DateChangeText::NoTime);
    if (year < firstStampYear || year > lastStampYear)
        return 0;
    LocalDateTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    t.millisecond = 999; // vanishes in the packed form, as does the odd second
    return packDosDateTime(t);
}

bool stampInstant(std::uint32_t packed, timespec& when)
{
    std::int64_t seconds = 0;
    if (packed == 0 || !instantFromDosDateTime(packed, seconds))
        return false;
    when.tv_sec = static_cast<time_t>(seconds);
    when.tv_nsec = 0;
    return true;
}

namespace {

// Whether a file may take a new time stamp: a folder may not, nor a file the
// person marked read-only (the owner, and root, could set its time all the
// same, but the person asked for it to stay as it is).
int stampRefusal(FileSystem& fs, const FolderHandle& dir, const std::string& name)
{
    std::uint32_t attributes = 0;
    if (const int rc = fs.readAttributes(dir, name, attributes); rc != 0)
        return rc;
    if ((attributes & FileAttr::Folder) != 0)
        return EISDIR;
    if ((attributes & FileAttr::ReadOnly) != 0)
        return EACCES;
    return 0;
}

// The checks of every file, made on a second thread a little ahead of the
// stamps where the file system allows it: each check costs two lookups
// against the stamp's one, so a run of many files takes half as long.
// Each file is still checked before it is stamped, and the stamps, texts and
// failures stay on the calling thread in the rows' order. A caller that gets
// ahead of the checker sleeps until its row is checked: spinning would take
// the core the checker needs.
class StampChecks
{
public:
    StampChecks(FileSystem& fs, const FolderHandle& dir, const std::vector<std::string>& names,
                bool ahead)
        : m_fs(fs)
        , m_dir(dir)
        , m_names(names)
    {
        if (!ahead || names.size() < 2)
            return;
        m_results.assign(names.size(), 0);
        m_checker = std::jthread([this](std::stop_token stop) { checkAll(stop); });
    }

    int refusal(std::size_t row)
    {
        if (!m_checker.joinable())
            return stampRefusal(m_fs, m_dir, m_names[row]);
        for (std::size_t seen = m_checked.load(); seen <= row; seen = m_checked.load())
            m_checked.wait(seen);
        return m_results[row];
    }

private:
    void checkAll(const std::stop_token& stop)
    {
        for (std::size_t row = 0; row < m_names.size() && !stop.stop_requested(); ++row) {
            m_results[row] = stampRefusal(m_fs, m_dir, m_names[row]);
            m_checked.store(row + 1);
            m_checked.notify_one();
        }
    }

    FileSystem& m_fs;
    const FolderHandle& m_dir;
    const std::vector<std::string>& m_names;
    std::vector<int> m_results;
    std::atomic<std::size_t> m_checked{0};
    std::jthread m_checker; // last: stopped and joined before the rest goes
};

} // namespace

int setFileStamp(FileSystem& fs, const FolderHandle& dir, const std::string& name,
                 const timespec& when)
{
    if (const int rc = stampRefusal(fs, dir, name); rc != 0)
        return rc;
    return fs.setLastWriteTime(dir, name, when);
}

namespace {

// The time stamp a shooting date gives a file: the very instant the photo
// records, its second and sub-second too, in any year (old scans predate
// 1980). The even-second packed form is the rule of a date typed on the
// page, which it shows and reads back; a recorded date needs neither.
timespec stampOfShootingDate(const ShootingDate& date)
{
    timespec when{};
    when.tv_sec = static_cast<time_t>(date.seconds);
    when.tv_nsec = date.nanoseconds;
    return when;
}

// The time stamp one file is to get, or why it gets none.
struct FileStamp
{
    timespec when{};
    int error = 0;
};

// One stamp for every file (from the page's date), or each file its own.
class PlannedStamps
{
public:
    explicit PlannedStamps(const DateChangeInput& input)
    {
        if (!input.fromShootingDates) {
            const std::uint32_t packed = composeDosStamp(input.year, input.month, input.day,
                                                         input.hour, input.minute, input.second);
            // A year outside the packed form's range: every file is reported
            // and none is changed.
            m_common.error = stampInstant(packed, m_common.when) ? 0 : ERANGE;
            return;
        }
        m_own.resize(input.names.size(), FileStamp{{}, ENODATA});
        for (std::size_t row = 0; row < m_own.size() && row < input.shootingDates.size(); ++row) {
            if (const std::optional<ShootingDate>& date = input.shootingDates[row])
                m_own[row] = {stampOfShootingDate(*date), 0};
        }
    }

    const FileStamp& of(std::size_t row) const { return m_own.empty() ? m_common : m_own[row]; }
    bool eachOwn() const { return !m_own.empty(); }
    bool any() const
    {
        return std::any_of(m_own.begin(), m_own.end(),
                           [](const FileStamp& s) { return s.error == 0; })
               || (m_own.empty() && m_common.error == 0);
    }

private:
    FileStamp m_common;
    std::vector<FileStamp> m_own;
};

// Writes down what the files that will be stamped have now.
int journalStamps(RunJournal& journal, FileSystem& fs, const DateChangeInput& input,
                  const PlannedStamps& stamps)
{
    JournalRecord plan;
    plan.kind = JournalKind::TimeStamp;
    plan.from = plan.to = input.folder;
    if (!stamps.eachOwn()) {
        plan.stamp = stamps.of(0).when;
        return journalChanges(journal, std::move(plan), fs, input.names);
    }
    std::vector<std::string> names;
    std::vector<timespec> whens;
    for (std::size_t row = 0; row < input.names.size(); ++row) {
        if (stamps.of(row).error == 0) {
            names.push_back(input.names[row]);
            whens.push_back(stamps.of(row).when);
        }
    }
    return journalChanges(journal, std::move(plan), fs, names, &whens);
}

} // namespace

ChangeResult Date_Change(const DateChangeInput& input, FileSystem& fs, RunFeedback& feedback,
                         RunJournal* journal)
{
    // Local times are turned into instants by the zone rules loaded last:
    // each run loads them anew, so that a zone changed since start is used.
    tzset();
    const PlannedStamps stamps(input);
    const bool any = !input.names.empty() && stamps.any();
    FolderHandle dir;
    int folderError = input.names.empty() ? 0 : fs.openFolder(input.folder, dir);
    if (folderError == 0 && any && journal != nullptr)
        folderError = journalStamps(*journal, fs, input, stamps);
    const int total = static_cast<int>(input.names.size());
    StampChecks checks(fs, dir, input.names,
                       any && folderError == 0 && fs.allowsCallsFromTwoThreads());
    ChangeResult result;
    for (int row = 0; row < total; ++row) {
        const std::string& name = input.names[static_cast<std::size_t>(row)];
        const FileStamp& stamp = stamps.of(static_cast<std::size_t>(row));
        feedback.status({RunActivity::ChangingStamp, name, {}});
        int rc = stamp.error != 0 ? stamp.error : folderError;
        if (rc == 0)
            rc = checks.refusal(static_cast<std::size_t>(row));
        if (rc == 0)
            rc = fs.setLastWriteTime(dir, name, stamp.when);
        if (rc != 0)
            result.failures.push_back({name, rc});
        else
            ++result.changed;
        feedback.progress(row + 1, total);
    }
    if (journal != nullptr && !journal->path().empty()) {
        (void)journal->finish(); // see RunJournal::finish
        result.journaled = folderError == 0;
    }
    return result;
}

} // namespace torvel
