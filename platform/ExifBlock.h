#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace torvel {

// The EXIF texts that date a photo: DateTimeOriginal of the Exif directory,
// else of the first directory (as raw files of the TIFF/EP kind keep it),
// and the sub-seconds and offset of the Exif directory, each empty when
// absent.
struct ExifDateTexts
{
    std::string dateTime;
    std::string subSeconds;
    std::string offset;
};

// Up to `n` bytes of an open file from `offset` into `to`; fewer only at its
// end or on an error. How many.
std::size_t readFileAt(int fd, std::uint64_t offset, char* to, std::size_t n);

// The date texts of a JPEG file, a TIFF-based raw file or an image in the
// ISO media format that keeps EXIF as an item (HEIC), open as `fd`, read
// straight from its EXIF directories: only the bytes they take, never
// the other tags. None for any other kind of file, for one without a date,
// and for anything out of the ordinary (a value of an unusual type, an
// offset outside the block, a directory pointing back at itself): those are
// for a full reader to judge.
std::optional<ExifDateTexts> readExifDateTexts(int fd);

} // namespace torvel
