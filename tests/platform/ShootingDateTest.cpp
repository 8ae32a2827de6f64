#include "ShootingDate.h"

#include "ExifBlock.h"

#include "common/SampleImages.h"
#include "common/SampleNames.h"
#include "common/ScratchDir.h"
#include "common/TimeZone.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace torvel {
namespace {

using test::ExifTags;
using test::ScopedTimeZone;

constexpr const char* original = "Exif.Photo.DateTimeOriginal";

// 2021-03-04 05:06:07 UTC.
constexpr std::int64_t utcMorning = 1614834367;

std::string littleEndian(std::uint64_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i));
    return out;
}

std::string bigEndian(std::uint64_t value, int bytes)
{
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>(value >> (8 * i));
    return out;
}

std::string box(const char* type, const std::string& body)
{
    return bigEndian(8 + body.size(), 4) + type + body;
}

// An image in the ISO media format made by hand, its one item the EXIF block
// `tiff` at the end of the file, placed as writers place it: by a base
// offset with the extent from there (item locations of version 1), or by
// the extent alone (version 0); `past` moves the extent further on.
std::string handMadeHeif(const std::string& tiff, bool byBase, std::uint32_t past = 0)
{
    const std::string types = "heic" + bigEndian(0, 4) + "mif1heic";
    const std::string info =
        box("iinf", bigEndian(0, 4) + bigEndian(1, 2)
                        + box("infe", bigEndian(0x02000000, 4) + bigEndian(0x10000, 4) + "Exif"));
    const std::string item = bigEndian(0, 4) + tiff;
    const auto locations = [&](std::uint32_t at) {
        const std::uint32_t base = byBase ? at : 0;
        return box("iloc", bigEndian(byBase ? 0x01000000 : 0, 4)
                               + std::string(byBase ? "\x44\x40" : "\x44\0", 2) + bigEndian(1, 2)
                               + bigEndian(1, 2) + (byBase ? bigEndian(0, 2) : "") + bigEndian(0, 2)
                               + (byBase ? bigEndian(base, 4) : "") + bigEndian(1, 2)
                               + bigEndian(at - base + past, 4) + bigEndian(item.size(), 4));
    };
    const std::string head = box("ftyp", types);
    const std::size_t metaSize = box("meta", bigEndian(0, 4) + info + locations(0)).size();
    const auto at = static_cast<std::uint32_t>(head.size() + metaSize + 8);
    return head + box("meta", bigEndian(0, 4) + info + locations(at)) + box("mdat", item);
}

// A TIFF made by hand, as no library would write it: the header, the date
// "2021:03:04 14:06:07" at offset 8, then at 28 the first directory of
// `entries` {tag, type, count, value or offset}.
std::string handMadeTiff(std::initializer_list<std::array<std::uint32_t, 4>> entries)
{
    std::string out = "II" + littleEndian(42, 2) + littleEndian(28, 4)
                      + std::string("2021:03:04 14:06:07", 20) + littleEndian(entries.size(), 2);
    for (const auto& [tag, type, count, value] : entries)
        out += littleEndian(tag, 2) + littleEndian(type, 2) + littleEndian(count, 4)
               + littleEndian(value, 4);
    return out + littleEndian(0, 4);
}

