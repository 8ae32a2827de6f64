#include "NameText.h"

#include "ByteText.h"

#include <unicode/ucasemap.h>
#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace torvel {

namespace {

bool isAscii(std::string_view s)
{
    for (const char ch : s)
        if (static_cast<unsigned char>(ch) >= 0x80)
            return false;
    return true;
}

struct ConverterCloser
{
    void operator()(UConverter* c) const { ucnv_close(c); }
};
struct CaseMapCloser
{
    void operator()(UCaseMap* m) const { ucasemap_close(m); }
};

using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

ConverterPtr openCp932(bool strict)
{
    UErrorCode status = U_ZERO_ERROR;
    UConverter* c = ucnv_open("windows-31j", &status);
    if (U_FAILURE(status)) {
        status = U_ZERO_ERROR;
        c = ucnv_open("Shift_JIS", &status);
    }
    if (c != nullptr && strict) {
        status = U_ZERO_ERROR;
        ucnv_setToUCallBack(c, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    }
    return ConverterPtr(c);
}

// CP932 to UTF-16; false if the converter is missing or (when strict) a byte
// sequence cannot be mapped.
bool decodeCp932(std::string_view bytes, bool strict, std::u16string& out)
{
    thread_local ConverterPtr strictConverter = openCp932(true);
    thread_local ConverterPtr lenientConverter = openCp932(false);
    UConverter* converter = strict ? strictConverter.get() : lenientConverter.get();
    if (converter == nullptr)
        return false;
    ucnv_reset(converter);
    out.resize(bytes.size() + 1);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(converter, out.data(), static_cast<int32_t>(out.size()),
                                    bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status))
        return false;
    out.resize(static_cast<std::size_t>(n));
    return true;
}

bool utf16ToUtf8(const std::u16string& utf16, std::string& out)
{
    const auto n = static_cast<int32_t>(utf16.size());
    UErrorCode status = U_ZERO_ERROR;
    std::string utf8(static_cast<std::size_t>(n) * 3 + 1, '\0');
    int32_t len = 0;
    u_strToUTF8(utf8.data(), static_cast<int32_t>(utf8.size()), &len, utf16.data(), n, &status);
    if (U_FAILURE(status))
        return false;
    utf8.resize(static_cast<std::size_t>(len));
    out = std::move(utf8);
    return true;
}

// CP932 decoding that stops at the first byte sequence it cannot map.
bool decodeCp932Strict(std::string_view bytes, std::string& out)
{
    std::u16string utf16;
    return decodeCp932(bytes, true, utf16) && utf16ToUtf8(utf16, out);
}

std::string escapeInvalidUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t n = utf8CharLength(bytes, i);
        if (n == 0) {
            out += "\\x";
            out += hexDigits(static_cast<unsigned char>(bytes[i]), 2);
            ++i;
        } else {
            out.append(bytes.substr(i, n));
            i += n;
        }
    }
    return out;
}

// ASCII case change that steps over the second byte of CP932 characters
// unless the name is UTF-8 (where no byte of a multi-byte character is ASCII).
template <typename Map>
std::string mapAsciiLetters(std::string_view name, Map map)
{
    std::string out(name);
    const bool shiftJis = !isValidUtf8(name);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (shiftJis && isShiftJisLeadByte(c)) {
            ++i;
            continue;
        }
        out[i] = map(out[i]);
    }
    return out;
}

// Languages whose case rules differ from the root rules for ASCII letters.
bool asciiCaseIsLocaleNeutral(const std::string& locale)
{
    const std::string lang = locale.substr(0, locale.find('_'));
    return lang != "tr" && lang != "az" && lang != "lt";
}

enum class CaseOp
{
    Upper,
    Lower,
    Fold
};

UCaseMap* caseMapForUser()
{
    thread_local std::unique_ptr<UCaseMap, CaseMapCloser> map = [] {
        UErrorCode status = U_ZERO_ERROR;
        UCaseMap* m = ucasemap_open(userLocaleId("LC_CTYPE").c_str(), U_FOLD_CASE_DEFAULT, &status);
        return std::unique_ptr<UCaseMap, CaseMapCloser>(U_SUCCESS(status) ? m : nullptr);
    }();
    return map.get();
}

