#include "ExifBlock.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <limits>
#include <string_view>

#include <unistd.h>

namespace torvel {

namespace {

// The first read: a camera's JPEG has its EXIF directories, and a raw file
// mostly its first ones, within these bytes; anything further is read when
// it is asked for.
constexpr std::size_t headSize = 4096;
// Past these a file is left to the full reader rather than walked on.
constexpr int maxSegments = 64;
constexpr std::uint32_t maxEntries = 1024;
constexpr std::uint32_t maxTextBytes = 64;
// An item list larger than this is left to the full reader too.
constexpr std::uint64_t maxBoxBytes = 256 * 1024;
// The size of a block that reaches to the end of the file, wherever that is.
constexpr std::uint64_t wholeFile = std::numeric_limits<std::uint64_t>::max();

constexpr std::uint16_t exifPointerTag = 0x8769;
constexpr std::uint16_t dateTimeOriginalTag = 0x9003;
constexpr std::uint16_t subSecTimeOriginalTag = 0x9291;
constexpr std::uint16_t offsetTimeOriginalTag = 0x9011;

constexpr std::uint16_t asciiType = 2;
constexpr std::uint16_t longType = 4;
constexpr std::uint16_t ifdType = 13;

// The numbers after the byte order: TIFF's own, and those of the raw files
// that give it a number of their own ("IIRO", "IIRS", "MMOR", "IIU\0").
constexpr std::uint32_t tiffMagic = 42;
constexpr std::uint32_t rawMagics[] = {0x4F52, 0x5352, 0x0055};

// An open file's bytes: the first ones from one read, others as asked for.
// Its end is where a read comes back short (a FIFO or a folder gives none).
class FileBytes
{
public:
    explicit FileBytes(int fd)
        : m_fd(fd)
    {
        m_headUsed = readFileAt(m_fd, 0, m_head.data(), headSize);
    }

    // `n` bytes at `offset`, valid until the next call; none when the file
    // does not hold them all.
    std::optional<std::string_view> at(std::uint64_t offset, std::size_t n)
    {
        if (offset <= m_headUsed && n <= m_headUsed - offset)
            return std::string_view(m_head.data() + offset, n);
        if (m_headUsed < headSize) // the whole file is in the head
            return std::nullopt;
        m_more.resize(n);
        if (readFileAt(m_fd, offset, m_more.data(), n) != n)
            return std::nullopt;
        return std::string_view(m_more);
    }

private:
    int m_fd;
    std::array<char, headSize> m_head;
    std::size_t m_headUsed = 0;
    std::string m_more;
};

// The TIFF structure EXIF is kept in: `size` bytes from `base` in the file,
// its offsets counted from `base`.
struct TiffBlock
{
    FileBytes& file;
    std::uint64_t base = 0;
    std::uint64_t size = 0;
    bool bigEndian = false;

    std::optional<std::string_view> at(std::uint64_t offset, std::size_t n) const
    {
        if (offset > size || n > size - offset)
            return std::nullopt;
        return file.at(base + offset, n);
    }

    // The unsigned number of `width` bytes (2 or 4) at `at` of `bytes`.
    std::uint32_t number(std::string_view bytes, std::size_t at, std::size_t width) const
    {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < width; ++i)
            value = value << 8
                    | static_cast<unsigned char>(bytes[at + (bigEndian ? i : width - 1 - i)]);
        return value;
    }
};

struct Entry
{
    bool found = false;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::array<char, 4> value{}; // the value itself when it fits, else its offset
};

// The entries of one directory that matter here, each the first of its tag.
struct Directory
{
    Entry exifPointer;
    Entry date;
    Entry subSeconds;
    Entry offset;

