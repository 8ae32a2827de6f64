#include "SettingsRecord.h"

#include "ByteText.h"
#include "RunTypes.h"

#include "FolderHandle.h"

#include "ProfileFile.h"

#include <charconv>
#include <system_error>

namespace torvel {

namespace {

enum class Kind
{
    Folder, // a folder path: empty counts as missing, always ends in "/"
    Text,   // written and read as it is
    Number, // a decimal integer within min..max
    OnOff,  // "ON" exactly, or anything else for off
    Side,   // ButtonSide as "ON"/"OFF"
    Height, // HeightSize as "S"/"M"/"L"
};

struct SettingKey
{
    std::string_view section;
    std::string_view key;
    Kind kind;
    std::string SettingsRecord::*text = nullptr;
    int SettingsRecord::*number = nullptr;
    bool SettingsRecord::*flag = nullptr;
    int min = 0;
    int max = 0;
};

using R = SettingsRecord;

// Every key, in the order in which it is read and written. A new file lists
// its sections and keys in this order.
const SettingKey Keys[] = {
    {"SEARCH", "SEARCH_DIR", Kind::Folder, &R::searchDir},
    {"SEARCH", "SEARCH_EXT", Kind::Text, &R::searchExt},
    {"SEARCH", "SORT", Kind::Number, nullptr, &R::sort, nullptr, SortMin, SortMax},
    {"CHANGE", "CHANGE_DIR", Kind::Folder, &R::changeDir},
    {"CHANGE", "CHANGE_NAME", Kind::Text, &R::changeName},
    {"CHANGE", "CHANGE_NOM", Kind::Number, nullptr, &R::changeNom, nullptr, ChangeNomMin,
     ChangeNomMax},
    {"CHANGE", "CHANGE_DIGIT", Kind::Number, nullptr, &R::changeDigit, nullptr, ChangeDigitMin,
     ChangeDigitMax},
    {"CHANGE", "CHANGE_EXT", Kind::Text, &R::changeExt},
    {"CHANGE", "CHANGE_MOVE", Kind::Text, &R::saveMethodText},
    {"CHANGE", "UPPER", Kind::OnOff, nullptr, nullptr, &R::upper},
    {"CHANGE", "LOWWER", Kind::OnOff, nullptr, nullptr, &R::lowwer},
    {"CHANGE", "PREVIEW", Kind::OnOff, nullptr, nullptr, &R::preview},
    {"OPTIONS", "HELP_HINT", Kind::OnOff, nullptr, nullptr, &R::helpHint},
    {"OPTIONS", "DUPLICATE", Kind::OnOff, nullptr, nullptr, &R::duplicate},
    {"OPTIONS", "SAMENAME", Kind::OnOff, nullptr, nullptr, &R::sameName},
    {"OPTIONS", "COLUMN", Kind::OnOff, nullptr, nullptr, &R::column},
    {"OPTIONS", "COLUMNNAME", Kind::OnOff, nullptr, nullptr, &R::columnName},
    {"OPTIONS", "EXT_CHECK", Kind::OnOff, nullptr, nullptr, &R::extCheck},
    {"OPTIONS", "BUTTONSIDE", Kind::Side, nullptr, &R::buttonSide},
    {"OPTIONS", "HEIGHTSIZE", Kind::Height, nullptr, &R::heightSize},
    {"OPTIONS", "FORM_LEFT", Kind::Number, nullptr, &R::formLeft, nullptr, FormPosMin, FormPosMax},
    {"OPTIONS", "FORM_TOP", Kind::Number, nullptr, &R::formTop, nullptr, FormPosMin, FormPosMax},
};

bool isOn(std::string_view value)
{
    return value == "ON";
}

int heightSizeFromText(std::string_view value)
{
    if (value == "S")
        return 0;
    if (value == "M")
        return 1;
    return 2; // "L", and everything else: "m", "", "Large" ...
}

std::string heightSizeToText(int heightSize)
{
    switch (heightSize) {
    case 0:
        return "S";
    case 2:
        return "L";
    default:
        return "M"; // any other state shows the medium height
    }
}

// Applies the value of one key that is present in the file.
void readKey(const SettingKey& entry, std::string_view value, SettingsRecord& record)
{
    switch (entry.kind) {
    case Kind::Folder:
        // An empty folder would make every bare name relative to wherever the
        // program happens to run: it counts as missing, like no key at all.
        if (!value.empty())
            record.*entry.text = withTrailingSlash(std::string(value));
        break;
    case Kind::Text:
        record.*entry.text = std::string(value);
        break;
    case Kind::Number:
        record.*entry.number = decimalOr(value, entry.min, entry.max, record.*entry.number);
        break;
    case Kind::OnOff:
        record.*entry.flag = isOn(value);
        break;
    case Kind::Side:
        record.*entry.number = isOn(value) ? 1 : 0;
        break;
    case Kind::Height:
        record.*entry.number = heightSizeFromText(value);
        break;
    }
}

std::string valueOf(const SettingKey& entry, const SettingsRecord& record)
{
    switch (entry.kind) {
    case Kind::Folder:
    case Kind::Text:
        return record.*entry.text;
    case Kind::Number:
        return std::to_string(record.*entry.number);
    case Kind::OnOff:
        return record.*entry.flag ? "ON" : "OFF";
    case Kind::Side:
        return record.*entry.number == 1 ? "ON" : "OFF";
    case Kind::Height:
        return heightSizeToText(record.*entry.number);
    }
    return {};
}

} // namespace

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

SettingsRecord readSettings(const ProfileFile& profile, std::string_view startFolder)
{
    SettingsRecord record;
    record.searchDir = withTrailingSlash(std::string(startFolder));
    record.changeDir = record.searchDir;
    for (const SettingKey& entry : Keys)
        if (profile.hasKey(entry.section, entry.key))
            readKey(entry, profile.readString(entry.section, entry.key, {}), record);
    return record;
}

std::vector<std::string> writeSettings(const SettingsRecord& record, ProfileFile& profile)
{
    std::vector<std::string> kept;
    for (const SettingKey& entry : Keys) {
        // The profile takes only UTF-8 text on one line, so that the file
        // reads back as it was written. A folder whose name is not UTF-8
        // (Shift-JIS names from old archives are the common case) cannot be
        // stored that way: the key keeps the folder of an earlier run, and
        // the start-up check replaces it if that one is gone too. The same
        // holds for a text value holding a line break.
        if (profile.writeString(entry.section, entry.key, valueOf(entry, record)))
            kept.emplace_back(entry.key);
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
