#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace torvel {

// The text a path (bytes) is shown as on the window.
using DisplayTextFn = std::function<std::string(std::string_view bytes)>;
// The width of a display text in the font of the field that shows it.
using TextWidthFn = std::function<int(std::string_view displayText)>;

// The display text of the first form of path that is narrower than
// availableWidth, or of the last form when none is. The forms, longest first:
// the path itself, then with its leading folders replaced one by one by
// ".../" ("/home/me/a/" gives "/home/me/a/", "/.../me/a/", "/.../a/", "/.../",
// ".../", ""). The name after the last "/" is never cut; for a folder path the
// last form is empty.
std::string shortenPath(std::string_view path, int availableWidth, const DisplayTextFn& displayText,
                        const TextWidthFn& textWidth);

} // namespace torvel
