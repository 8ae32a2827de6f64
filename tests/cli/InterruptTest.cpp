// An interrupt during a large run of torvel-cli: the run stops at the next
// file, says so, ends with 128 + the signal, and --undo brings every file
// back.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "CliProcess.h"
#include "common/SampleNames.h"

namespace torvel {
namespace {

using Names = std::vector<std::string>;

constexpr int fileCount = 2000;
constexpr int askedAt = 500; // the row whose new name a file outside the batch holds

std::string numbered(const std::string& prefix, int i)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%05d", i);
    return prefix + digits + ".jpg";
}

// A terminal for the child to be asked on; its path, the master kept open.
std::string openTerminal(int& master)
{
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return {};
    return ::ptsname(master);
}

// Waits until text stands in the file at path.
bool waitFor(const ScratchDir& dir, const std::string& name, const std::string& text)
{
    for (int i = 0; i < 60000; ++i) {
        if (dir.read(name).find(text) != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

// The run is stopped where it waits for an answer on the terminal, so that
// where it stops does not depend on how fast it goes.
TEST(CliInterrupt, StopsAtTheNextFileAndUndoBringsEveryFileBack)
{
    const struct
    {
        const char* name;
        int signal;
        int status;
    } cases[] = {{"Ctrl+C", SIGINT, 130}, {"SIGTERM", SIGTERM, 143}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir home;
        home.makeFolder("photos");
        Names args{"-i", "X"};
        Names before;
        for (int i = 0; i < fileCount; ++i) {
            before.push_back(numbered(sjisPhotoBase, i));
            home.write("photos/" + before.back(), before.back());
            args.push_back(home / "photos/" + before.back());
        }
        const std::string outside = numbered("X", askedAt);
        home.write("photos/" + outside, "outside");
        int master = -1;
        const std::string terminal = openTerminal(master);
        ASSERT_FALSE(terminal.empty());
        const pid_t child = test::startCli(home, args, terminal);
        ASSERT_TRUE(waitFor(home, "err", "ごみ箱に移動しますか")) << home.read("err");
        ::kill(child, c.signal);
        EXPECT_EQ(test::exitStatusOf(child), c.status) << home.read("err");
        ::close(master);
        EXPECT_EQ(home.read("out"), "中断しました。499個のファイルを変換しました。1個は失敗。"
                                    "残りの 1500 個のファイルはそのままです。"
                                    "（torvel-cli --undo で元に戻せます）\n");
        // Every file once, under its old name or its new one.
        Names after;
        for (int i = 0; i < fileCount; ++i)
            after.push_back(i < askedAt - 1 ? numbered("X", i + 1) : before[i]);
        after.push_back(outside);
        std::sort(after.begin(), after.end());
        EXPECT_EQ(home.names("photos"), after);

        EXPECT_EQ(test::runCli(home, {"--undo", "--yes"}), 0) << home.read("err");
        Names back = before;
        back.push_back(outside);
        std::sort(back.begin(), back.end());
        EXPECT_EQ(home.names("photos"), back);
        EXPECT_EQ(home.read("photos/" + before.front()), before.front());
        EXPECT_EQ(home.read("photos/" + outside), "outside");
    }
}

} // namespace
} // namespace torvel
