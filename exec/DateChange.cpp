#include "DateChange.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <optional>
#include <atomic>
#include <cstddef>
#include <ctime>
#include <thread>
#include <vector>

#include "DosDateTime.h"
#include "FileAttributes.h"
#include "FileInfo.h"
#include "FileSystem.h"
#include "FolderHandle.h"
#include "JournalFormat.h"
#include "PerFileRun.h"
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

// The time stamp run's own part: one stamp planned per file, the checks made
// ahead where the file system allows, and the stamp.
class StampStep : public FileStep
{
public:
    explicit StampStep(const DateChangeInput& input)
        : m_input(input)
        , m_stamps(input)
    {}

    bool changesAny() const override { return m_stamps.any(); }

    // What the files that will be stamped have now.
    int journal(RunJournal& journal, FileSystem& fs) override
    {
        JournalRecord plan;
        plan.kind = JournalKind::TimeStamp;
        plan.from = plan.to = m_input.folder;
        if (!m_stamps.eachOwn()) {
            plan.stamp = m_stamps.of(0).when;
            return journalChanges(journal, std::move(plan), fs, m_input.names);
        }
        std::vector<std::string> names;
        std::vector<timespec> whens;
        for (std::size_t row = 0; row < m_input.names.size(); ++row) {
            if (m_stamps.of(row).error == 0) {
                names.push_back(m_input.names[row]);
                whens.push_back(m_stamps.of(row).when);
            }
        }
        return journalChanges(journal, std::move(plan), fs, names, &whens);
    }

    void start(FileSystem& fs, const FolderHandle& dir, bool folderOpen) override
    {
        m_checks.emplace(fs, dir, m_input.names, folderOpen && fs.allowsCallsFromTwoThreads());
    }

    void end() override { m_checks.reset(); }

    int refusal(std::size_t row) const override { return m_stamps.of(row).error; }

    int change(std::size_t row, const std::string& name, FileSystem& fs, const FolderHandle& dir,
               bool& changed) override
    {
        if (const int rc = m_checks->refusal(row); rc != 0)
            return rc;
        changed = true;
        return fs.setLastWriteTime(dir, name, m_stamps.of(row).when);
    }

private:
    const DateChangeInput& m_input;
    const PlannedStamps m_stamps;
    std::optional<StampChecks> m_checks;
};

// The time a file of the journal is given, and the one it had.
timespec givenStamp(const JournalRecord& record, std::size_t file)
{
    return record.stamps.empty() ? record.stamp : record.stamps[file];
}

timespec ownStamp(const JournalFile& file)
{
    return {static_cast<time_t>(file.mtimeSeconds), static_cast<long>(file.mtimeNanoseconds)};
}

bool hasStamp(const FileInfo& now, const timespec& t)
{
    return now.mtimeSeconds == t.tv_sec && now.mtimeNanoseconds == t.tv_nsec;
}

// A file is to be given a time when it has neither the one it is to get nor,
// unless it changed since, the other one.
Needed stampNeeded(const JournalRecord& record, std::size_t file, const FileInfo& now, bool back)
{
    const timespec given = givenStamp(record, file);
    const timespec before = ownStamp(record.files[file]);
    const timespec& want = back ? before : given;
    const timespec& other = back ? given : before;
    if (hasStamp(now, want))
        return Needed::Nothing;
    return hasStamp(now, other) ? Needed::Change : Needed::Changed;
}

bool stampDone(const JournalRecord& record, std::size_t file, const FileInfo& now)
{
    return hasStamp(now, givenStamp(record, file));
}

int applyStamp(const JournalRecord& record, std::size_t file, FileSystem& fs,
               const FolderHandle& dir, bool back)
{
    return fs.setLastWriteTime(dir, record.files[file].oldName,
                               back ? ownStamp(record.files[file]) : givenStamp(record, file));
}

} // namespace

const PerFileKind timeStampFiles{RunActivity::ChangingStamp,
                                 RunStep::SetTimeStamp,
                                 RunStep::RestoreTimeStamp,
                                 stampNeeded,
                                 stampDone,
                                 applyStamp};

void writeStampHead(const JournalRecord& head, std::string& text)
{
    text.append("stamp ").append(std::to_string(head.stamp.tv_sec)).append(" ");
    text.append(std::to_string(head.stamp.tv_nsec)).append("\n");
}

HeadLine readStampHead(const std::vector<std::string_view>& f, JournalRecord& out)
{
    if (f[0] != "stamp" || f.size() != 3)
        return HeadLine::Other;
    return journal::numberOf(f[1], out.stamp.tv_sec) && journal::numberOf(f[2], out.stamp.tv_nsec)
               ? HeadLine::Read
               : HeadLine::Unreadable;
}

RunResult Date_Change(const DateChangeInput& input, RunServices& services)
{
    // Local times are turned into instants by the zone rules loaded last:
    // each run loads them anew, so that a zone changed since start is used.
    tzset();
    StampStep step(input);
    return runEachFile(JournalKind::TimeStamp, input.folder, input.names, step, services);
}

} // namespace torvel
