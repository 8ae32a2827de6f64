#include "DatePattern.h"

#include <array>
#include <cstdio>

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

// value in at least `width` digits.
std::string digits(int value, int width)
{
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "%0*d", width, value);
    return text.data();
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
        piece.padded = run == 2;
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
    for (const Piece& piece : m_pieces) {
        const int width = piece.padded ? 2 : 1;
        switch (piece.field) {
        case Field::Literal:
            out += piece.literal;
            break;
        case Field::Year4:
            out += digits(t.year, 4);
            break;
        case Field::Year2:
            out += digits(t.year % 100, 2);
            break;
        case Field::Month:
            out += digits(t.month, width);
            break;
        case Field::Day:
            out += digits(t.day, width);
            break;
        case Field::Hour:
            out += digits(t.hour, width);
            break;
        case Field::Minute:
            out += digits(t.minute, width);
            break;
        case Field::Second:
            out += digits(t.second, width);
            break;
        }
    }
    return out;
}

} // namespace torvel
