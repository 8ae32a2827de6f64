#pragma once

#include <string>
#include <string_view>

#include "ByteText.h"

namespace torvel {

// File names are bytes. These helpers turn them into text for the person and
// back, and change or ignore letter case the way the rest of the program
// compares names.

// A name as text for the screen, in UTF-8: valid UTF-8 as it is; otherwise
// decoded as CP932; otherwise the valid UTF-8 parts as they are and every
// other byte shown as "\xNN". Never fails, never empty for a non-empty name.
std::string displayName(std::string_view nameBytes);

// A path as text for the screen: each name decoded on its own, since a
// folder with a Shift-JIS name may well sit in one whose name is UTF-8.
std::string displayPath(std::string_view pathBytes);

// CP932 (Shift-JIS) text as UTF-8. lossless is false when some bytes were not
// CP932 and were replaced, so a caller can refuse to write such text back.
std::string cp932ToUtf8(std::string_view bytes, bool& lossless);

// A name as UTF-16 for collation: UTF-8 decoded; anything else decoded as
// CP932 with unmappable bytes replaced, so every name gets some text.
std::u16string nameToUtf16(std::string_view nameBytes);
void nameToUtf16(std::string_view nameBytes, std::u16string& out);

// Text the person typed (UTF-8) used as a name: its bytes as they are.
std::string nameFromUserText(std::string_view utf8Text);

// ASCII letters A-Z / a-z only; in a name that is not UTF-8 the second byte of
// a double-byte CP932 character is left alone.
std::string asciiLowerName(std::string_view name);

// Letter case mapping for new names, with the rules of the person's locale for
// UTF-8 names (full-width and accented letters too); names that are not UTF-8
// change ASCII letters only.
std::string upperCaseName(std::string_view name);
std::string lowerCaseName(std::string_view name);

// A key under which two names that differ only in letter case are equal
// (Unicode case folding for UTF-8; ASCII only otherwise).
std::string caseFoldKey(std::string_view name);

// The ICU locale id of the person's locale for one category, read from
// LC_ALL, then the category's variable (e.g. "LC_COLLATE"), then LANG;
// "ja_JP.UTF-8" gives "ja_JP", and "C", "POSIX" or nothing give "" (root).
std::string userLocaleId(const char* categoryVariable);

} // namespace torvel
