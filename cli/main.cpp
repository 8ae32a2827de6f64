// The command-line front end: the rename page's run without a window.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "ByteText.h"
#include "CliSession.h"
#include "DurableFile.h"
#include "SettingsPath.h"
#include "SettingsRecord.h"
#include "TorvelVersion.h"
#include "WorkingFolder.h"

int main(int argc, char* argv[])
{
    using namespace torvel;
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const std::optional<CliOptions> options = parseCliOptions(args, error);
    if (!options) {
        std::cerr << "torvel-cli: " << error << "\n詳しくは torvel-cli --help を見てください。\n";
        return static_cast<int>(CliExit::Usage);
    }
    if (options->action == CliAction::Help) {
        std::cout << cliUsage();
        return 0;
    }
    if (options->action == CliAction::Version) {
        std::cout << "torvel-cli " << torvelVersion << '\n';
        return 0;
    }
    CliEnvironment env;
    env.programFolder = folderOfFile(runningExecutablePath());
    // The window's settings, wherever it keeps them.
    env.settingsPath = settingsFilePath();
    env.stateFolder = stateFolder();
    const WorkingFolder here = currentWorkingFolder();
    env.workingFolder = here.path;
    env.workingFolderError = here.error;
    if (::isatty(STDIN_FILENO) == 1)
        env.answers = &std::cin;
    return static_cast<int>(runCommandLine(*options, env, std::cout, std::cerr));
}
