#include "Extraction.h"

namespace torvel {

namespace {

bool isAsciiLetter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isAsciiLetterOrDigit(unsigned char c)
{
    return isAsciiLetter(c) || (c >= '0' && c <= '9');
}

} // namespace

std::string trimControls(std::string_view text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= 32)
        ++first;
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= 32)
        --last;
    return std::string(text.substr(first, last - first));
}

LetterFilterResult filterLetters(std::string_view text)
{
    // Every byte of a multi-byte UTF-8 character is 0x80 or above, so keeping
    // letter and digit bytes only drops such a character whole.
    LetterFilterResult result;
    result.text.reserve(text.size());
    for (char c : text) {
        if (isAsciiLetterOrDigit(static_cast<unsigned char>(c)))
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
    while (n < fileName.size() && isAsciiLetter(static_cast<unsigned char>(fileName[n])))
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
