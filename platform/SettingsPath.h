#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace torvel {

// The path of the running executable as the kernel knows it; empty when it
// cannot be found out.
std::string runningExecutablePath();

// The settings file that belongs to an executable: its path with the
// extension of the last name replaced by ".ini", or ".ini" appended when the
// name has none ("/opt/torvel/torvel" -> "/opt/torvel/torvel.ini"). A leading
// dot starts a hidden name, not an extension.
std::string settingsPathFor(std::string_view executablePath);

// The per-user settings file: torvel/torvel.ini in the configuration home
// (configHome ends in "/"); empty when there is no configuration home.
std::string userSettingsPath(const std::string& configHome);

// Where the settings are read and written. The file beside the executable
// (portable) is used only when it already stands there and can be written:
// a copy of the program carried with its settings. Otherwise the per-user
// file, so that a program installed where its users cannot write still
// remembers each user's settings.
std::string chooseSettingsPath(const std::string& portable, const std::string& configHome,
                               const std::function<bool(const std::string&)>& replaceable);

// True when the file at path exists and can be replaced: the file and its
// folder are writable (the settings are saved by a rename in that folder).
bool canReplaceFile(const std::string& path);

// Creates the folders above filePath that are missing, private to the user;
// false when one could not be made.
bool makeFoldersFor(const std::string& filePath);

// The settings file of the running program, chosen as above.
std::string settingsFilePath();

} // namespace torvel
