// Runs that are taken back, and runs that were killed in the middle and are
// finished or taken back at the next start: every file exists exactly once,
// under the expected name, with its own contents, and nothing temporary is
// left behind.

#include <cerrno>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "AttrChange.h"
#include "DateChange.h"
#include "MoveAndCopy.h"
#include "RenameInPlace.h"
#include "RunJournal.h"
#include "RunTestSupport.h"
#include "RunUndo.h"

namespace torvel {
namespace {

using Names = std::vector<std::string>;
using Answer = RunFeedback::TrashAnswer;

std::string numbered(const std::string& prefix, int i)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s%06d.txt", prefix.c_str(), i);
    return text;
}

class RunRecoveryTest : public RunTest
{
protected:
    RunResult journaled(const std::vector<RunRow>& rows, const RunSettings& settings)
    {
        TFileOperation operation(real, &feedback);
        RunJournal journal(journalFolder);
        RunServices services{real, feedback, operation, &journal};
        return settings.SaveMethod == SaveMode::Rename ? File_Rename(rows, settings, services)
                                                       : File_Move(rows, settings, services);
    }

    RunResult takeBackLast()
    {
        JournalRecord record;
        EXPECT_TRUE(lastRunToTakeBack(journalFolder, record));
        return settle(record, true);
    }

    RunResult settle(const JournalRecord& record, bool back)
    {
        TFileOperation operation(real, &feedback);
        RunJournal journal(journalFolder);
        RunServices services{real, feedback, operation, &journal};
        return back ? takeBackRun(record, services) : finishRun(record, services);
    }

