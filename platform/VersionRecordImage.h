#pragma once
// The layout of the version record that an executable carries, and the means
// to build one at compile time and place it in the executable's own section.
//
// A record is a little-endian byte block:
//   8 bytes  magic "TORVELVI"
//   u32      length of the whole record in bytes
//   u16      layout (1)
//   u16      number of named values
//   u16      language, u16 code page      (the one translation entry)
//   then for each value: u16 name length, u16 value length, name, value
// Names and values are UTF-8 text; a value may hold any bytes, NUL included.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The ELF section that holds the record. A literal, because the section
// attribute below needs one.
#define TORVEL_VERSION_RECORD_SECTION ".torvel_version"

namespace torvel {

struct VersionRecordField
{
    std::string_view name;
    std::string_view value;
};

namespace versionrecord {

inline constexpr std::string_view kSectionName = TORVEL_VERSION_RECORD_SECTION;
inline constexpr std::array<char, 8> kMagic = {'T', 'O', 'R', 'V', 'E', 'L', 'V', 'I'};
inline constexpr std::uint16_t kLayout = 1;
inline constexpr std::size_t kHeaderSize = 20;
inline constexpr std::size_t kFieldHeaderSize = 4;
inline constexpr std::size_t kTranslationOffset = 16;
// A record is a few hundred bytes; anything far larger is not one of ours.
inline constexpr std::uint32_t kMaxRecordSize = 1u << 20;

constexpr void putU16(unsigned char* at, std::uint32_t v)
{
    at[0] = static_cast<unsigned char>(v & 0xFF);
    at[1] = static_cast<unsigned char>((v >> 8) & 0xFF);
}

constexpr void putU32(unsigned char* at, std::uint32_t v)
{
    putU16(at, v & 0xFFFF);
    putU16(at + 2, v >> 16);
}

constexpr std::uint32_t getU16(const unsigned char* at)
{
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8);
}

constexpr std::uint32_t getU32(const unsigned char* at)
{
    return getU16(at) | (getU16(at + 2) << 16);
}

} // namespace versionrecord

// Bytes needed for a record with these values. A name or value longer than a
// u16 can say is refused (at compile time, where the record is built).
template <std::size_t N>
constexpr std::size_t versionRecordLength(const VersionRecordField (&fields)[N])
{
    std::size_t length = versionrecord::kHeaderSize;
    for (const VersionRecordField& f : fields) {
        if (f.name.empty() || f.name.size() > 0xFFFF || f.value.size() > 0xFFFF)
            throw "version record field out of range";
        length += versionrecord::kFieldHeaderSize + f.name.size() + f.value.size();
    }
    return length;
}

// The record itself; Length must be versionRecordLength(fields).
template <std::size_t Length, std::size_t N>
constexpr std::array<unsigned char, Length> makeVersionRecord(std::uint16_t language,
                                                              std::uint16_t codePage,
                                                              const VersionRecordField (&fields)[N])
{
    using namespace versionrecord;
    if (Length != versionRecordLength(fields) || N > 0xFFFF)
        throw "version record length mismatch";
    std::array<unsigned char, Length> out{};
    for (std::size_t i = 0; i < kMagic.size(); ++i)
        out[i] = static_cast<unsigned char>(kMagic[i]);
    putU32(&out[8], static_cast<std::uint32_t>(Length));
    putU16(&out[12], kLayout);
    putU16(&out[14], static_cast<std::uint32_t>(N));
    putU16(&out[16], language);
    putU16(&out[18], codePage);
    std::size_t at = kHeaderSize;
    for (const VersionRecordField& f : fields) {
        putU16(&out[at], static_cast<std::uint32_t>(f.name.size()));
        putU16(&out[at + 2], static_cast<std::uint32_t>(f.value.size()));
        at += kFieldHeaderSize;
        for (char c : f.name)
            out[at++] = static_cast<unsigned char>(c);
        for (char c : f.value)
            out[at++] = static_cast<unsigned char>(c);
    }
    return out;
}

} // namespace torvel

// Places a record built by makeVersionRecord into the executable's version
// section. Use it once, in a source compiled straight into the executable (an
// object of a static library that nothing references would be dropped). A
// second use in the same executable fails to link, as it should: a program has
// one version record.
#define TORVEL_EMBED_VERSION_RECORD(image)                                                         \
    extern "C" __attribute__((used, section(TORVEL_VERSION_RECORD_SECTION), aligned(8)))           \
    const std::array<unsigned char, (image).size()>                                                \
        torvel_version_record = (image)