    Entry* wanted(std::uint32_t tag)
    {
        switch (tag) {
        case exifPointerTag:
            return &exifPointer;
        case dateTimeOriginalTag:
            return &date;
        case subSecTimeOriginalTag:
            return &subSeconds;
        case offsetTimeOriginalTag:
            return &offset;
        default:
            return nullptr;
        }
    }
};

// False when the directory does not lie wholly within the block.
bool readDirectory(const TiffBlock& block, std::uint32_t offset, Directory& out)
{
    const std::optional<std::string_view> countBytes = block.at(offset, 2);
    if (!countBytes)
        return false;
    const std::uint32_t count = block.number(*countBytes, 0, 2);
    if (count > maxEntries)
        return false;
    const std::optional<std::string_view> entries = block.at(offset + std::uint64_t{2}, count * 12);
    if (!entries)
        return false;
    for (std::size_t at = 0; at < entries->size(); at += 12) {
        Entry* entry = out.wanted(block.number(*entries, at, 2));
        if (entry == nullptr || entry->found)
            continue;
        entry->found = true;
        entry->type = static_cast<std::uint16_t>(block.number(*entries, at + 2, 2));
        entry->count = block.number(*entries, at + 4, 4);
        std::memcpy(entry->value.data(), entries->data() + at + 8, 4);
    }
    return true;
}

std::uint32_t offsetOf(const TiffBlock& block, const Entry& entry)
{
    return block.number(std::string_view(entry.value.data(), 4), 0, 4);
}

// An ASCII entry's text up to its first NUL, empty for an absent one; false
// for another type, a long text, or one lying outside the block.
bool entryText(const TiffBlock& block, const Entry& entry, std::string& out)
{
    if (!entry.found)
        return true;
    if (entry.type != asciiType || entry.count > maxTextBytes)
        return false;
    std::optional<std::string_view> text = std::string_view(entry.value.data(), entry.count);
    if (entry.count > 4)
        text = block.at(offsetOf(block, entry), entry.count);
    if (!text)
        return false;
    out.assign(text->substr(0, text->find('\0')));
    return true;
}

// The block of the first APP1 segment that holds EXIF, found by walking the
// segments that come before the image data.
std::optional<TiffBlock> jpegExifBlock(FileBytes& file)
{
    std::uint64_t at = 2; // past the start of image
    for (int i = 0; i < maxSegments; ++i) {
        const std::optional<std::string_view> marker = file.at(at, 4);
        if (!marker || (*marker)[0] != '\xFF')
            return std::nullopt;
        const auto code = static_cast<unsigned char>((*marker)[1]);
        // Only segments with a length: the image data (0xDA) and the end
        // (0xD9) come without EXIF before them, and the rest is unusual.
        if (code < 0xC0 || (code >= 0xD0 && code <= 0xDA) || code == 0xFF)
            return std::nullopt;
        const std::uint32_t length = static_cast<unsigned char>((*marker)[2]) << 8
                                     | static_cast<unsigned char>((*marker)[3]);
        if (length < 2)
            return std::nullopt;
        if (code == 0xE1 && length >= 8) {
            const std::optional<std::string_view> id = file.at(at + 4, 6);
            if (id && *id == std::string_view("Exif\0\0", 6))
                return TiffBlock{file, at + 10, length - 8};
        }
        at += 2 + length;
    }
    return std::nullopt;
}

// Big-endian numbers read one after another from a box's contents; `ok`
// turns false, for good, at the first that does not fit.
struct BoxReader
{
    std::string_view bytes;
    std::size_t at = 0;
    bool ok = true;

    // The number of `width` bytes (0, a field left out, is 0) next.
    std::uint64_t next(std::size_t width)
    {
        if (!ok || width > 8 || width > bytes.size() - at) {
            ok = false;
            return 0;
        }
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < width; ++i)
            value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
        at += width;
        return value;
    }
};

// An ISO media box: where its contents start and where it ends.
struct Box
{
    std::uint64_t start = 0;
    std::uint64_t end = 0;

    // Its contents when they are few enough to take in one read.
    std::optional<std::string_view> contents(FileBytes& file) const
    {
        if (end - start > maxBoxBytes)
            return std::nullopt;
        return file.at(start, end - start);
    }
};

