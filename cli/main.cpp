// The command-line front end: the rename page's run without a window.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <iostream>
#include <string>
#include <vector>

#include "ByteText.h"
#include "CliSession.h"
#include "DurableFile.h"
#include "SettingsPath.h"
#include "SettingsRecord.h"
#include "TorvelVersion.h"
#include "UserFolders.h"
#include "WorkingFolder.h"

namespace {

std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

extern "C" void askToStop(int signal)
{
    const int saved = errno;
    stopSignal = signal;
    // A question on the terminal, asked now or about to be, reads no answer:
    // the file stays, and the run stops after it.
    const int none = ::open("/dev/null", O_RDONLY);
    if (none >= 0) {
        ::dup2(none, STDIN_FILENO);
        ::close(none);
    }
    errno = saved;
}

// Ctrl+C (or SIGTERM) during a run stops it at the next file. Without
// SA_RESTART a question being read ends at once; SA_RESETHAND lets a second
// interrupt end the process where it is, which the journal takes back or
// finishes as it does a crash.
void stopRunsOnInterrupt()
{
    struct sigaction action
    {};
    action.sa_handler = askToStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

} // namespace

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
    // The window's settings file, where the window keeps it: beside the
    // window's executable in portable mode (this folder), else the user's.
    const std::string portable =
        env.programFolder.empty() ? std::string() : settingsPathFor(env.programFolder + "torvel");
    env.settingsPath = chooseSettingsPath(portable, configHomeFolder(), canReplaceFile);
    env.stateFolder = stateFolder();
    const WorkingFolder here = currentWorkingFolder();
    env.workingFolder = here.path;
    env.workingFolderError = here.error;
    if (::isatty(STDIN_FILENO) == 1)
        env.answers = &std::cin;
    // Taking a run back is not stopped halfway this way: an interrupt ends
    // it as a crash would, and the journal finishes it later.
    if (options->action == CliAction::Run) {
        stopRunsOnInterrupt();
        env.stopSignal = &stopSignal;
    }
    return static_cast<int>(runCommandLine(*options, env, std::cout, std::cerr));
}
