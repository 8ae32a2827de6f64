#include "NameCollation.h"

#include "NameText.h"

#include <unicode/ucol.h>

namespace torvel {

namespace {

UCollator* openCollator(const std::string& localeId, DigitRuns digits)
{
    UErrorCode status = U_ZERO_ERROR;
    UCollator* c = ucol_open(localeId.c_str(), &status);
    if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        c = ucol_open("", &status);
    }
    if (U_FAILURE(status))
        return nullptr;
    if (digits == DigitRuns::AsNumbers) {
        UErrorCode numeric = U_ZERO_ERROR; // refused: digits stay text
        ucol_setAttribute(c, UCOL_NUMERIC_COLLATION, UCOL_ON, &numeric);
    }
    return c;
}

int compareBytes(std::string_view a, std::string_view b)
{
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace

NameCollator::NameCollator()
    : NameCollator(userLocaleId("LC_COLLATE"))
{}

NameCollator::NameCollator(const std::string& localeId, DigitRuns digits)
    : m_collator(openCollator(localeId, digits))
{}

NameCollator::~NameCollator()
{
    if (m_collator != nullptr)
        ucol_close(m_collator);
}

void NameCollator::appendSortKey(std::string_view name, std::string& out) const
{
    thread_local std::u16string text;
    nameToUtf16(name, text);
    for (auto& ch : text)
        if (ch >= u'A' && ch <= u'Z')
            ch = static_cast<char16_t>(ch - u'A' + u'a');
    if (m_collator == nullptr) { // no collation data: the lowered bytes
        out += asciiLowerName(name);
        return;
    }
    const std::size_t start = out.size();
    std::size_t room = text.size() * 4 + 16;
    for (;;) {
        out.resize(start + room);
        const int32_t n = ucol_getSortKey(
            m_collator, text.data(), static_cast<int32_t>(text.size()),
            reinterpret_cast<uint8_t*>(out.data() + start), static_cast<int32_t>(room));
        if (n <= 0) {
            out.resize(start);
            out += asciiLowerName(name);
            return;
        }
        if (static_cast<std::size_t>(n) <= room) {
            out.resize(start + static_cast<std::size_t>(n) - 1); // drop the final 0
            return;
        }
        room = static_cast<std::size_t>(n);
    }
}

std::string NameCollator::sortKey(std::string_view name) const
{
    std::string key;
    appendSortKey(name, key);
    return key;
}

int NameCollator::compare(std::string_view a, std::string_view b) const
{
    return compareNameKeys(sortKey(a), a, sortKey(b), b);
}

int compareNameKeys(std::string_view keyA, std::string_view nameA, std::string_view keyB,
                    std::string_view nameB)
{
    const int c = compareBytes(keyA, keyB);
    return c != 0 ? c : compareBytes(nameA, nameB);
}

} // namespace torvel
