#pragma once

// A folder path typed by a person: where it leads, and making it.

#include <optional>
#include <string>
#include <string_view>

namespace torvel {

// The folder a typed text names, as bytes ending in "/". The text is UTF-8.
// Only an absolute path ("/...") is taken, or one that starts with "~/" (or
// is "~"), which means the home folder `home`. Empty and "." names are
// dropped and ".." takes one level back, as the text reads.
//
// A folder whose name is not UTF-8 (an old Shift-JIS name) is shown decoded,
// so a person types that text back: a name that is not in its folder as
// typed but is the shown name of a folder there is taken with that folder's
// own bytes. None when the text is not such a path.
std::optional<std::string> typedFolderPath(std::string_view text, std::string_view home);

// Creates the folder and every missing folder above it. On failure the
// folders made on the way are removed again, so nothing is left behind.
// Returns 0, or the errno value: a file in the way is ENOTDIR.
[[nodiscard]] int createFolderChain(const std::string& path);

} // namespace torvel
