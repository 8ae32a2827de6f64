#pragma once

#include "SortOrder.h"

#include <string>

namespace torvel {

// The rename page's options: how the files are ordered, what their new names
// are made of, and how a run treats the files in their way. The window's
// controls, torvel-cli's options and the settings file all stand for these
// fields; each field's key, command-line words, default and range are one row
// of the table in session/SettingRows.cpp. A record made here holds no
// defaults; a SettingsRecord starts from the table's.
struct RenameOptions
{
    SortOrder sortOrder = SortOrder::NameUp; // MaeSort
    std::string identifier;                  // Edit1; cleaned by the caller before naming
    int startNumber = 0;                     // UpDown2 (Edit4)
    int digits = 0;                          // UpDown1 (Edit2)
    std::string extension;                   // Edit3, without its dot
    bool upperCase = false;                  // UpCheck
    bool lowerCase = false;                  // LowCheck; upper case wins when both are on
    bool avoidDuplicates = false;            // JuuhukuCheck: skip taken names, never trash
    bool carrySameNameFiles = false;         // CheckBox1: same base, other extension, follows
    bool keepNumber = false;                 // KetaCheck: keep the number the name ends in
    bool keepNumberIdentifier = false;       // KetaName: the identifier before that number
    bool changeExtension = false;            // ExtCheck: give every file `extension`

    bool operator==(const RenameOptions&) const = default;
};

} // namespace torvel
