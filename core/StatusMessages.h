#pragma once

namespace torvel {

// The kind of a status line message; the window draws a mark of its own for
// each (ready green, warning red, waiting the button face, working none).
enum class StatusKind
{
    Ready,
    Working,
    Warning,
    Waiting
};

// What the name generator has to say; the window words it.
enum class NameStatus
{
    Converting,        // the names are being made
    NumberTooLong,     // a sequence number outgrew the digit count
    UnusableCharacter, // a name holds a character this system refuses
    NameTooLong,       // a new name is longer than this system allows
    BadDatePattern,    // the date part's pattern cannot be used
};

// A message for the status line, as a code the window turns into text.
struct StatusMessage
{
    StatusKind kind = StatusKind::Working;
    NameStatus what = NameStatus::Converting;

    bool operator==(const StatusMessage&) const = default;
};

} // namespace torvel
