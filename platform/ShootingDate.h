#pragma once

#include "DosDateTime.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torvel {

// The instant a photo or a video was taken, as the file itself records it.
struct ShootingDate
{
    std::int64_t seconds = 0; // since the epoch (UTC)
    std::int32_t nanoseconds = 0;
    // Seconds east of UTC of the clock that recorded it: the offset the file
    // gives, else that of the local zone on that date. A name made from the
    // date shows the camera's own wall-clock time, wherever it was.
    std::int32_t wallOffset = 0;

    // The same instant, whatever clock recorded it.
    bool operator==(const ShootingDate& other) const
    {
        return seconds == other.seconds && nanoseconds == other.nanoseconds;
    }
};

// The wall-clock time the recording clock showed (whole seconds).
LocalDateTime wallClockOf(const ShootingDate& date);

// The EXIF form "YYYY:MM:DD hh:mm:ss" with its sub-seconds ("5" is half a
// second) and its offset ("+09:00"), each of the last two possibly empty.
// Without an offset the time is local, by the time zone rules in force on
// that date. None for a blank, zero or malformed date; a malformed
// sub-second or offset is ignored.
std::optional<ShootingDate> shootingDateFromExif(std::string_view dateTime,
                                                 std::string_view subSeconds,
                                                 std::string_view offset);

// The shooting date a file records: EXIF DateTimeOriginal (sub-seconds and
// offset where present), or for a video the container's creation time. Only
// the metadata is read, no preview image. None for a file without one, and
// for a file that cannot be read or is not an image at all.
std::optional<ShootingDate> readShootingDate(const std::string& path);

// Called on the calling thread while many files are read: how many are done.
using ShootingDateProgress = std::function<void(std::size_t done, std::size_t total)>;

// The shooting dates of many files, in the order of `paths`, read on helper
// threads when there are enough of them; `progress` (may be empty) is called
// at the start, every few tens of milliseconds and once at the end.
std::vector<std::optional<ShootingDate>> readShootingDates(const std::vector<std::string>& paths,
                                                           const ShootingDateProgress& progress);

} // namespace torvel
