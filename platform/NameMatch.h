#pragma once

#include <string_view>

namespace torvel {

// Whether a name matches the pattern base + ".*" as the desktop's wildcard
// reads it: the base itself, or the base followed by "." and anything. ASCII
// letters match without regard to case. The base is taken literally: "*",
// "?" and "[" in it are plain characters, as they are in a Linux file name.
//
// A name that is not UTF-8 is read as Shift-JIS, whose second bytes include
// ASCII letters: inside a double-byte character those must match exactly, or
// "ア" (0x83 0x41) would match "ヂ" (0x83 0x61).
bool matchesBaseWildcard(std::string_view name, std::string_view base);

} // namespace torvel
