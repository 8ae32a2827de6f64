#include "ProfileFile.h"

#include "AtomicSave.h"
#include "NameText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>

namespace torvel {

namespace {

constexpr std::string_view Blanks = " \t\r";
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(Blanks);
    return text.substr(first, last - first + 1);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// The first maxChars characters of UTF-8 text; a character is a lead byte
// with the continuation bytes that follow it.
std::string_view firstChars(std::string_view text, std::size_t maxChars)
{
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool continuation = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
        if (!continuation && chars++ == maxChars)
            return text.substr(0, i);
    }
    return text;
}

// Reads a whole file of at most maxBytes. A missing file (or a path through
// something that is not a folder) is no error: it reads as absent. A longer
// file sets tooLong and is not read past the limit: bytes stays empty.
std::error_code readWholeFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                              bool& exists, bool& tooLong)
{
    exists = false;
    tooLong = false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {};
        return {errno, std::generic_category()};
    }
    exists = true;
    struct stat st
    {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)
        && static_cast<std::uintmax_t>(st.st_size) > maxBytes) {
        tooLong = true;
        ::close(fd);
        return {};
    }
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const std::error_code error(errno, std::generic_category());
            ::close(fd);
            exists = false;
            return error;
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() > maxBytes) {
            // It grew while being read, or is no regular file.
            tooLong = true;
            std::string().swap(bytes);
            break;
        }
    }
    ::close(fd);
    return {};
}

// Bytes no settings file holds: a NUL, or more lines than a person could
// mean; parsed, each line would take a hundred bytes and more of memory.
bool isJunkText(std::string_view bytes)
{
    return bytes.find('\0') != std::string_view::npos
           || static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n'))
                  > ProfileFile::MaxLines;
}

bool isWritableName(std::string_view name)
{
    return !name.empty() && trimmed(name) == name && isValidUtf8(name)
           && name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

} // namespace

ProfileFile ProfileFile::load(const std::string& path)
{
    ProfileFile profile;
    profile.m_path = path;
    std::string bytes;
    bool tooLong = false;
    profile.m_loadError = readWholeFile(path, MaxFileBytes, bytes, profile.m_exists, tooLong);
    if (profile.m_loadError)
        return profile;
    if (tooLong || isJunkText(bytes)) {
        profile.m_junk = true;
        return profile;
    }
    if (isValidUtf8(bytes)) {
        profile.parse(bytes);
    } else {
        bool lossless = true;
        const std::string text = cp932ToUtf8(bytes, lossless);
        if (!lossless) {
            profile.m_junk = true;
            return profile;
        }
        profile.parse(text);
    }
    profile.m_original = std::move(bytes);
    return profile;
}

ProfileFile::Line ProfileFile::parseLine(std::string text, std::string end)
{
    Line line{std::move(text), std::move(end), LineKind::Other, {}};
    std::string_view content = line.text;
    if (content.starts_with(ByteOrderMark))
        content.remove_prefix(ByteOrderMark.size());
    content = trimmed(content);
    if (content.empty() || content[0] == ';' || content[0] == '#')
        return line;
    if (content[0] == '[') {
        // A header without its closing bracket still names a section, so
        // that its keys are not taken for keys of the section before it.
        const auto close = content.find(']');
        line.kind = LineKind::Section;
        line.name = trimmed(content.substr(1, close == std::string_view::npos ? close : close - 1));
        return line;
    }
    const auto equals = content.find('=');
    if (equals != std::string_view::npos && !trimmed(content.substr(0, equals)).empty()) {
        line.kind = LineKind::Key;
        line.name = trimmed(content.substr(0, equals));
    }
    return line;
}

void ProfileFile::parse(std::string_view text)
{
    m_lines.clear();
    bool lineEndKnown = false;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto newline = text.find('\n', start);
        if (newline == std::string_view::npos) {
            m_lines.push_back(parseLine(std::string(text.substr(start)), {}));
            break;
        }
        const bool crlf = newline > start && text[newline - 1] == '\r';
        const std::size_t textEnd = crlf ? newline - 1 : newline;
        std::string end = crlf ? "\r\n" : "\n";
        if (!lineEndKnown) {
            m_lineEnd = end;
            lineEndKnown = true;
        }
        m_lines.push_back(
            parseLine(std::string(text.substr(start, textEnd - start)), std::move(end)));
        start = newline + 1;
    }
}

