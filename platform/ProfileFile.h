#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace torvel {

class SaveSteps;

// An initialisation file in the profile format: "[SECTION]" lines open a
// section, "KEY=value" lines hold one value each.
//
// Reading: section and key names match without regard to ASCII letter case;
// the first matching key of the first matching section counts. A value is the
// text after the "=", with surrounding blanks (space, tab) removed, cut after
// MaxValueChars characters (never inside a character). A key that is present
// with an empty value reads as empty, not as the default. Lines whose first
// non-blank character is ";" or "#" are comments.
//
// Writing changes single lines: an existing key's value is replaced in place
// (the text up to and including the "=" and the blanks after it is kept), a
// new key goes after the last key of its section, a new section at the end of
// the file. Every other byte — comments, blank lines, unknown keys and
// sections, the order of the lines, each line's own line end — stays as it
// was. Added lines end like the file's first line (CRLF or LF; LF for a new
// file).
//
// Encoding: the file is UTF-8 text. A file that is not valid UTF-8 was
// written by the program's Windows build and is read as CP932; it is saved
// back as UTF-8. Values written must be UTF-8, so that a saved file is always
// read back the same way.
//
// A file that is no settings file at all is junk: bytes that are neither
// UTF-8 nor CP932, a NUL byte, more than MaxFileBytes or more lines than
// MaxLines. (A settings file of every key at its longest, with comments, stays
// far below both.) Junk reads as an empty profile, and save() puts a fresh
// file in its place, so that it neither stops every later save nor, read in
// full, takes memory without bound.
//
// The file is loaded once; reads and writes then work in memory, and save()
// puts the result on disk in one atomic step.
class ProfileFile
{
public:
    static constexpr std::size_t MaxValueChars = 1023;
    static constexpr std::size_t MaxFileBytes = 1024 * 1024;
    static constexpr std::size_t MaxLines = 10000;

    // Reads the file at path. A missing file gives an empty profile: every
    // read returns its default, and save() creates the file.
    static ProfileFile load(const std::string& path);

    const std::string& path() const { return m_path; }

    // Why an existing file could not be read; empty when it was read or does
    // not exist. A profile that could not be read is never saved, so that a
    // file we could not see is not replaced by one without its contents.
    std::error_code loadError() const { return m_loadError; }

    // True when nothing stood at the path when the file was loaded, and it
    // has not been saved since: the program has never run with this file.
    bool isMissing() const { return !m_exists && !m_loadError; }

    // True when the file on disk is junk (see above): nothing was read from
    // it, and save() replaces it.
    bool isJunk() const { return m_junk; }

    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    bool hasKey(std::string_view section, std::string_view key) const;

    // Sets one value in memory. Refused, with nothing changed, when the value
    // is not UTF-8 text or holds a line break or NUL
    // (std::errc::illegal_byte_sequence), or when the section or key cannot
    // be written so that it reads back as the same name
    // (std::errc::invalid_argument).
    std::error_code writeString(std::string_view section, std::string_view key,
                                std::string_view value);

    // The whole text that save() writes.
    std::string text() const;

    // Writes the profile to its path, atomically (see replaceFileContents).
    // Nothing is written when the file already holds exactly this text.
    // Refused with the load error when the file could not be read.
    std::error_code save();
    std::error_code save(SaveSteps& steps);

private:
    enum class LineKind
    {
        Other,
        Section,
        Key
    };
    struct Line
    {
        std::string text; // without its line end
        std::string end;  // "\r\n", "\n", or "" for a last line without one
        LineKind kind = LineKind::Other;
        std::string name; // the section or key name, trimmed
    };

    static Line parseLine(std::string text, std::string end);
    void parse(std::string_view text);
    std::size_t findKey(std::string_view section, std::string_view key) const;
    std::size_t findSection(std::string_view section) const;
    std::size_t endOfSection(std::size_t header) const;
    void insertLine(std::size_t at, std::string text);

    std::string m_path;
    std::vector<Line> m_lines;
    std::string m_lineEnd = "\n";
    std::string m_original; // the bytes on disk, to skip a save that changes nothing
    bool m_exists = false;
    bool m_junk = false;
    std::error_code m_loadError;
};

} // namespace torvel
