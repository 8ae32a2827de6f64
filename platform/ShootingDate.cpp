#include "ShootingDate.h"

#include "DosDateTime.h"
#include "ExifBlock.h"
#include "UniqueFd.h"

#include <exiv2/exiv2.hpp>
#include <exiv2/quicktimevideo.hpp>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <ctime>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>

namespace torvel {

namespace {

// Seconds from 1904-01-01, where a video container counts from, to 1970-01-01.
constexpr std::int64_t containerEpochOffset = 2082844800;

// What the library is given first of a file its plain reading leaves to
// it: the metadata of most kinds lies within.
constexpr std::size_t headBytes = 128 * 1024;
// Below this many files the threads cost more than they save.
constexpr std::size_t filesPerThread = 64;
constexpr auto progressInterval = std::chrono::milliseconds(50);

bool digitsOf(std::string_view text, std::size_t at, std::size_t count, int& out)
{
    if (at + count > text.size())
        return false;
    const char* first = text.data() + at;
    for (std::size_t i = 0; i < count; ++i)
        if (first[i] < '0' || first[i] > '9')
            return false;
    std::from_chars(first, first + count, out);
    return true;
}

// "+hh:mm" or "-hh:mm" as seconds east of UTC.
std::optional<int> offsetSeconds(std::string_view offset)
{
    int hours = 0;
    int minutes = 0;
    if (offset.size() != 6 || (offset[0] != '+' && offset[0] != '-') || offset[3] != ':'
        || !digitsOf(offset, 1, 2, hours) || !digitsOf(offset, 4, 2, minutes) || hours > 23
        || minutes > 59)
        return std::nullopt;
    const int seconds = hours * 3600 + minutes * 60;
    return offset[0] == '-' ? -seconds : seconds;
}

// "25" after the second is a quarter of a second: digits beyond the ninth
// are dropped.
std::int32_t fractionNanoseconds(std::string_view digits)
{
    while (!digits.empty() && digits.back() == ' ')
        digits.remove_suffix(1);
    std::int32_t nanoseconds = 0;
    std::int32_t scale = 100'000'000;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return 0;
        nanoseconds += (c - '0') * scale;
        scale /= 10;
    }
    return nanoseconds;
}

std::once_flag libraryReady;
std::mutex xmpToolkit;

// The XMP toolkit under the library is not safe to call from two threads at
// once; the library takes this lock around every call.
void lockXmpToolkit(void* mutex, bool lock)
{
    if (lock)
        static_cast<std::mutex*>(mutex)->lock();
    else
        static_cast<std::mutex*>(mutex)->unlock();
}

// The library is set up once, before any thread reads a file: it prints
// nothing, and reads the ISO media files (CR3, HEIF) as well.
void prepareLibrary()
{
    std::call_once(libraryReady, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize(lockXmpToolkit, &xmpToolkit);
        Exiv2::enableBMFF(true);
    });
}

std::string exifText(const Exiv2::ExifData& exif, const Exiv2::ExifKey& key)
{
    const auto found = exif.findKey(key);
    return found == exif.end() ? std::string() : found->toString();
}

std::optional<ShootingDate> exifShootingDate(const Exiv2::ExifData& exif)
{
    // Made once: a key looks its tag up by name.
    static const Exiv2::ExifKey original("Exif.Photo.DateTimeOriginal");
    // Raw files of the TIFF/EP kind keep the date in the first directory.
    static const Exiv2::ExifKey firstDirectory("Exif.Image.DateTimeOriginal");
    static const Exiv2::ExifKey subSeconds("Exif.Photo.SubSecTimeOriginal");
    static const Exiv2::ExifKey offset("Exif.Photo.OffsetTimeOriginal");
    std::string date = exifText(exif, original);
    if (date.empty())
        date = exifText(exif, firstDirectory);
    if (date.empty())
        return std::nullopt;
    return shootingDateFromExif(date, exifText(exif, subSeconds), exifText(exif, offset));
}

// The creation time a video container records, in seconds from 1904 (UTC);
// 0 is a container that was never given one.
std::optional<ShootingDate> videoShootingDate(const Exiv2::XmpData& xmp)
{
    for (const char* key : {"Xmp.video.DateUTC", "Xmp.video.MediaCreateDate"}) {
        const auto found = xmp.findKey(Exiv2::XmpKey(key));
        if (found == xmp.end())
            continue;
        std::int64_t seconds = 0;
        const std::string text = found->toString();
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
        if (error == std::errc() && end == text.data() + text.size() && seconds > 0) {
            // The container keeps UTC: the wall clock is the local zone's.
            ShootingDate date{seconds - containerEpochOffset, 0};
            LocalDateTime local;
            if (localFromInstant(date.seconds, local))
                date.wallOffset = static_cast<std::int32_t>(secondsAsUtc(local) - date.seconds);
            return date;
        }
    }
    return std::nullopt;
}

// The library marks its video readers as on their way out (a rewrite is to
// replace them); this one is still the only reader of a movie header here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
std::optional<ShootingDate> quickTimeShootingDate(const std::string& path)
{
    Exiv2::QuickTimeVideo video(Exiv2::BasicIo::AutoPtr(new Exiv2::FileIo(path)));
    video.readMetadata();
    return videoShootingDate(video.xmpData());
}
#pragma GCC diagnostic pop