std::size_t ProfileFile::findKey(std::string_view section, std::string_view key) const
{
    bool inSection = false;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines[i];
        if (line.kind == LineKind::Section)
            inSection = equalsIgnoringCase(line.name, section);
        else if (inSection && line.kind == LineKind::Key && equalsIgnoringCase(line.name, key))
            return i;
    }
    return std::string::npos;
}

std::size_t ProfileFile::findSection(std::string_view section) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].kind == LineKind::Section && equalsIgnoringCase(m_lines[i].name, section))
            return i;
    return std::string::npos;
}

// Where a new key of the section opened at header goes: after its last key,
// so that comments and blank lines that lead into the next section stay
// with that section.
std::size_t ProfileFile::endOfSection(std::size_t header) const
{
    std::size_t after = header + 1;
    for (std::size_t i = header + 1; i < m_lines.size() && m_lines[i].kind != LineKind::Section;
         ++i)
        if (m_lines[i].kind == LineKind::Key)
            after = i + 1;
    return after;
}

void ProfileFile::insertLine(std::size_t at, std::string text)
{
    if (at > 0 && m_lines[at - 1].end.empty())
        m_lines[at - 1].end = m_lineEnd;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at),
                   parseLine(std::move(text), m_lineEnd));
}

std::string ProfileFile::readString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const
{
    const std::size_t at = findKey(section, key);
    if (at == std::string::npos)
        return std::string(defaultValue);
    std::string_view text = m_lines[at].text;
    const std::string_view value = trimmed(text.substr(text.find('=') + 1));
    return std::string(firstChars(value, MaxValueChars));
}

bool ProfileFile::hasKey(std::string_view section, std::string_view key) const
{
    return findKey(section, key) != std::string::npos;
}

std::error_code ProfileFile::writeString(std::string_view section, std::string_view key,
                                         std::string_view value)
{
    if (!isValidUtf8(value)
        || value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return std::make_error_code(std::errc::illegal_byte_sequence);
    if (!isWritableName(section) || section.find(']') != std::string_view::npos
        || !isWritableName(key) || key.find('=') != std::string_view::npos
        || key.find_first_of("[;#") == 0 || key.starts_with(ByteOrderMark))
        return std::make_error_code(std::errc::invalid_argument);

    const std::size_t at = findKey(section, key);
    if (at != std::string::npos) {
        Line& line = m_lines[at];
        const auto valueStart = line.text.find_first_not_of(" \t", line.text.find('=') + 1);
        line.text = line.text.substr(0, std::min(valueStart, line.text.size())).append(value);
        return {};
    }
    const std::string keyLine = std::string(key) + "=" + std::string(value);
    const std::size_t header = findSection(section);
    if (header != std::string::npos) {
        insertLine(endOfSection(header), keyLine);
        return {};
    }
    if (!m_lines.empty() && !trimmed(m_lines.back().text).empty())
        insertLine(m_lines.size(), {});
    insertLine(m_lines.size(), "[" + std::string(section) + "]");
    insertLine(m_lines.size(), keyLine);
    return {};
}

std::string ProfileFile::text() const
{
    std::string all;
    for (const Line& line : m_lines)
        all.append(line.text).append(line.end);
    return all;
}

std::error_code ProfileFile::save()
{
    return save(systemSaveSteps());
}

std::error_code ProfileFile::save(SaveSteps& steps)
{
    if (m_loadError)
        return m_loadError;
    std::string all = text();
    if (m_exists && !m_junk && all == m_original)
        return {};
    if (const std::error_code error = replaceFileContents(m_path, all, steps))
        return error;
    m_original = std::move(all);
    m_exists = true;
    m_junk = false;
    return {};
}

} // namespace torvel
