#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <time.h>

#include "RunKinds.h"
#include "RunTypes.h"
#include "ShootingDate.h"

namespace torvel {

class FileSystem;
class FolderHandle;
struct PerFileKind;

// A value the time stamp page cannot turn into a number, a date or a time.
// what() is the text for the person (UTF-8); the run that raised it has not
// touched any file.
class ConversionError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The texts of the page's refusals, as the person sees them.
namespace DateChangeText {
inline constexpr const char* NotWholeNumber = "'%s' は整数ではありません";
inline constexpr const char* NoDate = "日付に変換できない値が渡されました";
inline constexpr const char* NoTime = "時刻に変換できない値が渡されました";
} // namespace DateChangeText

// The whole number in a box of the page: blanks before it, an optional sign
// and decimal digits, within the range of a 32-bit integer. Anything else
// throws ConversionError "'text' は整数ではありません".
int wholeNumber(const std::string& text);

// What the time stamp run takes from the window.
struct DateChangeInput
{
    // The date edit's D_Year, D_Month and D_Day as they stand.
    int year = 0;
    int month = 0;
    int day = 0;
    // The hour, minute and second boxes as read, possibly not yet clamped.
    int hour = 0;
    int minute = 0;
    int second = 0;
    // The source folder, ending in "/".
    std::string folder;
    // Column 0 of the grid's rows 1 to RowCount-1: bare names, in order.
    std::vector<std::string> names;
    // Instead of the date and time above, every file gets its own shooting
    // date (that of names[i]) exactly, to the sub-second and in any year; a
    // file without one (ENODATA) is left as it is.
    bool fromShootingDates = false;
    std::vector<std::optional<ShootingDate>> shootingDates;
};

// The first year and the last year the run will write.
inline constexpr int firstStampYear = 1980;
inline constexpr int lastStampYear = 2099;

// The date and time composed and packed in the MS-DOS form (local time,
// seconds rounded down to even). Throws ConversionError for a date that is
// not in the calendar (before checking the time) and for a time out of range.
// A valid date outside firstStampYear..lastStampYear packs to 0, which no
// file can be given.
std::uint32_t composeDosStamp(int year, int month, int day, int hour, int minute, int second);

// The instant a packed stamp stands for, the local time converted with the
// offset in force on that date. False for 0 or any other value that is no
// date and time.
bool stampInstant(std::uint32_t packed, timespec& when);

// Sets the last-write time of one file, leaving its access time. A read-only
// file refuses (EACCES) even where the process could write it anyway, as a
// folder does (EISDIR): neither can be opened for writing as a file.
int setFileStamp(FileSystem& fs, const FolderHandle& dir, const std::string& name,
                 const timespec& when);

// The run of the time stamp page: composes and packs the date and time once
// (a ConversionError ends the run before any file), or takes each file's own
// shooting date as it is recorded, then gives every listed file its
// last-write time through the per-file loop (see runEachFile): a year
// outside the packed range fails every file with ERANGE, a file without a
// shooting date with ENODATA. With a journal, what each file had is written
// down first, so that the run can be taken back.
RunResult Date_Change(const DateChangeInput& input, RunServices& services);

// The time stamp kind's row in the table of kinds: what it does to one file
// of its journal, and its line in the journal's head.
extern const PerFileKind timeStampFiles;
void writeStampHead(const JournalRecord& head, std::string& text);
HeadLine readStampHead(const std::vector<std::string_view>& fields, JournalRecord& out);

} // namespace torvel
