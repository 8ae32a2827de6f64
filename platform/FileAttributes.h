#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <sys/stat.h>

namespace torvel {

class FolderHandle;

// The attribute word of a file, with the bit values the rest of the program
// decodes.
namespace FileAttr {
constexpr std::uint32_t ReadOnly = 0x01;
constexpr std::uint32_t Hidden = 0x02;
constexpr std::uint32_t System = 0x04;
constexpr std::uint32_t VolumeLabel = 0x08;
constexpr std::uint32_t Folder = 0x10;
constexpr std::uint32_t Archive = 0x20;
} // namespace FileAttr

// The extended attribute that carries hidden, system and archive, in the form
// other programs on Linux read and write it.
inline constexpr const char* dosAttribXattrName = "user.DOSATTRIB";

// What a stored user.DOSATTRIB value says. `valid` is false when there is no
// value or it is in a form not understood; the file then gets the defaults.
struct StoredDosAttrib
{
    bool valid = false;
    std::uint32_t attributes = 0;
};

StoredDosAttrib parseDosAttrib(std::string_view value);

// The attribute word from what stat reports and what is stored: read-only when
// no write permission bit is set or the stored value says so; hidden, system
// and archive as stored; with nothing stored, hidden for a name beginning with
// "." and archive for anything but a folder; folders carry 0x10.
std::uint32_t attributeWord(const struct stat& st, std::string_view bareName,
                            const StoredDosAttrib& stored);

// attributeWord() without a stored value, for a file whose read-only and
// folder bits are those of `word` and whose name is now `bareName`: what a
// renamed file shows until its stored value is read.
std::uint32_t unstoredAttributeWord(std::uint32_t word, std::string_view bareName);

// The attribute word of a file whose stored value was read only after
// attributeWord() had been made without it (from an invalid StoredDosAttrib).
std::uint32_t completeAttributeWord(std::uint32_t withoutStored, const StoredDosAttrib& stored);

// Reads user.DOSATTRIB of `name` in `folder` (following a symbolic link). No
// value, or a file system without user attributes, gives an invalid one.
StoredDosAttrib readDosAttrib(const FolderHandle& folder, const std::string& name);

// The attribute word of `name` in `folder`. Returns 0 or an errno value.
[[nodiscard]] int readAttributes(const FolderHandle& folder, const std::string& name,
                                 std::uint32_t& attributes);

// Gives `name` in `folder` the word (current & keepMask) | setMask for
// read-only, hidden, system and archive; every other bit, stored or not,
// stays as it is. Read-only goes to the write permission bits (cleared for
// all; given back to the owner). Hidden, system and archive go to
// user.DOSATTRIB, written only when they differ from what the file shows now:
// a Samba record is patched in place, nothing stored becomes the text "0x%x";
// a value in a form not understood is left alone and the call fails with
// EINVAL; on a failure the file's permission bits are as before. The name
// itself is looked at: a symbolic link and anything but a regular file or a
// folder is refused with EPERM. Returns 0 or the errno value of the step that
// failed (ENOTSUP where a change needs user attributes the file system does
// not hold).
[[nodiscard]] int changeAttributes(const FolderHandle& folder, const std::string& name,
                                   std::uint32_t keepMask, std::uint32_t setMask);

// The new value of a stored user.DOSATTRIB for the attribute word `attributes`:
// `oldValue` patched in place when it is a Samba record or hex text, a fresh
// "0x%x" text when it is empty. A value in a form not understood gives
// nothing: it is not overwritten (so changeAttributes fails with EINVAL).
std::optional<std::string> composeDosAttrib(std::string_view oldValue, std::uint32_t attributes);

} // namespace torvel
