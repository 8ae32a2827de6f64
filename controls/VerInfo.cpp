#include "VerInfo.h"

#include "VersionRecord.h"

namespace torvel {

namespace {

std::string hexWord(unsigned char low, unsigned char high)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    const unsigned word = low | (static_cast<unsigned>(high) << 8);
    std::string out;
    for (int shift = 12; shift >= 0; shift -= 4)
        out += digits[(word >> shift) & 0xF];
    return out;
}

// Trim as the system trims: every character of code 32 or less goes.
std::string trimmed(std::string_view text)
{
    const std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos)
        text = text.substr(0, nul);
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

} // namespace

EVerInfo::EVerInfo()
    : std::runtime_error("バージョン情報が取得できません.")
{
}

TVerInfo::TVerInfo(const std::string& fileName)
{
    m_size = versionRecordSize(fileName);
    if (m_size == 0)
        throw EVerInfo();
    m_data = std::make_unique<unsigned char[]>(m_size);
    if (!readVersionRecord(fileName, m_size, m_data.get()))
        throw EVerInfo();
    const auto translation = queryVersionValue(m_data.get(), m_size, "\\VarFileInfo\\Translation");
    if (!translation || translation->size() < 4)
        throw EVerInfo();
    const auto* word = reinterpret_cast<const unsigned char*>(translation->data());
    m_language = hexWord(word[0], word[1]);
    m_codePage = hexWord(word[2], word[3]);
}

TVerInfo::~TVerInfo() = default;

std::string TVerInfo::GetValue(std::string_view subBlock) const
{
    const auto value = queryVersionValue(m_data.get(), m_size, subBlock);
    if (!value)
        throw EVerInfo();
    return trimmed(*value);
}

std::string TVerInfo::FileVersion() const
{
    return GetValue("\\StringFileInfo\\" + m_language + m_codePage + "\\FileVersion");
}

} // namespace torvel