// Unicode case mapping of valid UTF-8; falls back to ASCII when ICU cannot.
std::string mapUtf8Case(std::string_view name, CaseOp op)
{
    UCaseMap* map = caseMapForUser();
    if (map == nullptr)
        return mapAsciiLetters(name, op == CaseOp::Upper ? asciiUpper : asciiLower);
    std::string out(name.size() * 3 + 16, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        UErrorCode status = U_ZERO_ERROR;
        const auto src = name.data();
        const auto srcLen = static_cast<int32_t>(name.size());
        const auto cap = static_cast<int32_t>(out.size());
        int32_t n = 0;
        switch (op) {
        case CaseOp::Upper:
            n = ucasemap_utf8ToUpper(map, out.data(), cap, src, srcLen, &status);
            break;
        case CaseOp::Lower:
            n = ucasemap_utf8ToLower(map, out.data(), cap, src, srcLen, &status);
            break;
        case CaseOp::Fold:
            n = ucasemap_utf8FoldCase(map, out.data(), cap, src, srcLen, &status);
            break;
        }
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            out.assign(static_cast<std::size_t>(n) + 1, '\0');
            continue;
        }
        if (U_FAILURE(status))
            break;
        out.resize(static_cast<std::size_t>(n));
        return out;
    }
    return mapAsciiLetters(name, op == CaseOp::Upper ? asciiUpper : asciiLower);
}

std::string mapCase(std::string_view name, CaseOp op)
{
    static const bool asciiFastPath = asciiCaseIsLocaleNeutral(userLocaleId("LC_CTYPE"));
    const bool ascii = isAscii(name);
    if ((ascii && (asciiFastPath || op == CaseOp::Fold)) || !isValidUtf8(name))
        return mapAsciiLetters(name, op == CaseOp::Upper ? asciiUpper : asciiLower);
    return mapUtf8Case(name, op);
}

} // namespace

std::u16string nameToUtf16(std::string_view nameBytes)
{
    std::u16string out;
    nameToUtf16(nameBytes, out);
    return out;
}

void nameToUtf16(std::string_view nameBytes, std::u16string& out)
{
    if (isValidUtf8(nameBytes)) {
        out.resize(nameBytes.size() + 1);
        int32_t n = 0;
        UErrorCode status = U_ZERO_ERROR;
        u_strFromUTF8(out.data(), static_cast<int32_t>(out.size()), &n, nameBytes.data(),
                      static_cast<int32_t>(nameBytes.size()), &status);
        if (U_SUCCESS(status)) {
            out.resize(static_cast<std::size_t>(n));
            return;
        }
    } else if (decodeCp932(nameBytes, false, out)) {
        return;
    }
    // No converter at all: every byte as the code point of the same value.
    out.resize(nameBytes.size());
    for (std::size_t i = 0; i < nameBytes.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(nameBytes[i]));
}

std::string displayName(std::string_view nameBytes)
{
    if (isValidUtf8(nameBytes))
        return std::string(nameBytes);
    std::string decoded;
    if (decodeCp932Strict(nameBytes, decoded))
        return decoded;
    return escapeInvalidUtf8(nameBytes);
}

std::string nameFromUserText(std::string_view utf8Text)
{
    return std::string(utf8Text);
}

std::string asciiLowerName(std::string_view name)
{
    return mapAsciiLetters(name, asciiLower);
}

std::string upperCaseName(std::string_view name)
{
    return mapCase(name, CaseOp::Upper);
}

std::string lowerCaseName(std::string_view name)
{
    return mapCase(name, CaseOp::Lower);
}

std::string caseFoldKey(std::string_view name)
{
    return mapCase(name, CaseOp::Fold);
}

std::string userLocaleId(const char* categoryVariable)
{
    const char* value = nullptr;
    for (const char* var : {"LC_ALL", categoryVariable, "LANG"}) {
        const char* v = std::getenv(var);
        if (v != nullptr && *v != '\0') {
            value = v;
            break;
        }
    }
    if (value == nullptr)
        return {};
    std::string id(value);
    id = id.substr(0, id.find_first_of(".@"));
    if (id == "C" || id == "POSIX")
        return {};
    return id;
}

std::string cp932ToUtf8(std::string_view bytes, bool& lossless)
{
    std::string text;
    lossless = decodeCp932Strict(bytes, text);
    if (lossless)
        return text;
    std::u16string utf16;
    if (decodeCp932(bytes, false, utf16) && utf16ToUtf8(utf16, text))
        return text;
    return std::string(bytes);
}

std::string displayPath(std::string_view pathBytes)
{
    std::string shown;
    shown.reserve(pathBytes.size());
    for (;;) {
        const std::size_t slash = pathBytes.find('/');
        shown += displayName(pathBytes.substr(0, slash));
        if (slash == std::string_view::npos)
            return shown;
        shown += '/';
        pathBytes.remove_prefix(slash + 1);
    }
}

} // namespace torvel
