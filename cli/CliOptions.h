#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "RunTypes.h"
#include "SettingRows.h"

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

// The choice of a Choice row, by its place among the row's choices.
struct ChoicePlace
{
    int place = 0;
};

// One rename option as the command line gives it: the row of the option
// and its value, already checked.
struct GivenOption
{
    const SettingRow* row = nullptr;
    std::variant<bool, int, std::string, SortOrder, ChoicePlace> value;
};

// What the command line asks for: the rename options it gives, in the order
// given, over the defaults (commandLineDefaults), or over a settings file's
// values only when the command line names one.
struct CliOptions
{
    CliAction action = CliAction::Run;
    std::vector<std::string> paths; // files, or one folder (bytes)
    std::vector<GivenOption> given;
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

// An option of the command line that is not a rename option (run, undo,
// help...): its words and its line in the usage.
struct RunOption
{
    std::string_view shortOption;
    std::string_view longOption;
    std::string_view valueName; // the option takes a value
    std::string_view help;
    UsageGroup group;
    bool afterRows; // listed after the group's rename options, else before
    void (*flag)(CliOptions&);
    // Takes the value; false, with the message in error, when it is refused.
    bool (*valued)(CliOptions&, std::string_view name, std::string_view value, std::string& error);
};
std::span<const RunOption> runOptions();

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

// Every option word the parser takes, short and long, so that the usage and
// the manual pages can be checked against it.
std::vector<std::string_view> cliOptionWords();

} // namespace torvel