    ScratchDir state;
    std::string journalFolder = state.path();
};

TEST_F(RunRecoveryTest, JournalIsReadBackAsWritten)
{
    const std::string odd = sjisPhoto + " 100%\nx";
    RunJournal journal(state / "deeper/");
    JournalRecord plan;
    plan.kind = JournalKind::Move;
    plan.from = "/from " + sjisTable01 + "/";
    plan.to = "/to/";
    plan.files = {{odd, "", sjisSeries, 42, 7, -3, 999'999'999}};
    ASSERT_EQ(journal.begin(plan), 0);
    const std::string volumeTrash = "/media/u/disk/.Trash-" + std::to_string(::geteuid()) + "/";
    ASSERT_EQ(journal.trashed({"/to/", sjisSeries, volumeTrash, sjisSeries + ".2"}), 0);
    JournalRecord record;
    ASSERT_EQ(readJournal(journal.path(), record), 0);
    EXPECT_TRUE(record.planned);
    EXPECT_FALSE(record.finished);
    EXPECT_EQ(record.kind, JournalKind::Move);
    EXPECT_EQ(record.from, "/from " + sjisTable01 + "/");
    ASSERT_EQ(record.files.size(), 1u);
    EXPECT_EQ(record.files[0].oldName, odd);
    EXPECT_EQ(record.files[0].newName, sjisSeries);
    EXPECT_EQ(record.files[0].inode, 42u);
    EXPECT_EQ(record.files[0].mtimeSeconds, -3);
    ASSERT_EQ(record.trashed.size(), 1u);
    EXPECT_EQ(record.trashed[0].trashName, sjisSeries + ".2");

    // Cut short while the plan was written: the run never touched a file.
    std::string text;
    ASSERT_EQ(readWholeFile(journal.path(), text), 0);
    std::ofstream(journal.path(), std::ios::trunc) << text.substr(0, text.find("planned"));
    ASSERT_EQ(readJournal(journal.path(), record), 0);
    EXPECT_FALSE(record.planned);
}

TEST_F(RunRecoveryTest, TakesBackRenamesAndBringsBackWhatWentToTheTrash)
{
    src.write("a.txt", "A");
    src.write("b.txt", "B");
    src.write(sjisPhoto, "photo");
    src.write("c.txt", "in the way");
    src.write("d.txt", "D");
    feedback.answers = {Answer::Yes};
    RunResult run = journaled(
        {{"a.txt", "b.txt"}, {"b.txt", "a.txt"}, {sjisPhoto, "c.txt"}, {"d.txt", "e.txt"}},
        inPlace(false));
    ASSERT_EQ(run.converted, 4);
    // Someone else has since moved one file away and put another under its name.
    ASSERT_EQ(::rename((src / "e.txt").c_str(), (src / "moved.txt").c_str()), 0);
    src.write("e.txt", "someone else's");

    RunResult back = takeBackLast();
    EXPECT_EQ(src.read("a.txt"), "A");
    EXPECT_EQ(src.read("b.txt"), "B");
    EXPECT_EQ(src.read(sjisPhoto), "photo");
    EXPECT_EQ(src.read("c.txt"), "in the way");
    EXPECT_EQ(src.read("e.txt"), "someone else's");
    EXPECT_EQ(src.read("moved.txt"), "D");
    EXPECT_TRUE(trashed().empty());
    ASSERT_EQ(back.failures.size(), 1u);
    EXPECT_EQ(back.failures[0].step, RunStep::Changed);

    JournalRecord none;
    EXPECT_FALSE(lastRunToTakeBack(state.path(), none)); // the taking back is not offered in turn
}

TEST_F(RunRecoveryTest, TakesBackCopiesAndMovesNeverReplacingAFile)
{
    writeAll(src, {"a.txt", "b.txt"});
    ASSERT_EQ(journaled({{"a.txt", "x.txt"}, {"b.txt", "y.txt"}}, across(SaveMode::Copy)).converted,
              2);
    dst.write("y.txt", "changed since"); // no longer the copy the run made
    RunResult back = takeBackLast();
    EXPECT_EQ(dst.names(), Names{"y.txt"});
    EXPECT_EQ(trashed(), Names{"x.txt"});
    EXPECT_EQ(back.failures.size(), 1u);

    ASSERT_EQ(journaled({{"a.txt", "p.txt"}, {"b.txt", "q.txt"}}, across(SaveMode::Move)).converted,
              2);
    src.write("b.txt", "new b"); // the old name is taken meanwhile
    back = takeBackLast();
    EXPECT_EQ(src.read("a.txt"), "contents of a.txt");
    EXPECT_EQ(src.read("b.txt"), "new b");
    EXPECT_EQ(dst.read("q.txt"), "contents of b.txt");
    ASSERT_EQ(back.failures.size(), 1u);
    EXPECT_EQ(back.failures[0].error, EEXIST);
}

TEST_F(RunRecoveryTest, TakesBackTimeStampsAndAttributes)
{
    writeAll(src, {"a.txt", sjisPhoto});
    const timespec old[2] = {{0, UTIME_OMIT}, {1'234'567'890, 123'456'789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (src / "a.txt").c_str(), old, 0), 0);
    DateChangeInput input{2026, 12, 7, 10, 30, 0, src.path(), {"a.txt", sjisPhoto}, false, {}};
    RunJournal journal(journalFolder);
    ASSERT_EQ(Date_Change(input, real, feedback, &journal).changed, 2);
    const timespec later[2] = {{0, UTIME_OMIT}, {1'500'000'000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (src / sjisPhoto).c_str(), later, 0), 0); // touched since

    RunResult back = takeBackLast();
    struct stat st
    {};
    ASSERT_EQ(::stat((src / "a.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, old[1].tv_sec);
    EXPECT_EQ(st.st_mtim.tv_nsec, old[1].tv_nsec);
    ASSERT_EQ(::stat((src / sjisPhoto).c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, later[1].tv_sec);
    ASSERT_EQ(back.failures.size(), 1u);
    EXPECT_EQ(back.failures[0].step, RunStep::Changed);

    AttrChangeInput attributes{
        attrMasks({AttrChoice::Set, AttrChoice::Keep, AttrChoice::Keep}), src.path(), {"a.txt"}};
    RunJournal second(journalFolder);
    ASSERT_EQ(Attr_Change(attributes, real, feedback, &second).changed, 1);
    ASSERT_EQ(::stat((src / "a.txt").c_str(), &st), 0);
    ASSERT_EQ(st.st_mode & 0222, 0u);
    EXPECT_TRUE(takeBackLast().failures.empty());
    ASSERT_EQ(::stat((src / "a.txt").c_str(), &st), 0);
    EXPECT_NE(st.st_mode & 0200, 0u);
}

// The heart of it: a child process runs a large run and is killed at a
// random moment; the next start finishes the run, or takes it back.
struct KillCase
{
    const char* what;
    bool acrossDevices; // a move from the disk to memory, else a rename in place
    bool back;          // take back, else finish
};

class KilledRun : public RunRecoveryTest, public ::testing::WithParamInterface<KillCase>
{
protected:
    int files() const
    {
        const char* wanted = std::getenv("TORVEL_KILL_FILES");
        return wanted != nullptr ? std::atoi(wanted) : 300;
    }

    // Shifted onto itself, so that both phases matter; or carried across.
    std::vector<RunRow> rows(int n) const
    {
        std::vector<RunRow> out;
        for (int i = 0; i < n; ++i)
            out.push_back({numbered("f", i),
                           GetParam().acrossDevices ? numbered("g", i) : numbered("f", i + 1)});
        return out;
    }

    // Runs the rows in a child process, killed after delay (never, when negative).
    void runChild(const std::vector<RunRow>& rows, const RunSettings& settings,
                  std::chrono::microseconds delay)
    {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            journaled(rows, settings);
            ::_exit(0);
        }
        if (delay.count() >= 0) {
            ::usleep(static_cast<useconds_t>(delay.count()));
            ::kill(child, SIGKILL);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
    }

    void expectFiles(const ScratchDir& from, const ScratchDir& to, int n, bool done)
    {
        const ScratchDir& holder = done && GetParam().acrossDevices ? to : from;
        Names expected;
        for (int i = 0; i < n; ++i)
            expected.push_back(GetParam().acrossDevices ? numbered(done ? "g" : "f", i)
                                                        : numbered("f", done ? i + 1 : i));
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(holder.names(), expected); // nothing temporary, nothing twice
        if (GetParam().acrossDevices) {
            ASSERT_TRUE((done ? from : to).names().empty());
        }
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(holder.read(expected[static_cast<std::size_t>(i)]), numbered("f", i));
    }
};

TEST_P(KilledRun, EveryFileOnceWhateverTheMoment)
{
    const int n = files();
    const bool across = GetParam().acrossDevices;
    ScratchDir memory("/dev/shm");
    if (across && memory.device() == src.device())
        GTEST_SKIP() << "/dev/shm and /tmp are one device here";
    const auto prepare = [&](ScratchDir& from) {
        for (int i = 0; i < n; ++i)
            from.write(numbered("f", i), numbered("f", i));
    };
    const auto settings = [&](const ScratchDir& from, const ScratchDir& to) {
        return across ? RunSettings{from.path(), to.path(), SaveMode::Move, true, false}
                      : RunSettings{from.path(), from.path(), SaveMode::Rename, true, false};
    };
    const std::vector<RunRow> all = rows(n);

    // How long the whole run takes, to spread the moments over it.
    std::chrono::microseconds whole{};
    {
        ScratchDir from;
        ScratchDir to(across ? "/dev/shm" : "/tmp");
        prepare(from);
        const auto start = std::chrono::steady_clock::now();
        runChild(all, settings(from, to), std::chrono::microseconds(-1));
        whole = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start);
        expectFiles(from, to, n, true);
    }
    std::mt19937 random(20261207u + static_cast<unsigned>(across) * 2 + GetParam().back);
    std::uniform_int_distribution<long long> moment(0, whole.count() * 11 / 10);
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ScratchDir from;
        ScratchDir to(across ? "/dev/shm" : "/tmp");
        ScratchDir journals;
        prepare(from);
        journalFolder = journals.path();
        runChild(all, settings(from, to), std::chrono::microseconds(moment(random)));

        std::vector<JournalRecord> cut = unfinishedRuns(journalFolder);
        JournalRecord last;
        const bool touched = lastRunToTakeBack(journalFolder, last);
        if (!touched) { // killed before its plan was on the disk
            expectFiles(from, to, n, false);
            continue;
        }
        if (GetParam().back) {
            settle(last, true);
            expectFiles(from, to, n, false);
        } else {
            if (!cut.empty())
                settle(cut.front(), false);
            expectFiles(from, to, n, true);
        }
        EXPECT_TRUE(unfinishedRuns(journalFolder).empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, KilledRun,
                         ::testing::Values(KillCase{"RenameFinished", false, false},
                                           KillCase{"RenameTakenBack", false, true},
                                           KillCase{"MoveFinished", true, false},
                                           KillCase{"MoveTakenBack", true, true}),
                         [](const auto& kind) { return std::string(kind.param.what); });

} // namespace
} // namespace torvel
