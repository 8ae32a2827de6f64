#pragma once

#include "DatePattern.h"
#include "NameIndex.h"
#include "RenameOptions.h"

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
    OneWidth,  // may be the same for two files, but always of one width
    PerDate,   // never the same for two files of one date text, of one width
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
// file (or for every file of one date, behind a date of one width) comes
// before any part that may repeat, in one place of every name.
bool namesCanRepeat(const RenameOptions& options);

// The text before the number: the date and the identifier (or the text kept
// before a file's own number) in the order of the parts; an empty date
// stands for no date part.
void appendPrefix(const NameParts& parts, std::string_view date, std::string_view identifier,
                  std::string& out);

// The date texts of a list's items by the options' source and pattern. A
// file without a shooting date is named by its time stamp, and counted.
// Each different text is made once and numbered from 0 in the order met,
// so that a series per date is a counter by that number.
class DateTexts
{
public:
    // Reads the shooting dates when they are the source (once per rebuild of
    // the list). None when the pattern cannot be used.
    static std::optional<DateTexts> of(TMyFileList& list, const RenameOptions& options);

    struct Text
    {
        std::uint32_t number; // of the text, among the texts met so far
        std::string_view text;
    };
    // Item `index`'s date text, valid until the next call.
    Text textOf(int index);
    // How many items had no shooting date of their own.
    int fallbacks() const { return m_fallbacks; }
    // Whether texts of more than one width were made (a year past 9999).
    bool widthVaried() const { return m_widthVaried; }

private:
    DateTexts(TMyFileList& list, DateSource source, DatePattern pattern);
    LocalDateTime wallClock(int index, bool& fallback) const;
    std::uint32_t numberOfText(const std::string& text, bool surelyNew);

    // Items are asked for in order: the fields of the next few are worked
    // out ahead, and their slots fetched from memory while names are made.
    struct Ahead
    {
        LocalDateTime time;
        std::optional<std::uint64_t> fields;
        bool fallback = false;
    };
    static constexpr int lookAhead = 4;
    const Ahead& ahead(int index);
    std::array<Ahead, 8> m_ahead{};
    int m_aheadFrom = 0; // m_ahead holds the items from here
    int m_aheadTo = 0;   // to here

    TMyFileList* m_list;
    DateSource m_source;
    DatePattern m_pattern;
    int m_fallbacks = 0;
    bool m_widthVaried = false;
    std::deque<std::string> m_texts;           // by number; they never move
    NameIndex m_numberOfText{NameCase::Exact}; // views of m_texts
    // The fields a pattern shows are met far fewer times than files: each
    // is formatted once, then found in an open-addressing table, at most half
    // full, whose slot holds a short text itself (one read of memory a file).
    struct FieldsSlot
    {
        std::uint64_t fields = 0;
        std::uint32_t number = NameIndex::none;
        std::uint8_t size = 0; // of text, when the text fits in it
        std::array<char, 19> text{};
    };
    std::size_t homeOf(std::uint64_t fields) const;
    FieldsSlot& slotOf(std::uint64_t fields);
    void remember(std::uint64_t fields, std::uint32_t number, std::string_view text);
    std::vector<FieldsSlot> m_slots = std::vector<FieldsSlot>(64);
    std::size_t m_used = 0;
    std::string m_scratch;
};

} // namespace torvel
