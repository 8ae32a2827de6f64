#pragma once

#include <string>
#include <string_view>

namespace torvel {

// The user's own folders, each absolute and ending in "/", or empty when there
// is none.

// Home: $HOME when it is absolute, else the password database's.
std::string homeFolder();

// The configuration home: $XDG_CONFIG_HOME when it is absolute, else
// ~/.config/.
std::string configHomeFolder();

// The folder that the line `key="..."` of a user-dirs.dirs text names ($HOME
// standing for home); empty when the text names none or names home itself,
// which means "no such folder".
std::string userDirFromUserDirs(std::string_view text, std::string_view key, std::string_view home);

// Where pictures are kept: XDG_PICTURES_DIR in the configuration home's
// user-dirs.dirs when that folder exists, else home, else the root.
std::string picturesFolder();

} // namespace torvel
