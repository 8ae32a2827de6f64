#include "NameParts.h"

#include "FilesList.h"

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
        // stops the names: one width. Once it starts again per date it repeats.
        return options.numberPerDate && options.dateSource != DateSource::None ? PartText::Repeating
                                                                               : PartText::Distinct;
    case NamePart::Extension:
        return options.changeExtension && !options.extension.empty() ? PartText::Shared
                                                                     : PartText::Repeating;
    case NamePart::Date:
    case NamePart::OwnNumber:
        break;
    }
    return PartText::Repeating;
}

// A distinct part of one width behind text that is the same for every file
// stands at the same place in every name, so no two names can be equal;
// whatever follows it cannot change that.
bool namesCanRepeat(const RenameOptions& options)
{
    for (const NamePart part : namePartsOf(options)) {
        switch (partTextOf(part, options)) {
        case PartText::Distinct:
            return false;
        case PartText::Repeating:
            return true;
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

LocalDateTime DateTexts::wallClock(int index)
{
    if (m_source == DateSource::Shot) {
        if (const std::optional<ShootingDate> shot = m_list->shootingDate(index))
            return wallClockOf(*shot);
        ++m_fallbacks;
    }
    LocalDateTime t;
    if (m_list->lastWriteLocal(index, t))
        return t;
    // A time the C library cannot convert is shown as it stands in UTC.
    const TMyFileItem& item = *m_list->item(index);
    return wallClockOf(ShootingDate{item.TimeKey * 2 + (item.OddSecond ? 1 : 0), 0, 0});
}

std::string_view DateTexts::textOf(int index)
{
    LocalDateTime t = wallClock(index);
    t.millisecond = 0;
    if (!m_pattern.showsTime())
        t.hour = t.minute = t.second = 0;
    if (m_last != t) {
        m_text = m_pattern.format(t);
        m_last = t;
    }
    return m_text;
}

std::int64_t& DateCounters::of(std::string_view date)
{
    if (m_last == nullptr || date != m_lastDate) {
        m_lastDate = date;
        m_last = &m_counters.try_emplace(m_lastDate, m_first - 1).first->second;
    }
    return *m_last;
}

} // namespace torvel
