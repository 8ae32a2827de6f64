#pragma once

#include <atomic>
#include <iosfwd>
#include <string>

#include "CliOptions.h"

namespace torvel {

// Where the command line finds what the window finds in its surroundings.
struct CliEnvironment
{
    std::string settingsPath;        // the window's settings file, read for --settings
    std::string programFolder;       // the default folder of the settings, ending in "/"
    std::string stateFolder;         // where the journals of runs are kept
    std::string workingFolder;       // relative paths start here, ending in "/"; may be empty
    std::istream* answers = nullptr; // a terminal to ask on; none: nothing is asked
    int workingFolderError = 0;      // why workingFolder is empty: an errno value
    // Set to the signal's number by an interrupt (SIGINT, SIGTERM): a run
    // stops at the next file. None: nothing stops a run.
    const std::atomic<int>* stopSignal = nullptr;
};

// Exit statuses, as Linux tools give them.
enum class CliExit : int
{
    Done = 0,          // every file reached its name (or the preview shows no conflict)
    Partly = 1,        // some file did not, or the run could not start
    Usage = 2,         // the command line itself was wrong, or --undo had nobody to ask
    Interrupted = 130, // a run stopped by SIGINT (Ctrl+C), as 128 + the signal
    Terminated = 143,  // a run stopped by SIGTERM
};

// Carries out what the options ask, through the same core and exec code as
// the window. Results go to out, messages to err.
CliExit runCommandLine(const CliOptions& options, const CliEnvironment& env, std::ostream& out,
                       std::ostream& err);

} // namespace torvel