TEST(ShootingDate, ExifTextsGiveTheInstantTheyStandFor)
{
    const ScopedTimeZone zone("Asia/Tokyo");
    struct Case
    {
        const char* name;
        const char* date;
        const char* subSeconds;
        const char* offset;
        std::optional<ShootingDate> expected;
    };
    const Case cases[] = {
        {"local time of the zone in force", "2021:03:04 14:06:07", "", "",
         ShootingDate{utcMorning, 0}},
        {"offset east", "2021:03:04 14:06:07", "", "+09:00", ShootingDate{utcMorning, 0}},
        {"offset west", "2021:03:03 23:36:07", "", "-05:30", ShootingDate{utcMorning, 0}},
        {"offset over the year's end", "2020:12:31 23:00:00", "", "-02:00",
         ShootingDate{1609462800, 0}},
        {"sub-seconds are a fraction", "2021:03:04 14:06:07", "25", "",
         ShootingDate{utcMorning, 250'000'000}},
        {"one digit is tenths", "2021:03:04 14:06:07", "5 ", "",
         ShootingDate{utcMorning, 500'000'000}},
        {"bad sub-seconds are ignored", "2021:03:04 14:06:07", "1a", "",
         ShootingDate{utcMorning, 0}},
        {"bad offset: local time", "2021:03:04 14:06:07", "", "+9", ShootingDate{utcMorning, 0}},
        {"before 1970", "1969:12:31 09:00:00", "", "", ShootingDate{0 - 86400, 0}},
        {"unset date of a camera", "0000:00:00 00:00:00", "", "", std::nullopt},
        {"blank date", "                   ", "", "", std::nullopt},
        {"no such day", "2021:02:30 10:00:00", "", "", std::nullopt},
        {"dashes", "2021-03-04 14:06:07", "", "", std::nullopt},
        {"cut short", "2021:03:04 14:06", "", "", std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<ShootingDate> date =
            shootingDateFromExif(c.date, c.subSeconds, c.offset);
        EXPECT_EQ(date, c.expected) << c.name;
        if (!date)
            continue;
        // A name made from the date shows the clock as the camera recorded
        // it, whatever offset or zone placed the instant.
        const LocalDateTime wall = wallClockOf(*date);
        char text[32];
        std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", wall.year, wall.month,
                      wall.day, wall.hour, wall.minute, wall.second);
        EXPECT_EQ(std::string(text), std::string(c.date)) << c.name;
    }
}

