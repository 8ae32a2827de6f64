#pragma once

#include "DatePattern.h"
#include "RenameOptions.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace torvel {

class TMyFileList;

// The pieces a new name is made of.
enum class NamePart : std::uint8_t
{
    Date,       // the date text, always followed by "_"
    Identifier, // the identifier; in keep-number mode the text kept before the number
    Number,     // the running number, padded to the digit count
    OwnNumber,  // the number the file's name ends in, padded anew
    Extension,  // the replacement extension, or the file's own
};

// What a part's text is across the files of one call.
enum class PartText : std::uint8_t
{
    Shared,    // the same for every file
    Distinct,  // never the same for two files, and always of one width
    Repeating, // may be the same for two files
};

// The parts of the names, in the order they stand in them.
struct NameParts
{
    std::array<NamePart, 4> parts{};
    std::size_t count = 0;

    const NamePart* begin() const { return parts.data(); }
    const NamePart* end() const { return parts.data() + count; }
};

NameParts namePartsOf(const RenameOptions& options);
PartText partTextOf(NamePart part, const RenameOptions& options);

// Whether two files of one call could be given the same name, so that the
// names made must be remembered: unless a part that is distinct for every
// file comes before any part that may repeat, in one place of every name.
bool namesCanRepeat(const RenameOptions& options);

// The text before the number: the date and the identifier (or the text kept
// before a file's own number) in the order of the parts; an empty date
// stands for no date part.
void appendPrefix(const NameParts& parts, std::string_view date, std::string_view identifier,
                  std::string& out);

// The date texts of a list's items by the options' source and pattern. A
// file without a shooting date is named by its time stamp, and counted.
class DateTexts
{
public:
    // Reads the shooting dates when they are the source (once per rebuild of
    // the list). None when the pattern cannot be used.
    static std::optional<DateTexts> of(TMyFileList& list, const RenameOptions& options);

    // Item `index`'s date text, valid until the next call.
    std::string_view textOf(int index);
    // How many items had no shooting date of their own.
    int fallbacks() const { return m_fallbacks; }

private:
    DateTexts(TMyFileList& list, DateSource source, DatePattern pattern);
    LocalDateTime wallClock(int index);

    TMyFileList* m_list;
    DateSource m_source;
    DatePattern m_pattern;
    int m_fallbacks = 0;
    // The last text made, and the time it was made from (to the day when
    // the pattern shows no time): files of one day follow each other.
    std::optional<LocalDateTime> m_last;
    std::string m_text;
};

// A running number for each date text, each starting at the same number.
class DateCounters
{
public:
    explicit DateCounters(std::int64_t first)
        : m_first(first)
    {}
    // The counter of a date text, set to one before the first number when new.
    std::int64_t& of(std::string_view date);

private:
    std::int64_t m_first;
    std::unordered_map<std::string, std::int64_t> m_counters;
    std::string m_lastDate;
    std::int64_t* m_last = nullptr;
};

} // namespace torvel
