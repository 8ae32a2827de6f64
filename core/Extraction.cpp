#include "Extraction.h"

namespace torvel {

LetterFilterResult filterLetters(std::string_view text)
{
    // Every byte of a multi-byte UTF-8 character is 0x80 or above, so keeping
    // letter and digit bytes only drops such a character whole.
    LetterFilterResult result;
    result.text.reserve(text.size());
    for (char c : text) {
        if (isAsciiLetter(c) || (c >= '0' && c <= '9'))
            result.text.push_back(c);
        else
            result.removed = true;
    }
    return result;
}

LetterFilterResult cleanExtensionText(std::string_view text)
{
    std::string trimmed = trimControls(text);
    std::string_view rest = trimmed;
    if (!rest.empty() && rest.front() == '.')
        rest.remove_prefix(1);
    return filterLetters(rest);
}

std::string leadingLetters(std::string_view fileName)
{
    std::size_t n = 0;
    while (n < fileName.size() && isAsciiLetter(fileName[n]))
        ++n;
    return std::string(fileName.substr(0, n));
}

std::string AttrText(std::int32_t attr)
{
    std::string text = (attr & 0x01) ? "読専 " : "書可 ";
    text += (attr & 0x02) ? "隠し " : "     ";
    if (attr & 0x20)
        text += "アーカイブ";
    return text;
}

} // namespace torvel