TEST(ShootingDate, FilesGiveTheirDateOrNoneWhateverTheyHold)
{
    const ScopedTimeZone zone("Asia/Tokyo");
    ScratchDir dir;
    test::writeJpeg(dir / "dated.jpg", {{original, "2021:03:04 14:06:07"}});
    test::writeJpeg(dir / "exact.jpg", {{original, "2021:03:04 05:06:07"},
                                        {"Exif.Photo.SubSecTimeOriginal", "125"},
                                        {"Exif.Photo.OffsetTimeOriginal", "+00:00"}});
    test::writeJpeg(dir / "other-tags.jpg", {{"Exif.Image.Make", "TESTCAM"}});
    test::writeJpeg(dir / "plain.jpg");
    test::writeJpeg(dir / sjisPhoto, {{original, "2021:03:04 14:06:07"}});
    test::writeRawLikeTiff(dir / "raw.nef", {{original, "2021:03:04 14:06:07"}});
    test::writeRawLikeTiff(dir / "raw-ifd0.dng",
                           {{"Exif.Image.DateTimeOriginal", "2021:03:04 14:06:07"}});
    test::writeRawLikeTiff(dir / "big-endian.tif",
                           {{original, "2021:03:04 05:06:07"},
                            {"Exif.Photo.SubSecTimeOriginal", "125"},
                            {"Exif.Photo.OffsetTimeOriginal", "+00:00"}},
                           true);
    // The Exif directory back at the first one, or outside the file: the
    // first directory's date stands. Counts and offsets that lie: nothing.
    constexpr std::uint32_t ascii = 2;
    constexpr std::uint32_t exifPointer = 0x8769;
    constexpr std::uint32_t dateTag = 0x9003;
    dir.write("loop.tif", handMadeTiff({{exifPointer, 4, 1, 28}, {dateTag, ascii, 20, 8}}));
    dir.write("exif-outside.tif",
              handMadeTiff({{exifPointer, 4, 1, 0xFFFFFFF0}, {dateTag, ascii, 20, 8}}));
    dir.write("date-outside.tif", handMadeTiff({{dateTag, ascii, 20, 0xFFFFFFF0}}));
    dir.write("count-lies.tif", handMadeTiff({{dateTag, ascii, 0xFFFFFFFF, 8}}));
    const std::string datedTiff = handMadeTiff({{dateTag, ascii, 20, 8}});
    dir.write("by-base.heic", handMadeHeif(datedTiff, true));
    dir.write("by-extent.heic", handMadeHeif(datedTiff, false));
    dir.write("exif-outside.heic", handMadeHeif(datedTiff, true, 4));
    dir.write("entries-lie.tif", "II" + littleEndian(42, 2) + littleEndian(8, 4)
                                     + littleEndian(0xFFFF, 2) + std::string(100, '\0'));
    test::writeMovie(dir / "clip.mp4", utcMorning);
    test::writeMovie(dir / "clip.mov", utcMorning, "qt  ");
    test::writeMovie(dir / "undated.mp4", -2082844800); // 0: never given one
    const std::string whole = dir.read("dated.jpg");
    // Three segments of 64 KiB of nothing before the EXIF: it lies beyond the
    // first bytes that are read at first.
    std::string late = whole.substr(0, 2);
    for (int i = 0; i < 3; ++i)
        late += std::string("\xFF\xEF\xFF\xFF", 4) + std::string(65533, '\0');
    dir.write("late.jpg", late + whole.substr(2));
    dir.write("other-app1.jpg",
              whole.substr(0, 2) + std::string("\xFF\xE1\0\x0COther\0data", 14) + whole.substr(2));
    dir.write("truncated.jpg", whole.substr(0, whole.size() / 3));
    dir.write("pretend.jpg", "\xFF\xD8\xFF\xE1 not a photo at all");
    dir.write("text.jpg", "just some text");
    dir.write("empty.jpg", "");

    struct Case
    {
        std::string name;
        std::optional<ShootingDate> expected;
    };
    const Case cases[] = {
        {"dated.jpg", ShootingDate{utcMorning, 0}},
        {"exact.jpg", ShootingDate{utcMorning, 125'000'000}},
        {sjisPhoto, ShootingDate{utcMorning, 0}},
        {"raw.nef", ShootingDate{utcMorning, 0}},
        {"raw-ifd0.dng", ShootingDate{utcMorning, 0}},
        {"late.jpg", ShootingDate{utcMorning, 0}},
        {"other-app1.jpg", ShootingDate{utcMorning, 0}},
        {"big-endian.tif", ShootingDate{utcMorning, 125'000'000}},
        {"loop.tif", ShootingDate{utcMorning, 0}},
        {"exif-outside.tif", ShootingDate{utcMorning, 0}},
        {"date-outside.tif", std::nullopt},
        {"count-lies.tif", std::nullopt},
        {"entries-lie.tif", std::nullopt},
        {"by-base.heic", ShootingDate{utcMorning, 0}},
        {"by-extent.heic", ShootingDate{utcMorning, 0}},
        {"exif-outside.heic", std::nullopt},
        {"clip.mp4", ShootingDate{utcMorning, 0}},
        {"clip.mov", ShootingDate{utcMorning, 0}},
        {"undated.mp4", std::nullopt},
        {"other-tags.jpg", std::nullopt},
        {"plain.jpg", std::nullopt},
        {"truncated.jpg", std::nullopt},
        {"pretend.jpg", std::nullopt},
        {"text.jpg", std::nullopt},
        {"empty.jpg", std::nullopt},
        {"missing.jpg", std::nullopt},
        {"", std::nullopt}, // the folder itself
    };
    // The common kinds are read without the library, in either byte order.
    for (const char* plain : {"dated.jpg", "exact.jpg", "late.jpg", "other-app1.jpg",
                              "raw-ifd0.dng", "big-endian.tif", "by-base.heic"}) {
        const int fd = ::open((dir / plain).c_str(), O_RDONLY);
        EXPECT_TRUE(readExifDateTexts(fd).has_value()) << plain;
        ::close(fd);
    }
    std::vector<std::string> paths;
    for (const Case& c : cases) {
        EXPECT_EQ(readShootingDate(dir / c.name), c.expected) << c.name;
        paths.push_back(dir / c.name);
    }

    // Many at once (on helper threads): the same dates in the same order,
    // and the progress ends at the whole.
    for (std::size_t i = paths.size(); i < 300; ++i)
        paths.push_back(paths[i % std::size(cases)]);
    std::size_t lastDone = 0;
    const auto dates = readShootingDates(paths, [&](std::size_t done, std::size_t total) {
        EXPECT_EQ(total, paths.size());
        EXPECT_GE(done, lastDone);
        lastDone = done;
    });
    ASSERT_EQ(dates.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i)
        EXPECT_EQ(dates[i], cases[i % std::size(cases)].expected) << paths[i];
    EXPECT_EQ(lastDone, paths.size());
}

} // namespace
} // namespace torvel
