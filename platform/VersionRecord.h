#pragma once
// Reading the version record that an executable file carries (see
// VersionRecordImage.h for its layout). A file carries one when it is an ELF
// file with the record section; any other file, one that cannot be read, and
// one whose record is damaged, carries none.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace torvel {

// Size in bytes of the file's version record; 0 when it has none.
std::uint32_t versionRecordSize(const std::string& fileName);

// Reads the file's version record into `block`, which has room for `size`
// bytes. False when the file has no record of exactly that size (it changed
// since the size was asked, or it cannot be read); `block` is then undefined.
bool readVersionRecord(const std::string& fileName, std::uint32_t size, unsigned char* block);

// One value of a record block, by its sub-block path:
//   "\VarFileInfo\Translation"          the 4 bytes language, code page (u16 each)
//   "\StringFileInfo\LLLLCCCC\Name"     the value named Name, where LLLLCCCC are
//                                       the record's language and code page in
//                                       hexadecimal
// Path components compare without regard to ASCII case. The view points into
// `block`; nullopt when the path does not exist or the block is not a sound
// record.
std::optional<std::string_view> queryVersionValue(const unsigned char* block, std::uint32_t size,
                                                  std::string_view path);

// True when the block is a complete record whose values all lie inside it.
bool isSoundVersionRecord(const unsigned char* block, std::uint32_t size);

} // namespace torvel
