#pragma once

#include <QString>

#include <string_view>

namespace torvel {

// UTF-8 text from below the window (a decoded name, a message) as a QString.
// File names never come through here as they are: they are decoded first.
inline QString utf8Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace torvel