// The first box of `type` among the boxes from `at` up to `end`; none when
// one of those before it does not fit, or past a few dozen of them.
std::optional<Box> findBox(FileBytes& file, std::uint64_t at, std::uint64_t end,
                           std::string_view type)
{
    for (int i = 0; i < maxSegments && at < end; ++i) {
        const std::optional<std::string_view> header = file.at(at, 8);
        if (!header)
            return std::nullopt;
        BoxReader sizes{*header};
        std::uint64_t size = sizes.next(4);
        const bool wanted = header->substr(4) == type;
        std::uint64_t start = at + 8;
        if (size == 1) { // the size follows in 64 bits
            const std::optional<std::string_view> large = file.at(start, 8);
            if (!large)
                return std::nullopt;
            size = BoxReader{*large}.next(8);
            start += 8;
        } else if (size == 0) { // to the end of the file: only the last box
            size = end == wholeFile ? wholeFile - at : end - at;
        }
        if (size < start - at || size > end - at)
            return std::nullopt;
        if (wanted)
            return Box{start, at + size};
        at += size;
    }
    return std::nullopt;
}

// The identifier of the item of type "Exif" that the item information box
// lists, none when it lists none.
std::optional<std::uint64_t> exifItem(std::string_view info)
{
    BoxReader r{info};
    const std::uint64_t version = r.next(1);
    r.next(3); // flags
    const std::uint64_t count = r.next(version == 0 ? 2 : 4);
    for (std::uint64_t i = 0; i < count && r.ok; ++i) {
        // Each an entry box: only from its version 2 on does it give a type.
        const std::size_t entry = r.at;
        const std::uint64_t size = r.next(4);
        const bool isEntry = r.ok && info.substr(r.at, 4) == "infe";
        r.next(4);
        const std::uint64_t entryVersion = r.next(1);
        r.next(3);
        if (isEntry && entryVersion >= 2) {
            const std::uint64_t id = r.next(entryVersion == 2 ? 2 : 4);
            r.next(2); // protection
            if (r.ok && info.substr(r.at, 4) == "Exif")
                return id;
        }
        if (size < 8 || size > info.size() - entry)
            return std::nullopt;
        r.at = entry + size;
    }
    return std::nullopt;
}

// Where the item `id` lies in the file, by the item location box: only an
// item of one extent that lies in this file.
std::optional<Box> itemPlace(std::string_view locations, std::uint64_t id)
{
    BoxReader r{locations};
    const std::uint64_t version = r.next(1);
    r.next(3);
    const std::uint64_t sizes = r.next(1);
    const std::uint64_t moreSizes = r.next(1);
    const std::size_t offsetSize = sizes >> 4;
    const std::size_t lengthSize = sizes & 15;
    const std::size_t baseSize = moreSizes >> 4;
    const std::size_t indexSize = version == 0 ? 0 : moreSizes & 15;
    const std::uint64_t count = r.next(version < 2 ? 2 : 4);
    for (std::uint64_t i = 0; i < count && r.ok; ++i) {
        const std::uint64_t item = r.next(version < 2 ? 2 : 4);
        // Anything but 0 is a place other than the file's own bytes.
        const std::uint64_t method = version == 0 ? 0 : r.next(2) & 15;
        const std::uint64_t reference = r.next(2);
        const std::uint64_t base = r.next(baseSize);
        const std::uint64_t extents = r.next(2);
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
        for (std::uint64_t e = 0; e < extents && r.ok; ++e) {
            r.next(indexSize);
            offset = r.next(offsetSize);
            length = r.next(lengthSize);
        }
        if (item != id)
            continue;
        if (!r.ok || method != 0 || reference != 0 || extents != 1 || length == 0
            || offset > wholeFile - base || length > wholeFile - base - offset)
            return std::nullopt;
        return Box{base + offset, base + offset + length};
    }
    return std::nullopt;
}

