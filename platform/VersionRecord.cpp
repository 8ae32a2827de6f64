#include "VersionRecord.h"

#include "ByteText.h"
#include "UniqueFd.h"
#include "VersionRecordImage.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace torvel {

namespace {

using versionrecord::getU16;
using versionrecord::getU32;

// Bounds on what an ELF file of ours can plausibly hold; a header that claims
// more is damaged, and we refuse it rather than allocate what it asks for.
constexpr std::uint64_t kMaxSectionCount = 1u << 20;
constexpr std::uint64_t kMaxNameTableSize = 16u << 20;

// An open file, read only at offsets that lie inside it.
class FileReader
{
public:
    // O_NONBLOCK: a FIFO given by name must not hang the caller.
    explicit FileReader(const std::string& fileName)
        : m_fd(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY))
    {
        struct stat st
        {};
        if (m_fd.isOpen() && ::fstat(m_fd.get(), &st) == 0 && S_ISREG(st.st_mode))
            m_size = static_cast<std::uint64_t>(st.st_size);
        else
            m_fd.reset();
    }

    bool isOpen() const { return m_fd.isOpen(); }
    std::uint64_t size() const { return m_size; }

    bool contains(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= m_size && length <= m_size - offset;
    }

    bool readAt(std::uint64_t offset, void* buffer, std::size_t length) const
    {
        if (!isOpen() || !contains(offset, length))
            return false;
        auto* out = static_cast<unsigned char*>(buffer);
        while (length > 0) {
            const ssize_t n = ::pread(m_fd.get(), out, length, static_cast<off_t>(offset));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            out += n;
            offset += static_cast<std::uint64_t>(n);
            length -= static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    UniqueFd m_fd;
    std::uint64_t m_size = 0;
};

struct Extent
{
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

// Field access for either ELF class and byte order.
struct ElfShape
{
    bool is64 = true;
    bool bigEndian = false;

    std::uint64_t word(const unsigned char* at, int bytes) const
    {
        std::uint64_t v = 0;
        for (int i = 0; i < bytes; ++i) {
            const int shift = bigEndian ? 8 * (bytes - 1 - i) : 8 * i;
            v |= static_cast<std::uint64_t>(at[i]) << shift;
        }
        return v;
    }
    std::uint64_t addr(const unsigned char* at) const { return word(at, is64 ? 8 : 4); }
    std::size_t sectionHeaderSize() const { return is64 ? 64 : 40; }
    std::uint64_t sectionOffset(const unsigned char* sh) const
    {
        return addr(sh + (is64 ? 24 : 16));
    }
    std::uint64_t sectionSize(const unsigned char* sh) const { return addr(sh + (is64 ? 32 : 20)); }
    std::uint64_t sectionLink(const unsigned char* sh) const
    {
        return word(sh + (is64 ? 40 : 24), 4);
    }
};

constexpr std::uint32_t kSectionNoBits = 8;      // SHT_NOBITS: no bytes in the file
constexpr std::uint64_t kExtendedIndex = 0xFFFF; // SHN_XINDEX

struct SectionTable
{
    ElfShape shape;
    std::vector<unsigned char> headers;
    std::uint64_t count = 0;
    std::uint64_t nameIndex = 0;

    const unsigned char* header(std::uint64_t i) const
    {
        return headers.data() + i * shape.sectionHeaderSize();
    }
};

std::optional<SectionTable> readSectionTable(const FileReader& file)
{
    unsigned char ident[64] = {};
    if (!file.readAt(0, ident, 16)
        || std::memcmp(ident,
                       "\x7f"
                       "ELF",
                       4)
               != 0)
        return std::nullopt;
    SectionTable t;
    if ((ident[4] != 1 && ident[4] != 2) || (ident[5] != 1 && ident[5] != 2))
        return std::nullopt;
    t.shape.is64 = ident[4] == 2;
    t.shape.bigEndian = ident[5] == 2;
    const std::size_t headerSize = t.shape.is64 ? 64 : 52;
    if (!file.readAt(0, ident, headerSize))
        return std::nullopt;
    const ElfShape& s = t.shape;
    const std::uint64_t tableOffset = s.addr(ident + (s.is64 ? 0x28 : 0x20));
    const std::uint64_t entrySize = s.word(ident + (s.is64 ? 0x3A : 0x2E), 2);
    t.count = s.word(ident + (s.is64 ? 0x3C : 0x30), 2);
    t.nameIndex = s.word(ident + (s.is64 ? 0x3E : 0x32), 2);
    if (tableOffset == 0 || entrySize != s.sectionHeaderSize())
        return std::nullopt;

    // Very many sections, or a name table index that does not fit the header:
    // the real values sit in the first section header.
    unsigned char first[64] = {};
    if (!file.readAt(tableOffset, first, entrySize))
        return std::nullopt;
    if (t.count == 0)
        t.count = s.sectionSize(first);
    if (t.nameIndex == kExtendedIndex)
        t.nameIndex = s.sectionLink(first);
    if (t.count == 0 || t.count > kMaxSectionCount || t.nameIndex >= t.count)
        return std::nullopt;

    const std::uint64_t tableSize = t.count * entrySize;
    if (!file.contains(tableOffset, tableSize))
        return std::nullopt;
    t.headers.resize(tableSize);
    if (!file.readAt(tableOffset, t.headers.data(), tableSize))
        return std::nullopt;
    return t;
}

std::optional<Extent> findRecordSection(const FileReader& file)
{
    const std::optional<SectionTable> table = readSectionTable(file);
    if (!table)
        return std::nullopt;
    const ElfShape& s = table->shape;
    const unsigned char* namesHeader = table->header(table->nameIndex);
    const Extent namesAt{s.sectionOffset(namesHeader), s.sectionSize(namesHeader)};
    if (namesAt.size == 0 || namesAt.size > kMaxNameTableSize
        || !file.contains(namesAt.offset, namesAt.size))
        return std::nullopt;
    std::vector<unsigned char> names(namesAt.size);
    if (!file.readAt(namesAt.offset, names.data(), names.size()))
        return std::nullopt;

    const std::string_view wanted = versionrecord::kSectionName;
    for (std::uint64_t i = 1; i < table->count; ++i) {
        const unsigned char* sh = table->header(i);
        const std::uint64_t nameAt = s.word(sh, 4);
        if (nameAt >= names.size() || names.size() - nameAt <= wanted.size())
            continue;
        const char* name = reinterpret_cast<const char*>(names.data() + nameAt);
        if (std::memcmp(name, wanted.data(), wanted.size()) != 0 || name[wanted.size()] != '\0')
            continue;
        if (s.word(sh + 4, 4) == kSectionNoBits)
            return std::nullopt;
        const Extent section{s.sectionOffset(sh), s.sectionSize(sh)};
        if (!file.contains(section.offset, section.size))
            return std::nullopt;
        return section;
    }
    return std::nullopt;
}

// The record at the start of the section, read whole and checked.
std::optional<std::vector<unsigned char>> loadRecord(const std::string& fileName)
{
    const FileReader file(fileName);
    if (!file.isOpen())
        return std::nullopt;
    const std::optional<Extent> section = findRecordSection(file);
    if (!section || section->size < versionrecord::kHeaderSize)
        return std::nullopt;
    unsigned char header[versionrecord::kHeaderSize];
    if (!file.readAt(section->offset, header, sizeof header))
        return std::nullopt;
    const std::uint32_t length = getU32(header + 8);
    if (length < versionrecord::kHeaderSize || length > versionrecord::kMaxRecordSize
        || length > section->size)
        return std::nullopt;
    std::vector<unsigned char> record(length);
    if (!file.readAt(section->offset, record.data(), record.size()))
        return std::nullopt;
    if (!isSoundVersionRecord(record.data(), length))
        return std::nullopt;
    return record;
}

// Splits "\a\b\c" into its components; false for a path without the leading
// separator or with an empty component.
bool splitPath(std::string_view path, std::vector<std::string_view>& parts)
{
    if (path.empty() || path.front() != '\\')
        return false;
    path.remove_prefix(1);
    while (!path.empty()) {
        const std::size_t cut = path.find('\\');
        const std::string_view part = path.substr(0, cut);
        if (part.empty())
            return false;
        parts.push_back(part);
        path = cut == std::string_view::npos ? std::string_view() : path.substr(cut + 1);
    }
    return true;
}

std::string translationKey(const unsigned char* block)
{
    return hexDigits(getU16(block + 16), 4) + hexDigits(getU16(block + 18), 4);
}

// The block has been checked by isSoundVersionRecord.
std::optional<std::string_view> findField(const unsigned char* block, std::string_view name)
{
    const std::uint32_t count = getU16(block + 14);
    std::uint32_t at = versionrecord::kHeaderSize;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t nameLength = getU16(block + at);
        const std::uint32_t valueLength = getU16(block + at + 2);
        const char* text =
            reinterpret_cast<const char*>(block + at + versionrecord::kFieldHeaderSize);
        if (equalsIgnoringAsciiCase(std::string_view(text, nameLength), name))
            return std::string_view(text + nameLength, valueLength);
        at += versionrecord::kFieldHeaderSize + nameLength + valueLength;
    }
    return std::nullopt;
}

} // namespace

bool isSoundVersionRecord(const unsigned char* block, std::uint32_t size)
{
    using namespace versionrecord;
    if (block == nullptr || size < kHeaderSize || size > kMaxRecordSize)
        return false;
    if (std::memcmp(block, kMagic.data(), kMagic.size()) != 0 || getU32(block + 8) != size
        || getU16(block + 12) != kLayout)
        return false;
    const std::uint32_t count = getU16(block + 14);
    std::uint64_t at = kHeaderSize;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (size - at < kFieldHeaderSize)
            return false;
        const std::uint64_t body = std::uint64_t{getU16(block + at)} + getU16(block + at + 2);
        at += kFieldHeaderSize;
        if (getU16(block + at - kFieldHeaderSize) == 0 || size - at < body)
            return false;
        at += body;
    }
    return at == size;
}

