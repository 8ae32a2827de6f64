#include "NameParts.h"

#include "FilesList.h"

#include <algorithm>

namespace torvel {

NameParts namePartsOf(const RenameOptions& options)
{
    NameParts out;
    const auto add = [&](NamePart part) { out.parts[out.count++] = part; };
    const bool dated = options.dateSource != DateSource::None;
    if (dated && !options.dateAfterIdentifier)
        add(NamePart::Date);
    add(NamePart::Identifier);
    if (dated && options.dateAfterIdentifier)
        add(NamePart::Date);
    add(options.keepNumber ? NamePart::OwnNumber : NamePart::Number);
    if (!options.keepNumber) // a kept number keeps the file's extension after it
        add(NamePart::Extension);
    return out;
}

PartText partTextOf(NamePart part, const RenameOptions& options)
{
    switch (part) {
    case NamePart::Identifier:
        // What a file's name holds before its own number is its own.
        return options.keepNumber && !(options.keepNumberIdentifier && !options.identifier.empty())
                   ? PartText::Repeating
                   : PartText::Shared;
    case NamePart::Number:
        // The number only grows, and a number that outgrows the digit count
        // stops the names: one width. Once it starts again per date it only
        // grows within one date text.
        return options.numberPerDate && options.dateSource != DateSource::None ? PartText::PerDate
                                                                               : PartText::Distinct;
    case NamePart::Date: {
        const std::optional<DatePattern> pattern = DatePattern::parse(options.datePattern);
        return pattern && pattern->fixedWidth() ? PartText::OneWidth : PartText::Repeating;
    }
    case NamePart::Extension:
        return options.changeExtension && !options.extension.empty() ? PartText::Shared
                                                                     : PartText::Repeating;
    case NamePart::OwnNumber:
        break;
    }
    return PartText::Repeating;
}

// A distinct part of one width behind text that is the same for every file
// stands at the same place in every name, so no two names can be equal;
// whatever follows it cannot change that. A date of one width keeps what
// follows it in place too, and tells the series of a number per date apart.
bool namesCanRepeat(const RenameOptions& options)
{
    bool dateBefore = false;
    for (const NamePart part : namePartsOf(options)) {
        switch (partTextOf(part, options)) {
        case PartText::Distinct:
            return false;
        case PartText::PerDate:
            return !dateBefore;
        case PartText::Repeating:
            return true;
        case PartText::OneWidth:
            dateBefore = true;
            break;
        case PartText::Shared:
            break;
        }
    }
    return true;
}

void appendPrefix(const NameParts& parts, std::string_view date, std::string_view identifier,
                  std::string& out)
{
    for (const NamePart part : parts) {
        if (part == NamePart::Identifier) {
            out += identifier;
        } else if (part == NamePart::Date && !date.empty()) {
            out += date;
            out += '_';
        }
    }
}

DateTexts::DateTexts(TMyFileList& list, DateSource source, DatePattern pattern)
    : m_list(&list)
    , m_source(source)
    , m_pattern(std::move(pattern))
{}

std::optional<DateTexts> DateTexts::of(TMyFileList& list, const RenameOptions& options)
{
    std::optional<DatePattern> pattern = DatePattern::parse(options.datePattern);
    if (!pattern)
        return std::nullopt;
    if (options.dateSource == DateSource::Shot)
        list.readShootingDates();
    return DateTexts(list, options.dateSource, std::move(*pattern));
}

LocalDateTime DateTexts::wallClock(int index, bool& fallback) const
{
    fallback = false;
    if (m_source == DateSource::Shot) {
        if (const std::optional<ShootingDate> shot = m_list->shootingDate(index))
            return wallClockOf(*shot);
        fallback = true;
    }
    LocalDateTime t;
    if (m_list->lastWriteLocal(index, t))
        return t;
    // A time the C library cannot convert is shown as it stands in UTC.
    const TMyFileItem& item = *m_list->item(index);
    return wallClockOf(ShootingDate{item.lastWriteSeconds(), 0, 0});
}

const DateTexts::Ahead& DateTexts::ahead(int index)
{
    if (index < m_aheadFrom || index > m_aheadTo) // not asked in order: start afresh
        m_aheadFrom = m_aheadTo = index;
    const int last = std::min(index + lookAhead, m_list->Count() - 1);
    for (; m_aheadTo <= last; ++m_aheadTo) {
        Ahead& next = m_ahead[static_cast<std::size_t>(m_aheadTo) % m_ahead.size()];
        next.time = wallClock(m_aheadTo, next.fallback);
        next.fields = m_pattern.shownFields(next.time);
        if (next.fields)
            __builtin_prefetch(&m_slots[homeOf(*next.fields)]);
    }
    m_aheadFrom = std::max(m_aheadFrom, m_aheadTo - static_cast<int>(m_ahead.size()));
    return m_ahead[static_cast<std::size_t>(index) % m_ahead.size()];
}

// Fields met for the first time in a pattern of one width, in a year of
// four digits, make a text never made before: each field has its own
// digits at its own place. Other texts are looked up (and are never equal
// to those: they differ in width or hold a sign).
std::uint32_t DateTexts::numberOfText(const std::string& text, bool surelyNew)
{
    if (!surelyNew)
        if (const std::uint32_t known = m_numberOfText.find(text); known != NameIndex::none)
            return known;
    if (!m_texts.empty() && text.size() != m_texts.front().size())
        m_widthVaried = true;
    const auto number = static_cast<std::uint32_t>(m_texts.size());
    const std::string& held = m_texts.emplace_back(text);
    if (!surelyNew)
        m_numberOfText.insert(held, number);
    return number;
}

std::size_t DateTexts::homeOf(std::uint64_t fields) const
{
    return static_cast<std::size_t>((fields * 0x9e3779b97f4a7c15u) >> 32) & (m_slots.size() - 1);
}

DateTexts::FieldsSlot& DateTexts::slotOf(std::uint64_t fields)
{
    const std::size_t mask = m_slots.size() - 1;
    std::size_t at = homeOf(fields);
    while (m_slots[at].number != NameIndex::none && m_slots[at].fields != fields)
        at = (at + 1) & mask;
    return m_slots[at];
}

void DateTexts::remember(std::uint64_t fields, std::uint32_t number, std::string_view text)
{
    if (2 * (m_used + 1) > m_slots.size()) {
        std::vector<FieldsSlot> old(m_slots.size() * 2);
        old.swap(m_slots);
        for (const FieldsSlot& slot : old)
            if (slot.number != NameIndex::none)
                slotOf(slot.fields) = slot;
    }
    FieldsSlot& slot = slotOf(fields);
    slot = {fields, number};
    if (text.size() <= slot.text.size()) {
        slot.size = static_cast<std::uint8_t>(text.size());
        std::copy(text.begin(), text.end(), slot.text.begin());
    }
    ++m_used;
}

DateTexts::Text DateTexts::textOf(int index)
{
    const Ahead& item = ahead(index);
    m_fallbacks += item.fallback ? 1 : 0;
    const LocalDateTime& t = item.time;
    const std::optional<std::uint64_t>& fields = item.fields;
    if (fields) {
        if (const FieldsSlot& known = slotOf(*fields); known.number != NameIndex::none)
            return {known.number, known.size > 0 ? std::string_view(known.text.data(), known.size)
                                                 : std::string_view(m_texts[known.number])};
    }
    m_scratch.clear();
    m_pattern.appendTo(t, m_scratch);
    const bool surelyNew = fields && m_pattern.fixedWidth() && t.year >= 0 && t.year <= 9999;
    const std::uint32_t number = numberOfText(m_scratch, surelyNew);
    if (fields)
        remember(*fields, number, m_scratch);
    return {number, m_texts[number]};
}

} // namespace torvel