// The block of an image in the ISO media format (HEIC, AVIF) that keeps its
// EXIF as an item: the item information names it, its location gives a base
// and an extent (writers differ in which carries the offset: the metadata
// library takes the extent's alone, and finds no EXIF in a file that puts
// it in the base), and the item opens with the distance to the TIFF header
// within it.
std::optional<TiffBlock> isoExifBlock(FileBytes& file)
{
    const std::optional<Box> meta = findBox(file, 0, wholeFile, "meta");
    if (!meta)
        return std::nullopt;
    const std::uint64_t children = meta->start + 4; // past its version and flags
    const std::optional<Box> infoBox = findBox(file, children, meta->end, "iinf");
    const std::optional<Box> locationBox = findBox(file, children, meta->end, "iloc");
    if (!infoBox || !locationBox)
        return std::nullopt;
    const std::optional<std::string_view> info = infoBox->contents(file);
    const std::optional<std::uint64_t> id = info ? exifItem(*info) : std::nullopt;
    const std::optional<std::string_view> locations =
        id ? locationBox->contents(file) : std::nullopt;
    const std::optional<Box> place = locations ? itemPlace(*locations, *id) : std::nullopt;
    if (!place || place->end - place->start < 4)
        return std::nullopt;
    const std::optional<std::string_view> lead = file.at(place->start, 4);
    const std::uint64_t toHeader = lead ? BoxReader{*lead}.next(4) : wholeFile;
    if (toHeader > place->end - place->start - 4)
        return std::nullopt;
    const std::uint64_t header = place->start + 4 + toHeader;
    return TiffBlock{file, header, place->end - header};
}

// The byte order, the magic number and the first directory's offset; the
// raw files' own numbers only for a whole file, never inside a JPEG.
bool readHeader(TiffBlock& block, bool rawFile, std::uint32_t& firstDirectory)
{
    const std::optional<std::string_view> header = block.at(0, 8);
    if (!header || (header->substr(0, 2) != "II" && header->substr(0, 2) != "MM"))
        return false;
    block.bigEndian = (*header)[0] == 'M';
    const std::uint32_t magic = block.number(*header, 2, 2);
    firstDirectory = block.number(*header, 4, 4);
    return magic == tiffMagic
           || (rawFile
               && std::find(std::begin(rawMagics), std::end(rawMagics), magic)
                      != std::end(rawMagics));
}

std::optional<ExifDateTexts> dateTexts(const TiffBlock& block, std::uint32_t firstDirectory)
{
    Directory first;
    Directory exif;
    if (!readDirectory(block, firstDirectory, first))
        return std::nullopt;
    if (const Entry& pointer = first.exifPointer; pointer.found) {
        const std::uint32_t at = offsetOf(block, pointer);
        if ((pointer.type != longType && pointer.type != ifdType) || pointer.count != 1
            || at == firstDirectory || !readDirectory(block, at, exif))
            return std::nullopt;
    }
    ExifDateTexts texts;
    if (!entryText(block, exif.date, texts.dateTime)
        || !entryText(block, exif.subSeconds, texts.subSeconds)
        || !entryText(block, exif.offset, texts.offset))
        return std::nullopt;
    if (texts.dateTime.empty() && !entryText(block, first.date, texts.dateTime))
        return std::nullopt;
    if (texts.dateTime.empty())
        return std::nullopt;
    return texts;
}

} // namespace

std::size_t readFileAt(int fd, std::uint64_t offset, char* to, std::size_t n)
{
    std::size_t got = 0;
    while (got < n) {
        const ssize_t r = ::pread(fd, to + got, n - got, static_cast<off_t>(offset + got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        got += static_cast<std::size_t>(r);
    }
    return got;
}

std::optional<ExifDateTexts> readExifDateTexts(int fd)
{
    FileBytes file(fd);
    const std::optional<std::string_view> start = file.at(0, 2);
    if (!start)
        return std::nullopt;
    const bool jpeg = *start == "\xFF\xD8";
    const bool iso = !jpeg && file.at(4, 4) == "ftyp";
    std::optional<TiffBlock> block = jpeg  ? jpegExifBlock(file)
                                     : iso ? isoExifBlock(file)
                                           : TiffBlock{file, 0, wholeFile};
    std::uint32_t firstDirectory = 0;
    if (!block || !readHeader(*block, !jpeg && !iso, firstDirectory))
        return std::nullopt;
    return dateTexts(*block, firstDirectory);
}

} // namespace torvel
