#pragma once

#include "DosDateTime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace torvel {

// Why a typed date pattern cannot be used.
enum class DatePatternProblem : std::uint8_t
{
    None,
    NoField,      // nothing in it comes from the date
    BadField,     // a run of pattern letters that is no field ("yyy", "MMM")
    BadCharacter, // a character no file name can hold
};

// A date pattern: the fields yyyy, yy, MM, M, dd, d, HH, H, mm, m, ss, s
// (two letters pad to two digits, one letter does not) and any other text
// kept as it stands. The letters y, M, d, H, m and s always stand for a
// field, so a pattern reads the same however it is typed.
class DatePattern
{
public:
    // The pattern of a text, or why there is none; culprit, for a bad field
    // or character, the part of `text` refused.
    static std::optional<DatePattern> parse(std::string_view text,
                                            DatePatternProblem* problem = nullptr,
                                            std::string_view* culprit = nullptr);

    // The text of a wall-clock time by this pattern.
    std::string format(const LocalDateTime& t) const;
    void appendTo(const LocalDateTime& t, std::string& out) const;
    // A number that is the same for two times exactly when every field the
    // pattern shows is; none for a time with a field out of its range.
    std::optional<std::uint64_t> shownFields(const LocalDateTime& t) const;
    // Whether every field is padded, so that every text is of one width
    // (for years 0 to 9999) and each field stands at one place in it.
    bool fixedWidth() const { return m_fixedWidth; }
    // Whether the pattern shows the time of day as well as the date: then two
    // files of one day can still differ by it.
    bool showsTime() const { return m_showsTime; }
    // The text the pattern was made from.
    const std::string& text() const { return m_text; }

private:
    enum class Field : std::uint8_t
    {
        Literal,
        Year4,
        Year2,
        Month,
        Day,
        Hour,
        Minute,
        Second
    };
    struct Piece
    {
        Field field = Field::Literal;
        bool padded = false;
        std::string literal;
    };
    std::vector<Piece> m_pieces;
    std::string m_text;
    bool m_showsTime = false;
    bool m_fixedWidth = true;
};

// The patterns offered for choosing, most used first.
inline constexpr std::string_view offeredDatePatterns[] = {"yyyyMMdd", "yyyy-MM-dd",
                                                           "yyyyMMdd_HHmmss", "yyMMdd"};

} // namespace torvel
