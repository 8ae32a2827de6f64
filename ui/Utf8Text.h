#pragma once

#include <QString>

#include <string>
#include <string_view>

#include "NameText.h"

namespace torvel {

// UTF-8 text from below the window (a decoded name, a message) as a QString.
// File names never come through here as they are: they are decoded first.
inline QString utf8Text(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A path of bytes as the person sees it.
inline QString pathText(const std::string& bytes)
{
    return utf8Text(displayPath(bytes));
}

// Text the person typed as the UTF-8 bytes of a name or path.
inline std::string bytesOf(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

} // namespace torvel
