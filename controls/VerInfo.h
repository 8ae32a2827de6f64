#pragma once
// Reader for the version information an executable file carries.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace torvel {

// Raised when a file has no version information, no translation entry, or
// not the value asked for.
class EVerInfo : public std::runtime_error
{
public:
    EVerInfo();
};

// The whole version information of one file, read once at construction.
class TVerInfo
{
public:
    // Reads the version information of the file; EVerInfo when it has none or
    // it has no translation entry.
    explicit TVerInfo(const std::string& fileName);
    ~TVerInfo();
    TVerInfo(const TVerInfo&) = delete;
    TVerInfo& operator=(const TVerInfo&) = delete;

    // The text of one value by sub-block path, cut at its first NUL and
    // trimmed of blanks and control characters at both ends; EVerInfo when
    // the path does not exist.
    std::string GetValue(std::string_view subBlock) const;
    // GetValue of "\StringFileInfo\" + language + code page + "\FileVersion".
    std::string FileVersion() const;

    // The first translation entry, each as 4 upper-case hexadecimal digits.
    const std::string& language() const { return m_language; }
    const std::string& codePage() const { return m_codePage; }

private:
    std::unique_ptr<unsigned char[]> m_data;
    std::uint32_t m_size = 0;
    std::string m_language;
    std::string m_codePage;
};

} // namespace torvel
