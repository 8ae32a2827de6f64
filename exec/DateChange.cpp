#include "DateChange.h"

#include <cerrno>
#include <climits>
#include <cstddef>

#include "DosDateTime.h"
#include "FileAttributes.h"
#include "FileSystem.h"
#include "FolderHandle.h"
#include "NameText.h"
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

}  // namespace

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
    t.millisecond = 999;  // vanishes in the packed form, as does the odd second
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

int setFileStamp(FileSystem& fs, const FolderHandle& dir, const std::string& name,
                 const timespec& when)
{
    std::uint32_t attributes = 0;
    if (const int rc = fs.readAttributes(dir, name, attributes); rc != 0)
        return rc;
    if ((attributes & FileAttr::Folder) != 0)
        return EISDIR;
    // The owner (and root) may set the time of a file it cannot write; the
    // person asked for read-only, so the file keeps its time.
    if ((attributes & FileAttr::ReadOnly) != 0)
        return EACCES;
    return fs.setLastWriteTime(dir, name, when);
}

void Date_Change(const DateChangeInput& input, FileSystem& fs, RunFeedback& feedback)
{
    const std::uint32_t packed = composeDosStamp(input.year, input.month, input.day, input.hour,
                                                 input.minute, input.second);
    timespec when {};
    // A year outside the packed form's range: every file is reported and
    // none is changed.
    const int stampError = stampInstant(packed, when) ? 0 : EINVAL;

    FolderHandle dir;
    const int folderError = input.names.empty() ? 0 : fs.openFolder(input.folder, dir);
    const int total = static_cast<int>(input.names.size());
    for (int row = 0; row < total; ++row) {
        const std::string& name = input.names[static_cast<std::size_t>(row)];
        const std::string shown = displayName(name);
        feedback.status(1, shown + DateChangeText::Working);
        int rc = stampError != 0 ? stampError : folderError;
        if (rc == 0)
            rc = setFileStamp(fs, dir, name, when);
        if (rc != 0)
            feedback.fileFailed(shown + DateChangeText::Failed);
        feedback.progress(row + 1, total);
    }
}

}  // namespace torvel