// The first bytes of an open file, all of it when it is small.
std::string& readHead(int fd, std::uint64_t size)
{
    thread_local std::string head;
    head.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size, headBytes)));
    head.resize(readFileAt(fd, 0, head.data(), head.size()));
    return head;
}

std::optional<ShootingDate> shootingDateOf(Exiv2::Image& image, const std::string& path)
{
    image.readMetadata();
    if (std::optional<ShootingDate> date = exifShootingDate(image.exifData()))
        return date;
    if (std::optional<ShootingDate> date = videoShootingDate(image.xmpData()))
        return date;
    // The ISO media reader, which reads CR3 and HEIF, does not look at a
    // video's movie header; the QuickTime reader does.
    if (image.imageType() != Exiv2::ImageType::bmff)
        return std::nullopt;
    return quickTimeShootingDate(path);
}

// Any file the library reads, through the library: from its first bytes,
// or the whole file when they do not give a date (a raw file's directories
// far into the file).
std::optional<ShootingDate> libraryShootingDate(int fd, std::uint64_t size, const std::string& path)
{
    prepareLibrary();
    const std::string& head = readHead(fd, size);
    try {
        const auto* bytes = reinterpret_cast<const Exiv2::byte*>(head.data());
        if (std::optional<ShootingDate> date = shootingDateOf(
                *Exiv2::ImageFactory::open(bytes, static_cast<long>(head.size())), path))
            return date;
    } catch (const std::exception&) { // damaged, not an image, or more than the head
    }
    if (head.size() >= size)
        return std::nullopt;
    try {
        return shootingDateOf(*Exiv2::ImageFactory::open(path), path);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace

std::optional<ShootingDate> shootingDateFromExif(std::string_view dateTime,
                                                 std::string_view subSeconds,
                                                 std::string_view offset)
{
    LocalDateTime t;
    if (dateTime.size() < 19 || dateTime[4] != ':' || dateTime[7] != ':' || dateTime[10] != ' '
        || dateTime[13] != ':' || dateTime[16] != ':' || !digitsOf(dateTime, 0, 4, t.year)
        || !digitsOf(dateTime, 5, 2, t.month) || !digitsOf(dateTime, 8, 2, t.day)
        || !digitsOf(dateTime, 11, 2, t.hour) || !digitsOf(dateTime, 14, 2, t.minute)
        || !digitsOf(dateTime, 17, 2, t.second) || !isValidLocalDateTime(t))
        return std::nullopt;
    ShootingDate date;
    date.nanoseconds = fractionNanoseconds(subSeconds);
    if (const std::optional<int> east = offsetSeconds(offset)) {
        date.seconds = secondsAsUtc(t) - *east;
    } else if (!instantFromLocal(t, date.seconds)) {
        return std::nullopt;
    }
    date.wallOffset = static_cast<std::int32_t>(secondsAsUtc(t) - date.seconds);
    return date;
}

LocalDateTime wallClockOf(const ShootingDate& date)
{
    const std::int64_t wall = date.seconds + date.wallOffset;
    const std::int64_t days = wall >= 0 ? wall / 86400 : -((-wall + 86399) / 86400);
    const auto inDay = static_cast<int>(wall - days * 86400);
    LocalDateTime t;
    civilFromDays(days, t.year, t.month, t.day);
    t.hour = inDay / 3600;
    t.minute = inDay / 60 % 60;
    t.second = inDay % 60;
    return t;
}

std::optional<ShootingDate> readShootingDate(const std::string& path)
{
    const UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!file.isOpen())
        return std::nullopt;
    // The common case, a camera's JPEG, raw or HEIC file, read without the
    // library: only the few bytes its date takes.
    if (const std::optional<ExifDateTexts> texts = readExifDateTexts(file.get()))
        if (std::optional<ShootingDate> date =
                shootingDateFromExif(texts->dateTime, texts->subSeconds, texts->offset))
            return date;
    struct stat st
    {};
    // Only a regular file: a FIFO would hold the library for ever.
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return libraryShootingDate(file.get(), static_cast<std::uint64_t>(st.st_size), path);
}

std::vector<std::optional<ShootingDate>> readShootingDates(const std::vector<std::string>& paths,
                                                           const ShootingDateProgress& progress)
{
    prepareLibrary();
    // The local times are read in the zone in force now, should it have
    // changed since the last reading.
    ::tzset();
    const std::size_t total = paths.size();
    std::vector<std::optional<ShootingDate>> dates(total);
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> done{0};
    auto work = [&] {
        for (std::size_t i = next++; i < total; i = next++) {
            dates[i] = readShootingDate(paths[i]);
            ++done;
        }
    };
    const std::size_t cores = std::max(1U, std::thread::hardware_concurrency());
    std::vector<std::jthread> helpers;
    for (std::size_t n = 1; n < std::min(cores, total / filesPerThread); ++n)
        helpers.emplace_back(work);
    // This thread reads too, and tells the progress between files.
    if (progress)
        progress(0, total);
    auto lastShown = std::chrono::steady_clock::now();
    for (std::size_t i = next++; i < total; i = next++) {
        dates[i] = readShootingDate(paths[i]);
        ++done;
        if (progress && std::chrono::steady_clock::now() - lastShown >= progressInterval) {
            progress(done.load(), total);
            lastShown = std::chrono::steady_clock::now();
        }
    }
    helpers.clear(); // joins
    if (progress)
        progress(total, total);
    return dates;
}

} // namespace torvel
