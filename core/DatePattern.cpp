#include "DatePattern.h"

#include <array>

namespace torvel {

namespace {

constexpr std::string_view fieldLetters = "yMdHms";

bool isFieldLetter(char c)
{
    return fieldLetters.find(c) != std::string_view::npos;
}

// Control characters are refused with "/" and NUL: a name typed with a tab
// or a line break in it is never what the person meant.
bool nameCanHold(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return c != '/' && byte >= 0x20 && byte != 0x7f;
}

// value in at least `width` digits, without the C library: names for
// 100,000 files format as many dates.
void appendDigits(int value, int width, std::string& out)
{
    if (value < 0) {
        out += '-';
        value = -value;
        --width;
    }
    std::array<char, 12> text{};
    std::size_t at = text.size();
    do {
        text[--at] = static_cast<char>('0' + value % 10);
        value /= 10;
        --width;
    } while (value > 0);
    if (width > 0)
        out.append(static_cast<std::size_t>(width), '0');
    out.append(text.data() + at, text.size() - at);
}

} // namespace

std::optional<DatePattern> DatePattern::parse(std::string_view text, DatePatternProblem* problem,
                                              std::string_view* culprit)
{
    auto refuse = [problem, culprit](DatePatternProblem why, std::string_view part = {}) {
        if (problem)
            *problem = why;
        if (culprit)
            *culprit = part;
        return std::nullopt;
    };
    DatePattern pattern;
    pattern.m_text = text;
    bool anyField = false;
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        if (!nameCanHold(c))
            return refuse(DatePatternProblem::BadCharacter, text.substr(at, 1));
        std::size_t run = 1;
        while (at + run < text.size() && text[at + run] == c)
            ++run;
        if (!isFieldLetter(c)) {
            if (pattern.m_pieces.empty() || pattern.m_pieces.back().field != Field::Literal)
                pattern.m_pieces.push_back({});
            pattern.m_pieces.back().literal.append(run, c);
            at += run;
            continue;
        }
        Piece piece;
        piece.padded = run == 2 || run == 4;
        pattern.m_fixedWidth = pattern.m_fixedWidth && piece.padded;
        if (c == 'y') {
            if (run != 2 && run != 4)
                return refuse(DatePatternProblem::BadField, text.substr(at, run));
            piece.field = run == 4 ? Field::Year4 : Field::Year2;
        } else if (run > 2) {
            return refuse(DatePatternProblem::BadField, text.substr(at, run));
        } else {
            const Field byLetter[] = {Field::Month, Field::Day, Field::Hour, Field::Minute,
                                      Field::Second};
            piece.field = byLetter[fieldLetters.find(c) - 1];
            pattern.m_showsTime = pattern.m_showsTime || c == 'H' || c == 'm' || c == 's';
        }
        anyField = true;
        pattern.m_pieces.push_back(std::move(piece));
        at += run;
    }
    if (!anyField)
        return refuse(DatePatternProblem::NoField);
    if (problem)
        *problem = DatePatternProblem::None;
    return pattern;
}

std::string DatePattern::format(const LocalDateTime& t) const
{
    std::string out;
    appendTo(t, out);
    return out;
}

void DatePattern::appendTo(const LocalDateTime& t, std::string& out) const
{
    for (const Piece& piece : m_pieces) {
        const int width = piece.padded ? 2 : 1;
        switch (piece.field) {
        case Field::Literal:
            out += piece.literal;
            break;
        case Field::Year4:
            appendDigits(t.year, 4, out);
            break;
        case Field::Year2:
            appendDigits(t.year % 100, 2, out);
            break;
        case Field::Month:
            appendDigits(t.month, width, out);
            break;
        case Field::Day:
            appendDigits(t.day, width, out);
            break;
        case Field::Hour:
            appendDigits(t.hour, width, out);
            break;
        case Field::Minute:
            appendDigits(t.minute, width, out);
            break;
        case Field::Second:
            appendDigits(t.second, width, out);
            break;
        }
    }
}

std::optional<std::uint64_t> DatePattern::shownFields(const LocalDateTime& t) const
{
    const auto inRange = [](int v, int low, int high) { return v >= low && v <= high; };
    if (!inRange(t.month, 0, 15) || !inRange(t.day, 0, 31) || !inRange(t.hour, 0, 31)
        || !inRange(t.minute, 0, 63) || !inRange(t.second, 0, 63))
        return std::nullopt;
    // Below bit 26 the fields of the day and time; above them the year, or
    // when only two of its digits show, those.
    std::uint64_t year = 0;
    std::uint64_t rest = 0;
    for (const Piece& piece : m_pieces) {
        switch (piece.field) {
        case Field::Literal:
            break;
        case Field::Year4:
            year = (std::uint64_t{1} << 32 | static_cast<std::uint32_t>(t.year)) << 31;
            break;
        case Field::Year2:
            if ((year >> 63) == 0) // a full year shown elsewhere says more
                year = static_cast<std::uint64_t>(t.year % 100 + 100) << 26;
            break;
        case Field::Month:
            rest |= static_cast<std::uint64_t>(t.month) << 22;
            break;
        case Field::Day:
            rest |= static_cast<std::uint64_t>(t.day) << 17;
            break;
        case Field::Hour:
            rest |= static_cast<std::uint64_t>(t.hour) << 12;
            break;
        case Field::Minute:
            rest |= static_cast<std::uint64_t>(t.minute) << 6;
            break;
        case Field::Second:
            rest |= static_cast<std::uint64_t>(t.second);
            break;
        }
    }
    return year | rest;
}

} // namespace torvel
