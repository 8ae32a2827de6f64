#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ByteText.h"

namespace torvel {

// The cleaning of the identifier and extension boxes that runs before every
// computation of new names, and the filling of those boxes from a file name.
// Texts are UTF-8 as the user typed them; file names are bytes.

// The identifier as the name generator reads it: trimmed of the bytes of code
// 32 or less at either end (trimControls), nothing else.
inline std::string cleanIdentifier(std::string_view text)
{
    return trimControls(text);
}

struct LetterFilterResult
{
    std::string text;     // only the ASCII letters and digits, in order
    bool removed = false; // whether anything else was dropped
};

// Keeps the ASCII letters A-Z and a-z and the digits 0-9, which real
// extensions hold (mp3, mp4, m4a, 7z); a multi-byte character is dropped
// whole.
LetterFilterResult filterLetters(std::string_view text);

// The extension box cleaned: trimmed, one leading dot removed, letters and
// digits only.
LetterFilterResult cleanExtensionText(std::string_view text);

// The ASCII letters at the start of a file name, up to the first other byte;
// empty when the name does not begin with a letter.
std::string leadingLetters(std::string_view fileName);

// The attribute column of the preview: read-only, hidden and archive in words
// of equal width, so that the column lines up.
std::string AttrText(std::int32_t attr);

} // namespace torvel
