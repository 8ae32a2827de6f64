#pragma once

#include "RenameOptions.h"
#include "SettingsRecord.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace torvel {

// How a value is written in the settings file (and taken from the command line).
enum class ValueKind : std::uint8_t
{
    Folder,    // a folder path: empty counts as missing, always ends in "/"
    Text,      // written and read as it is
    Extension, // as Text; the command line drops its leading dots
    Number,    // a decimal integer within min..max
    OnOff,     // "ON" exactly, or anything else for off
    Order,     // a sort order, as the index of its item in the sort box
    Side,      // ButtonSide as "ON"/"OFF"
    Height,    // HeightSize as "S"/"M"/"L"
    Choice,    // one of the row's choices, as its fileText; any other counts as missing
    Pattern,   // a date pattern; one that cannot be used counts as missing
};

// Where torvel-cli's usage lists an option.
enum class UsageGroup : std::uint8_t
{
    None,   // not on the command line
    Naming, // 名前の付け方
    Running // 実行
};

// The field a row stands for: a rename option, or a setting of the window's own.
using SettingField =
    std::variant<std::string RenameOptions::*, int RenameOptions::*, bool RenameOptions::*,
                 SortOrder RenameOptions::*, DateSource RenameOptions::*,
                 ExtensionCase RenameOptions::*, std::string SettingsRecord::*,
                 int SettingsRecord::*, bool SettingsRecord::*>;

// One value of a Choice row. A choice's place among the row's choices is
// the number of its enumerator.
struct SettingChoice
{
    std::string_view fileText; // "SHOT": as the settings file writes it
    std::string_view word;     // --date=shot; empty: only its flag chooses it
    std::string_view flag;     // "--ext-lower": a word that chooses it alone
    std::string_view help;     // what the usage says of it
    std::string_view label;    // the window's item for it
};

// One key of the settings file, and for a rename option also its words on
// torvel-cli's command line and its control in the window.
struct SettingRow
{
    std::string_view section = {};
    std::string_view key = {};
    ValueKind kind = ValueKind::Text;
    SettingField field = {};
    // What a missing key stands for, written as the file writes it. A folder
    // has none here: its default is the folder the program starts from.
    std::string_view byDefault = {};
    int min = 0; // Number: the range; outside it a value counts as missing
    int max = 0;
    std::string_view control = {}; // objectName of the window's control; empty: none
    UsageGroup group = UsageGroup::None;
    std::string_view shortOption = {}; // "-s"
    std::string_view longOption = {};  // "--start"; empty: no word sets it on its own
    std::string_view valueName = {};   // "番号": the option takes a value
    std::string_view help = {};        // what the usage says of longOption
    std::string_view offOption = {};   // "--number-only": the word that turns an OnOff row off
    std::string_view offHelp = {};
    std::string_view label = {}; // the value's name in a refusal of the command line ("開始番号")
    // A second field the (on) word sets as well: --extension turns on the
    // extension change, --upper turns lower case off.
    bool RenameOptions::*alsoField = nullptr;
    bool alsoValue = false;
    std::span<const SettingChoice> choices = {}; // Choice: every value, in enumerator order
};

// One sort order: how the window shows it and the command line spells it.
// The row's place in the table is its item in the sort box and its number
// in the settings file.
struct SortRow
{
    SortOrder order;
    std::string_view label; // the sort box's item (MaeSort)
    std::string_view word;  // --sort=WORD
    std::string_view help;  // what torvel-cli's usage says of it
};

// Every key of the settings file, in the order a new file lists them.
std::span<const SettingRow> settingRows();
// Every sort order, in the order of the sort box's items.
std::span<const SortRow> sortRows();

// The order of the sort box's item `item`; none outside its items (the box
// has no item chosen, or the settings file holds another number).
std::optional<SortOrder> sortOrderOfItem(int item);
// The sort box's item of an order.
int itemOfSortOrder(SortOrder order);
// The order --sort=word names; none for another word.
std::optional<SortOrder> sortOrderOfWord(std::string_view word);

// Whether the row is one of the rename options (rather than the window's own).
bool isRenameOption(const SettingRow& row);

// The member a field names when it is a T of Record; nullptr otherwise.
template <typename T, typename Record>
T Record::*const* memberIn(const SettingField& field)
{
    constexpr bool alternative = []<typename... A>(std::variant<A...>*) {
        return (std::is_same_v<T Record::*, A> || ...);
    }(static_cast<SettingField*>(nullptr));
    if constexpr (alternative)
        return std::get_if<T Record::*>(&field);
    else
        return nullptr;
}

// The row's field in the record, or nullptr when it is not a T there.
template <typename T>
T* fieldIn(RenameOptions& options, const SettingField& field)
{
    const auto* member = memberIn<T, RenameOptions>(field);
    return member != nullptr ? &(options.**member) : nullptr;
}
template <typename T>
const T* fieldIn(const RenameOptions& options, const SettingField& field)
{
    const auto* member = memberIn<T, RenameOptions>(field);
    return member != nullptr ? &(options.**member) : nullptr;
}
template <typename T>
T* fieldIn(SettingsRecord& record, const SettingField& field)
{
    if (T* inOptions = fieldIn<T>(record.rename, field))
        return inOptions;
    const auto* member = memberIn<T, SettingsRecord>(field);
    return member != nullptr ? &(record.**member) : nullptr;
}
template <typename T>
const T* fieldIn(const SettingsRecord& record, const SettingField& field)
{
    if (const T* inOptions = fieldIn<T>(record.rename, field))
        return inOptions;
    const auto* member = memberIn<T, SettingsRecord>(field);
    return member != nullptr ? &(record.**member) : nullptr;
}

// A Choice row's field as the place of its choice; -1 for a row of another kind.
int choiceIn(const RenameOptions& options, const SettingRow& row);
// Sets a Choice row's field to the choice at `place` (one of the row's).
void setChoice(RenameOptions& options, const SettingRow& row, int place);

// Sets the row's field from a value as the settings file holds it. A
// missing key is not read at all; a value the row refuses (a number outside
// its range, an empty folder) leaves the field as it is.
void setFromFileText(const SettingRow& row, std::string_view text, SettingsRecord& record);
// The row's value as the settings file writes it.
std::string fileTextOf(const SettingRow& row, const SettingsRecord& record);

} // namespace torvel
