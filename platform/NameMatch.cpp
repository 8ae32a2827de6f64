#include "NameMatch.h"

namespace torvel {

namespace {

unsigned char asciiLower(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool isShiftJisLead(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The number of bytes of the character at the start of text, and whether
// text has that many bytes, for the encoding in use.
std::size_t characterLength(std::string_view text, bool shiftJis)
{
    if (shiftJis && isShiftJisLead(static_cast<unsigned char>(text[0])) && text.size() >= 2)
        return 2;
    return 1;
}

// Compares the base with the start of the name, character by character.
bool startsWithBase(std::string_view name, std::string_view base, bool shiftJis)
{
    std::size_t i = 0;
    while (i < base.size()) {
        std::size_t length = characterLength(base.substr(i), shiftJis);
        if (i + length > name.size())
            return false;
        if (length == 2) {
            if (name.substr(i, 2) != base.substr(i, 2))
                return false;
        } else if (asciiLower(static_cast<unsigned char>(name[i]))
                   != asciiLower(static_cast<unsigned char>(base[i]))) {
            return false;
        }
        i += length;
    }
    return true;
}

} // namespace

bool isUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        auto c = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        unsigned int code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= text.size())
            return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF.
        if ((extra == 2 && code < 0x800) || (extra == 3 && code < 0x10000) || code > 0x10FFFF
            || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

bool matchesBaseWildcard(std::string_view name, std::string_view base)
{
    // A UTF-8 name has no ASCII byte inside a multi-byte character, so every
    // byte may be compared on its own there.
    bool shiftJis = !(isUtf8(name) && isUtf8(base));
    if (name.size() < base.size() || !startsWithBase(name, base, shiftJis))
        return false;
    return name.size() == base.size() || name[base.size()] == '.';
}

} // namespace torvel
