#pragma once

#include "SortOrder.h"

#include <cstdint>
#include <string>

namespace torvel {

// Where the date in a new name comes from.
enum class DateSource : std::uint8_t
{
    None,     // the names carry no date
    Shot,     // the shooting date the file records; its time stamp when it has none
    Modified, // the file's time stamp, in local time
};

// The letter case of the new names' extensions, apart from the case of the
// rest of the name.
enum class ExtensionCase : std::uint8_t
{
    AsIs, // as the name's case leaves it
    Lower,
    Upper,
};

// The rename page's options: how the files are ordered, what their new names
// are made of, and how a run treats the files in their way. The window's
// controls, torvel-cli's options and the settings file all stand for these
// fields; each field's key, command-line words, default and range are one row
// of the table in session/SettingRows.cpp. A record made here holds no
// defaults; a SettingsRecord starts from the table's.
struct RenameOptions
{
    SortOrder sortOrder = SortOrder::NameUp;  // MaeSort
    std::string identifier;                   // Edit1; cleaned by the caller before naming
    int startNumber = 0;                      // UpDown2 (Edit4)
    int digits = 0;                           // UpDown1 (Edit2)
    std::string extension;                    // Edit3, without its dot
    bool upperCase = false;                   // UpCheck
    bool lowerCase = false;                   // LowCheck; upper case wins when both are on
    bool avoidDuplicates = false;             // JuuhukuCheck: skip taken names, never trash
    bool carrySameNameFiles = false;          // CheckBox1: same base, other extension, follows
    bool keepNumber = false;                  // KetaCheck: keep the number the name ends in
    bool keepNumberIdentifier = false;        // KetaName: the identifier before that number
    bool changeExtension = false;             // ExtCheck: give every file `extension`
    DateSource dateSource = DateSource::None; // DateSourceBox
    std::string datePattern;                  // DateFormatBox: a DatePattern's text
    bool dateAfterIdentifier = false;         // DateAfterCheck: else the date comes first
    bool numberPerDate = false;               // DateNumberCheck: a series per date text
    ExtensionCase extensionCase = ExtensionCase::AsIs; // ExtCaseBox

    bool operator==(const RenameOptions&) const = default;
};

} // namespace torvel
