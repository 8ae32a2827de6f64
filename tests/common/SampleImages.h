#pragma once

// Photos made for the tests and benchmarks by the metadata library itself:
// a one-pixel JPEG, and a TIFF laid out as raw files are, each with the EXIF
// tags asked for.

#include <exiv2/exiv2.hpp>

#include <cstdint>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

namespace torvel::test {

using ExifTags = std::map<std::string, std::string>;

// A baseline JPEG of one grey pixel, without any metadata.
inline std::string tinyJpeg()
{
    static const unsigned char bytes[] = {
        0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00, 16,   11,   10,   16,   24,   40,   51,   61,
        12,   12,   14,   19,   26,   58,   60,   55,   14,   13,   16,   24,   40,   57,   69,
        56,   14,   17,   22,   29,   51,   87,   80,   62,   18,   22,   37,   56,   68,   109,
        103,  77,   24,   35,   55,   64,   81,   104,  113,  92,   49,   64,   78,   87,   103,
        121,  120,  101,  72,   92,   95,   98,   112,  100,  103,  99,   0xFF, 0xC0, 0x00, 0x0B,
        0x08, 0x00, 0x01, 0x00, 0x01, 0x01, 0x01, 0x11, 0x00, 0xFF, 0xC4, 0x00, 0x14, 0x00, 0x01,
        0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
        0,    0x00, 0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00, 0x00, 0xFF, 0xD9};
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

inline void writeTags(const std::string& path, const ExifTags& tags)
{
    auto image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    for (const auto& [key, value] : tags)
        image->exifData()[key] = value;
    image->writeMetadata();
}

// A JPEG at `path` with `tags` ("Exif.Photo.DateTimeOriginal" and so on).
inline void writeJpeg(const std::string& path, const ExifTags& tags = {})
{
    std::ofstream(path, std::ios::binary) << tinyJpeg();
    if (!tags.empty())
        writeTags(path, tags);
}

// A TIFF with a camera's make and model in its first directory, as raw
// files carry them, and `tags`: a bare TIFF of one tag first, in either
// byte order, which the library then fills in that order.
inline void writeRawLikeTiff(const std::string& path, const ExifTags& tags, bool bigEndian = false)
{
    static const unsigned char little[] = {'I', 'I', 42, 0, 8, 0, 0, 0,       // header, first IFD
                                           1,   0,   0,  1, 3, 0, 1, 0, 0, 0, // ImageWidth, SHORT
                                           1,   0,   0,  0, 0, 0, 0, 0};      // 1; no next IFD
    static const unsigned char big[] = {'M', 'M', 0, 42, 0, 0, 0, 8,          // the same, most
                                        0,   1,   1, 0,  0, 3, 0, 0, 0, 1,    // significant byte
                                        0,   1,   0, 0,  0, 0, 0, 0};         // first
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bigEndian ? big : little), sizeof little);
    ExifTags all = tags;
    all.emplace("Exif.Image.Make", "TESTCAM");
    all.emplace("Exif.Image.Model", "T-1");
    writeTags(path, all);
}

// A video container of the ISO kind ("isom", else "qt  ") with no media,
// only the movie header with its creation time (seconds since the epoch).
inline void writeMovie(const std::string& path, std::int64_t created, const char* brand = "isom")
{
    const auto number = [](std::uint64_t value) {
        std::string bytes(4, '\0');
        for (int i = 3; i >= 0; --i, value >>= 8)
            bytes[static_cast<std::size_t>(i)] = static_cast<char>(value & 0xFF);
        return bytes;
    };
    const auto box = [&](const char* type, const std::string& body) {
        return number(8 + body.size()) + type + body;
    };
    const std::uint64_t since1904 = static_cast<std::uint64_t>(created) + 2082844800;
    std::string header = number(0) + number(since1904) + number(since1904) + number(1000)
                         + number(5000) + number(0x10000) + number(0x01000000)
                         + std::string(8, '\0');
    for (const std::uint64_t m : {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000})
        header += number(m);
    header += std::string(24, '\0') + number(2);
    std::ofstream(path, std::ios::binary) << box("ftyp", brand + number(0x200) + brand)
                                          << box("moov", box("mvhd", header)) << box("mdat", "");
}

} // namespace torvel::test
