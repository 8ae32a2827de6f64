// torvel-cli started in a working folder that was removed: a relative path
// names nothing, and nothing is done in its stead.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/ScratchDir.h"

using namespace torvel;

namespace {

using Names = std::vector<std::string>;

// The exit status of torvel-cli run with args in a folder removed once the
// process is in it; what it printed goes to dir's "out" and "err".
int runInRemovedFolder(const ScratchDir& dir, const Names& args)
{
    std::vector<char*> argv{const_cast<char*>(TORVEL_CLI_EXECUTABLE)};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const std::string gone = dir / "gone";
    const pid_t child = ::fork();
    if (child == 0) {
        const int out = ::open((dir / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open((dir / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        ::setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
        if (::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 || ::mkdir(gone.c_str(), 0755) != 0
            || ::chdir(gone.c_str()) != 0 || ::rmdir(gone.c_str()) != 0)
            ::_exit(125);
        ::execv(argv.front(), argv.data());
        ::_exit(126);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CliWorkingFolder, ARemovedFolderNamesNothingButAbsolutePathsStillWork)
{
    ScratchDir dir;
    dir.makeFolder("photos");
    dir.write("photos/a.jpg", "A");
    const std::string lost = "作業フォルダを開けませんでした。ﾌｧｲﾙが見つかりません\n";
    struct Case
    {
        const char* name;
        Names args;
        int status;
        std::string err;
    };
    // Relative names are previewed or refused only, so that the root, where
    // such a name once led, is never worked on by this test.
    const Case cases[] = {
        {"the folder itself", {"--dry-run", "-i", "X", "."}, 1, lost},
        {"a name in it", {"-i", "X", "a.jpg"}, 1, lost},
        {"a folder in it to move to",
         {"--dry-run", "-i", "X", "--move=out", dir / "photos/"},
         1,
         lost},
        {"an absolute path", {"-i", "X", "-d", "1", dir / "photos/"}, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(runInRemovedFolder(dir, c.args), c.status);
        EXPECT_EQ(dir.read("err"), c.err);
        if (c.status != 0) {
            EXPECT_EQ(dir.read("out"), "");
        }
    }
    EXPECT_EQ(dir.names("photos"), Names{"X1.jpg"});
}

} // namespace
