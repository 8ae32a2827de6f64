#pragma once

#include "RenameOptions.h"

#include <string>
#include <string_view>
#include <vector>

namespace torvel {

class ProfileFile;
enum class SaveMode;

// Everything the settings file remembers from one run to the next, one field
// per key (session/SettingRows.cpp binds each key to its field). The window
// fills its controls from a record read at start-up and fills a record from
// its controls at closing; the file itself is read and written only here.
struct SettingsRecord
{
    // Every key's default; the two folders empty.
    SettingsRecord();

    RenameOptions rename;

    std::string searchDir;      // bytes, ends in "/"
    std::string searchExt;      // the open-file dialog's filter
    std::string changeDir;      // bytes, ends in "/"
    std::string saveMethodText; // as read; set from SaveMethod before writing
    bool preview = false;       // NonPreCheck: the grid shows the new names
    bool helpHint = false;      // CheckBox2: controls show their hints
    int buttonSide = 0;         // 1: command buttons at the left edge, 0: at the right
    int heightSize = 0;         // 0 small, 1 medium, 2 large
    int formLeft = 0;
    int formTop = 0;

    bool operator==(const SettingsRecord&) const = default;
};

// The value of a decimal integer text (an optional sign and ASCII digits,
// nothing else), or fallback when the text is anything else or lies outside
// min..max.
int decimalOr(std::string_view text, int min, int max, int fallback);

// The folder that holds the file at path, ending in "/" ("/opt/torvel/torvel"
// gives "/opt/torvel/", "/torvel" gives "/").
std::string folderOfFile(std::string_view path);

// Reads every key in the settings file's fixed key order (settingRows). startFolder (with
// or without its trailing "/") is the default of both folders. A key that is
// missing gets its default, and so does a folder that is empty and a number
// that is not a decimal integer within its range; a folder gets its trailing
// "/". An "ON"/"OFF" key is on only when its value is
// exactly "ON", whatever its default; HEIGHTSIZE "S" is 0, "M" is 1 and
// anything else (lower case and empty included) 2.
SettingsRecord readSettings(const ProfileFile& profile, std::string_view startFolder);

// Puts every key into the profile in the settings file's fixed key order;
// the caller then saves it. Returns the keys whose value the profile refused and which
// therefore keep what the file held (or stay absent).
std::vector<std::string> writeSettings(const SettingsRecord& record, ProfileFile& profile);

// SaveMethod from the save-method text: its first letter, upper-cased, "C"
// copy, "M" move, "R" rename; any other letter and an empty text rename.
SaveMode saveMethodFromText(std::string_view text);

// The save-method text written for SaveMethod: "RENAME", "MOVE" or "COPY".
std::string saveMethodToText(SaveMode saveMethod);

} // namespace torvel
