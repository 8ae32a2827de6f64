#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FilesList.h"
#include "RunTypes.h"

namespace torvel {

struct SettingsRecord;

// What the command line asks for.
enum class CliAction : std::uint8_t
{
    Run,     // rename, move or copy the files
    DryRun,  // print the preview only
    Undo,    // take back the last run
    Help,    // print the usage on stdout
    Version, // print the version on stdout
};

// The rename page's options as given on the command line; what is not given
// comes from the defaults (commandLineDefaults), or from a settings file only
// when the command line names one.
struct CliOptions
{
    CliAction action = CliAction::Run;
    std::vector<std::string> paths; // files, or one folder (bytes)

    std::optional<std::string> identifier;
    std::optional<int> start;
    std::optional<int> digits;
    std::optional<std::string> extension; // given: the extension is changed
    std::optional<bool> changeExtension;
    std::optional<bool> upper;
    std::optional<bool> lower;
    std::optional<bool> keepNumber;
    std::optional<bool> keepNumberIdentifier;
    std::optional<SortOrder> sort;
    std::optional<bool> noDuplicates;
    std::optional<bool> sameName;
    // Not from the settings file: a command line renames in place unless it
    // names a folder to move or copy into.
    SaveMode save = SaveMode::Rename;
    std::string destination;
    std::vector<std::string> only; // extensions to take, without dots; empty: all
    // The settings file whose values stand for the options not given: none,
    // the defaults; empty, the window's own; else that file's path (bytes).
    std::optional<std::string> settingsFile;
    bool yes = false;    // every file in the way goes to the trash unasked
    bool dryRun = false; // with --undo: show what would be taken back
};

// Parses the arguments after the program's name. On a mistake returns none
// and puts the message (UTF-8, without the program's name) in error.
std::optional<CliOptions> parseCliOptions(const std::vector<std::string>& args, std::string& error);

// What a command line starts from when it names no settings file: the
// values of the window's first start, but no identifier, which the person
// gives, so that a name is never made of a word nobody typed.
SettingsRecord commandLineDefaults();

// The options over the defaults or the settings file's values.
SettingsRecord withOptions(SettingsRecord settings, const CliOptions& options);

// The text of --help.
std::string cliUsage();

// Every word --sort takes, so that the usage and the manual pages can be
// checked against what the parser knows.
std::vector<std::string_view> sortOrderWords();

} // namespace torvel
