#pragma once

// The small helpers on bytes that every layer below the window reads names,
// paths and text with: ASCII letters, the Shift-JIS lead byte, UTF-8, hex,
// and the parts of a path. Nothing here touches the file system or depends on
// the person's locale; those are in NameText and the file system classes.
//
// Paths use "/", and a folder path ends in "/"; the path helpers take any
// path, also one without that "/", and say what they give at the edges.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace torvel {

// ---- ASCII letters -------------------------------------------------------

// A-Z and a-z only; every other byte as it is.
constexpr char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char asciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr bool isAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Byte by byte, an ASCII letter equal to itself in the other case. Meant for
// keys and UTF-8 text, where no byte of a multi-byte character is ASCII; a
// name that may be Shift-JIS is compared with NameMatch, which keeps the
// second byte of a double-byte character exact.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

// The text without the bytes of code 32 or less (blanks and control
// characters) at either end; nothing else changes.
std::string trimControls(std::string_view text);

// ---- Shift-JIS (CP932) ---------------------------------------------------

// True for a lead byte: the byte after it is the second half of one
// character and never counts as a letter, "." or separator on its own.
constexpr bool isShiftJisLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// ---- UTF-8 ---------------------------------------------------------------

// The length of the well-formed character that starts at bytes[at], or 0
// when none does. Strict: no overlong forms, no surrogates, nothing above
// U+10FFFF, no character cut short by the end.
std::size_t utf8CharLength(std::string_view bytes, std::size_t at);

bool isValidUtf8(std::string_view bytes);

// The characters of UTF-8 text. Each byte that starts no well-formed
// character is one U+FFFD, so that counting characters goes on past it.
std::u32string decodeUtf8(std::string_view text);

// UTF-8 of the characters; a value that is no character (a surrogate, or
// above U+10FFFF) is written as U+FFFD.
std::string encodeUtf8(std::u32string_view text);

// ---- Hex -----------------------------------------------------------------

// The lowest `count` hex digits of the value, upper case, leading zeros kept:
// hexDigits(0x411, 4) is "0411".
std::string hexDigits(std::uint32_t value, int count);

// 0 to 15 for a hex digit of either case, -1 for any other byte.
constexpr int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// A path as a URI writes it: every byte but ASCII letters, digits, "-", "_",
// ".", "~" and "/" as %XX, so names that are not UTF-8 survive the trip.
std::string percentEncodedPath(std::string_view path);
// "%XX" sequences turned back into their bytes; a "%" not followed by two hex
// digits stays as it is.
std::string percentDecoded(std::string_view text);

// ---- Names and paths -----------------------------------------------------

// "." and "..", which every folder lists and which name no entry of it.
constexpr bool isDotOrDotDot(std::string_view name)
{
    return name == "." || name == "..";
}

// The path with a "/" at its end. An empty path stays empty: it means no
// folder, and must never become the root by accident.
std::string withTrailingSlash(std::string path);

// The path without the "/" at its end, any number of them; the root "/"
// stays "/" and an empty path stays empty.
std::string_view withoutTrailingSlashes(std::string_view path);

// The part of a path up to and including its last "/" ("/a/b.txt" gives
// "/a/", "/a/" gives "/a/"); empty for a bare name.
std::string_view folderPart(std::string_view path);

// The part after the last "/" ("/a/b.txt" gives "b.txt"); empty for a path
// that ends in "/", the whole path for a bare name.
std::string_view namePart(std::string_view path);

// The folder above a folder or file, ending in "/": "/a/b/" and "/a/b" give
// "/a/", "/a" gives "/", "a/b" gives "a/". The root and a bare name have none
// and give "", so that a walk upwards ends.
std::string parentFolder(std::string_view path);

// The names of a path in order, with empty and "." names left out; ".."
// stays for the caller to resolve. "/a//./b/" gives {"a", "b"}.
std::vector<std::string_view> namesInPath(std::string_view path);
// The same with each ".." taken back one level, as an absolute path is
// walked: "/a/b/../c" gives {"a", "c"}; above the root stays at the root.
std::vector<std::string_view> resolvedNamesInPath(std::string_view path);

} // namespace torvel
