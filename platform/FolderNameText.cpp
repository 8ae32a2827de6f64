// Turning a folder name's bytes into text that can be shown.
#include "FolderNamespace.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <memory>

namespace torvel {

namespace {

bool isValidUtf8(std::string_view bytes)
{
    const auto* s = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto length = static_cast<std::int32_t>(bytes.size());
    std::int32_t i = 0;
    while (i < length) {
        UChar32 c = 0;
        U8_NEXT(s, i, length, c);
        if (c < 0)
            return false;
    }
    return true;
}

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

// CP932 decoding that fails on the first byte sequence it cannot map, so that
// a name in some other encoding is not shown as plausible-looking nonsense.
std::optional<std::string> decodeCp932(std::string_view bytes)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, ConverterCloser> converter(ucnv_open("windows-31j", &status));
    if (U_FAILURE(status))
        return std::nullopt;
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    std::u16string wide(bytes.size() + 1, u'\0');
    const std::int32_t wideLength = ucnv_toUChars(converter.get(), wide.data(), static_cast<std::int32_t>(wide.size()),
                                                  bytes.data(), static_cast<std::int32_t>(bytes.size()), &status);
    if (U_FAILURE(status))
        return std::nullopt;
    std::string text(static_cast<std::size_t>(wideLength) * 3 + 1, '\0');
    std::int32_t textLength = 0;
    u_strToUTF8(text.data(), static_cast<std::int32_t>(text.size()), &textLength, wide.data(), wideLength, &status);
    if (U_FAILURE(status))
        return std::nullopt;
    text.resize(static_cast<std::size_t>(textLength));
    return text;
}

std::string escapeInvalidBytes(std::string_view bytes)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    const auto* s = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto length = static_cast<std::int32_t>(bytes.size());
    std::string text;
    std::int32_t i = 0;
    while (i < length) {
        const std::int32_t start = i;
        UChar32 c = 0;
        U8_NEXT(s, i, length, c);
        if (c >= 0) {
            text.append(bytes.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(i - start)));
            continue;
        }
        // Escape one byte only and look again at the next, which may begin a
        // valid sequence.
        i = start + 1;
        text += "\\x";
        text += hex[s[start] >> 4];
        text += hex[s[start] & 0x0F];
    }
    return text;
}

} // namespace

std::string folderNameToUtf8(std::string_view bytes)
{
    if (isValidUtf8(bytes))
        return std::string(bytes);
    if (auto text = decodeCp932(bytes))
        return *text;
    return escapeInvalidBytes(bytes);
}

} // namespace torvel
