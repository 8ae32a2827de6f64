#pragma once

#include <string>
#include <vector>

namespace torvel {

// What a start of the program was asked to do.
enum class CommandAction
{
    Open,    // open the window, with the named files chosen (maybe none)
    Help,    // print the usage and end
    Version, // print the version and end
    Bad      // an option the program does not know: say so and end
};

struct CommandLine
{
    CommandAction action = CommandAction::Open;
    // Open: the named files and folders as absolute paths (bytes, as given).
    std::vector<std::string> paths;
    // Bad: the option not understood.
    std::string badOption;
    // Open: a name was relative and there was no working folder to take it
    // from; it is left out of paths.
    bool needsWorkingFolder = false;
};

// Reads the arguments after the program's name. "--help"/"-h" and
// "--version"/"-V" win wherever they stand; "--" ends the options; any other
// argument starting with "-" is an unknown option. A relative name is taken
// from currentFolder (absolute, ends in "/"; empty when the working folder has
// no name), and "." and ".." are resolved by name, so that the window shows
// "/photos/" rather than "/photos/./".
CommandLine parseCommandLine(const std::vector<std::string>& args,
                             const std::string& currentFolder);

// The usage printed for --help.
const char* commandLineHelp();

} // namespace torvel
