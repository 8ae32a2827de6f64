#include "NameMatch.h"

#include "ByteText.h"

namespace torvel {

namespace {

// The number of bytes of the character at the start of text, and whether
// text has that many bytes, for the encoding in use.
std::size_t characterLength(std::string_view text, bool shiftJis)
{
    if (shiftJis && isShiftJisLeadByte(static_cast<unsigned char>(text[0])) && text.size() >= 2)
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
        } else if (asciiLower(name[i]) != asciiLower(base[i])) {
            return false;
        }
        i += length;
    }
    return true;
}

} // namespace

bool matchesBaseWildcard(std::string_view name, std::string_view base)
{
    // A UTF-8 name has no ASCII byte inside a multi-byte character, so every
    // byte may be compared on its own there.
    bool shiftJis = !(isValidUtf8(name) && isValidUtf8(base));
    if (name.size() < base.size() || !startsWithBase(name, base, shiftJis))
        return false;
    return name.size() == base.size() || name[base.size()] == '.';
}

} // namespace torvel
