#include "VerInfo.h"

#include "ByteText.h"
#include "VersionRecord.h"

namespace torvel {

namespace {

std::string hexWord(unsigned char low, unsigned char high)
{
    return hexDigits(low | (static_cast<unsigned>(high) << 8), 4);
}

// Trim as the system trims: the text ends at a NUL, and every character of
// code 32 or less at either end goes.
std::string trimmed(std::string_view text)
{
    return trimControls(text.substr(0, text.find('\0')));
}

} // namespace

EVerInfo::EVerInfo()
    : std::runtime_error("バージョン情報が取得できません.")
{}

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