std::uint32_t versionRecordSize(const std::string& fileName)
{
    const auto record = loadRecord(fileName);
    return record ? static_cast<std::uint32_t>(record->size()) : 0;
}

bool readVersionRecord(const std::string& fileName, std::uint32_t size, unsigned char* block)
{
    const auto record = loadRecord(fileName);
    if (!record || record->size() != size || block == nullptr)
        return false;
    std::memcpy(block, record->data(), size);
    return true;
}

std::optional<std::string_view> queryVersionValue(const unsigned char* block, std::uint32_t size,
                                                  std::string_view path)
{
    if (!isSoundVersionRecord(block, size))
        return std::nullopt;
    std::vector<std::string_view> parts;
    if (!splitPath(path, parts))
        return std::nullopt;
    if (parts.size() == 2 && equalsIgnoringAsciiCase(parts[0], "VarFileInfo")
        && equalsIgnoringAsciiCase(parts[1], "Translation"))
        return std::string_view(
            reinterpret_cast<const char*>(block + versionrecord::kTranslationOffset), 4);
    if (parts.size() == 3 && equalsIgnoringAsciiCase(parts[0], "StringFileInfo")
        && equalsIgnoringAsciiCase(parts[1], translationKey(block)))
        return findField(block, parts[2]);
    return std::nullopt;
}

} // namespace torvel
