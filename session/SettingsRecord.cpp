#include "SettingsRecord.h"
#include "SettingRows.h"

#include "ByteText.h"
#include "RunTypes.h"

#include "FolderHandle.h"

#include "ProfileFile.h"

#include <charconv>
#include <system_error>

namespace torvel {

int decimalOr(std::string_view text, int min, int max, int fallback)
{
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) {
        negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    // from_chars would take a sign of its own: the sign is allowed once only.
    if (digits.empty() || digits[0] < '0' || digits[0] > '9')
        return fallback;
    long long value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size())
        return fallback;
    if (negative)
        value = -value;
    return value < min || value > max ? fallback : static_cast<int>(value);
}

std::string folderOfFile(std::string_view path)
{
    return std::string(folderPart(path));
}

SettingsRecord::SettingsRecord()
{
    for (const SettingRow& row : settingRows())
        setFromFileText(row, row.byDefault, *this);
}

SettingsRecord readSettings(const ProfileFile& profile, std::string_view startFolder)
{
    SettingsRecord record;
    record.searchDir = withTrailingSlash(std::string(startFolder));
    record.changeDir = record.searchDir;
    for (const SettingRow& row : settingRows())
        if (profile.hasKey(row.section, row.key))
            setFromFileText(row, profile.readString(row.section, row.key, {}), record);
    return record;
}

std::vector<std::string> writeSettings(const SettingsRecord& record, ProfileFile& profile)
{
    std::vector<std::string> kept;
    for (const SettingRow& row : settingRows()) {
        // The profile takes only UTF-8 text on one line, so that the file
        // reads back as it was written. A folder whose name is not UTF-8
        // (Shift-JIS names from old archives are the common case) cannot be
        // stored that way: the key keeps the folder of an earlier run, and
        // the start-up check replaces it if that one is gone too. The same
        // holds for a text value holding a line break.
        if (profile.writeString(row.section, row.key, fileTextOf(row, record)))
            kept.emplace_back(row.key);
    }
    return kept;
}

SaveMode saveMethodFromText(std::string_view text)
{
    if (text.empty())
        return SaveMode::Rename;
    switch (text[0]) {
    case 'C':
    case 'c':
        return SaveMode::Copy;
    case 'M':
    case 'm':
        return SaveMode::Move;
    default:
        return SaveMode::Rename; // "R", "r", and any other letter
    }
}

std::string saveMethodToText(SaveMode saveMethod)
{
    switch (saveMethod) {
    case SaveMode::Move:
        return "MOVE";
    case SaveMode::Copy:
        return "COPY";
    case SaveMode::Rename:
        break;
    }
    return "RENAME";
}

} // namespace torvel
