#pragma once

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

// The settings file of the running executable; empty when the executable's
// path is unknown.
std::string settingsFilePath();

} // namespace torvel
