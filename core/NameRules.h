#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace torvel {

// The extension of a bare name: from its last "." to the end, dot included;
// empty when there is no "." or a "/" follows it. Bytes: neither "." nor "/"
// can be the second byte of a CP932 character or part of a UTF-8 one.
std::string_view extensionOf(std::string_view name);

// The name without its extension.
std::string_view baseNameOf(std::string_view name);

// The decimal text of n right-aligned in d places, filled with "0" on the left;
// when longer than d, only its last d characters remain. At most 20 places.
std::string PadNumber(std::int64_t n, int d);

// Why a name cannot be given to a file on this system, if it cannot.
enum class NameProblem
{
    None,
    BadCharacter, // "/" or a NUL byte in it, or it is "." or ".."
    TooLong,      // more than 255 bytes
    Empty,
};
NameProblem nameProblem(std::string_view name);

// Why a name cannot be given to a file here (errno), or 0 when it can.
int nameError(std::string_view name);

} // namespace torvel
