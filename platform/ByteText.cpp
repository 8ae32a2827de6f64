#include "ByteText.h"

namespace torvel {

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

std::string trimControls(std::string_view text)
{
    const auto isControl = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && isControl(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isControl(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

std::size_t utf8CharLength(std::string_view bytes, std::size_t at)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char c = byte(at);
    if (c < 0x80)
        return 1;
    std::size_t n = 0;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0)
            lo = 0xA0; // overlong
        if (c == 0xED)
            hi = 0x9F; // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0)
            lo = 0x90; // overlong
        if (c == 0xF4)
            hi = 0x8F; // above U+10FFFF
    } else {
        return 0;
    }
    if (at + n > bytes.size())
        return 0;
    if (byte(at + 1) < lo || byte(at + 1) > hi)
        return 0;
    for (std::size_t k = 2; k < n; ++k)
        if (byte(at + k) < 0x80 || byte(at + k) > 0xBF)
            return 0;
    return n;
}

bool isValidUtf8(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t n = utf8CharLength(bytes, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::u32string decodeUtf8(std::string_view text)
{
    static constexpr char32_t leadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = utf8CharLength(text, i);
        if (n == 0) {
            out.push_back(U'\uFFFD');
            ++i;
            continue;
        }
        char32_t c = static_cast<unsigned char>(text[i]) & leadBits[n];
        for (std::size_t k = 1; k < n; ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
        out.push_back(c);
        i += n;
    }
    return out;
}

std::string encodeUtf8(std::u32string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
            c = U'\uFFFD';
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string hexDigits(std::uint32_t value, int count)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out(static_cast<std::size_t>(count > 0 ? count : 0), '0');
    for (auto it = out.rbegin(); it != out.rend(); ++it, value >>= 4)
        *it = digits[value & 0xF];
    return out;
}

std::string percentDecoded(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexDigitValue(text[i + 1]) >= 0
            && hexDigitValue(text[i + 2]) >= 0) {
            bytes +=
                static_cast<char>(hexDigitValue(text[i + 1]) * 16 + hexDigitValue(text[i + 2]));
            i += 2;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

std::string percentEncodedPath(std::string_view path)
{
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        const bool plain = isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '-' || c == '_'
                           || c == '.' || c == '~' || c == '/';
        if (plain) {
            out.push_back(c);
        } else {
            out.push_back('%');
            out += hexDigits(static_cast<unsigned char>(c), 2);
        }
    }
    return out;
}

std::string withTrailingSlash(std::string path)
{
    if (!path.empty() && path.back() != '/')
        path.push_back('/');
    return path;
}

std::string_view withoutTrailingSlashes(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return path;
}

std::string_view folderPart(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string_view namePart(std::string_view path)
{
    return path.substr(folderPart(path).size());
}

std::string parentFolder(std::string_view path)
{
    path = withoutTrailingSlashes(path);
    if (path == "/")
        return {};
    return std::string(folderPart(path));
}

std::vector<std::string_view> namesInPath(std::string_view path)
{
    std::vector<std::string_view> names;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view name = path.substr(start, end - start);
        start = end + 1;
        if (!name.empty() && name != ".")
            names.push_back(name);
    }
    return names;
}

std::vector<std::string_view> resolvedNamesInPath(std::string_view path)
{
    std::vector<std::string_view> names;
    for (const std::string_view name : namesInPath(path)) {
        if (name != "..")
            names.push_back(name);
        else if (!names.empty())
            names.pop_back();
    }
    return names;
}

} // namespace torvel
