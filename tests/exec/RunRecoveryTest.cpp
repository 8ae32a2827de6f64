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
#include "FileInfo.h"
#include "MoveAndCopy.h"
#include "RenameInPlace.h"
#include "RunJournal.h"
#include "PerFileRunSupport.h"
#include "RunTestSupport.h"
#include "JournalFolder.h"
#include "PosixFileOps.h"
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

using RunRecoveryTest = JournaledRunTest;

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
    ASSERT_EQ(perFileRun(Date_Change, input, real, feedback, &journal).changed, 2);
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
    ASSERT_EQ(perFileRun(Attr_Change, attributes, real, feedback, &second).changed, 1);
    ASSERT_EQ(::stat((src / "a.txt").c_str(), &st), 0);
    ASSERT_EQ(st.st_mode & 0222, 0u);
    EXPECT_TRUE(takeBackLast().failures.empty());
    ASSERT_EQ(::stat((src / "a.txt").c_str(), &st), 0);
    EXPECT_NE(st.st_mode & 0200, 0u);
}

// The heart of it: a child process is killed at a random moment of a run,
// of the taking back of a run, or between the two steps of a rename where
// the file system has no rename that refuses to replace; the next start
// finishes or takes back what was cut short, and every file is there once.
enum class Killed : std::uint8_t
{
    Run,    // the run itself
    Undo,   // 元に戻す of a run that came to its end
    Finish, // 続行 of a run that was itself cut short
    Linked, // a rename made of a link and an unlink, between the two
};

struct KillCase
{
    const char* what;
    bool acrossDevices; // a move from the disk to memory, else a rename in place
    bool back;          // recover by taking back (元に戻す again), else by finishing (続行)
    Killed killed = Killed::Run;
    // A move back onto the disk writes each file through: fewer files keep
    // those cases as quick as the others.
    int files = 300;
};

// A file system without a rename that refuses to replace, as on network
// shares: a link, then an unlink; the process dies between the two at the
// chosen call.
class LinkThenUnlink : public PosixFileSystem
{
public:
    explicit LinkThenUnlink(int dieAt)
        : m_dieAt(dieAt)
    {}

    int renameNoReplace(const FolderHandle& fromDir, const std::string& from,
                        const FolderHandle& toDir, const std::string& to) override
    {
        if (++m_calls == m_dieAt) {
            if (::linkat(fromDir.fd(), from.c_str(), toDir.fd(), to.c_str(), 0) != 0)
                return errno;
            ::raise(SIGKILL);
        }
        return renameByLink(fromDir.fd(), from.c_str(), toDir.fd(), to.c_str());
    }

private:
    int m_dieAt;
    int m_calls = 0;
};

// The trash of a device's top folder as a test found it: what the test sent
// there (the extra copies of moves cut short) goes when the test ends.
class DeviceTrashAsFound
{
public:
    explicit DeviceTrashAsFound(const std::string& topdir)
        : m_trash(topdir + ".Trash-" + std::to_string(::geteuid()) + "/")
        , m_files(names("files"))
        , m_info(names("info"))
    {}
    ~DeviceTrashAsFound()
    {
        for (const auto& [sub, before] : {std::pair{"files", &m_files}, {"info", &m_info}}) {
            for (const std::string& name : names(sub)) {
                if (!std::binary_search(before->begin(), before->end(), name))
                    (void)::unlink((m_trash + sub + "/" + name).c_str());
            }
        }
    }
    DeviceTrashAsFound(const DeviceTrashAsFound&) = delete;
    DeviceTrashAsFound& operator=(const DeviceTrashAsFound&) = delete;

private:
    Names names(const std::string& sub) const
    {
        std::vector<ListedEntry> entries;
        Names found;
        if (listFolder(m_trash + sub + "/", entries) == 0) {
            for (const ListedEntry& entry : entries)
                found.push_back(entry.name);
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    std::string m_trash;
    Names m_files;
    Names m_info;
};

class KilledRun : public RunRecoveryTest, public ::testing::WithParamInterface<KillCase>
{
protected:
    int files() const
    {
        const char* wanted = std::getenv("TORVEL_KILL_FILES");
        return wanted != nullptr ? std::atoi(wanted) : GetParam().files;
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

    // Does what the case kills in a child process, killed after delay (never,
    // when negative); a linked rename dies at the call numbered by delay.
    void runChild(const std::vector<RunRow>& rows, const RunSettings& settings,
                  std::chrono::microseconds delay)
    {
        const Killed killed = GetParam().killed;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (killed == Killed::Undo) {
                takeBackLast();
            } else if (killed == Killed::Finish) {
                for (const JournalRecord& run : unfinishedRuns(journalFolder))
                    settle(run, false);
            } else if (killed == Killed::Linked) {
                LinkThenUnlink links(static_cast<int>(delay.count()));
                journaled(rows, settings, &links);
            } else {
                journaled(rows, settings);
            }
            ::_exit(0);
        }
        if (delay.count() >= 0 && killed != Killed::Linked) {
            ::usleep(static_cast<useconds_t>(delay.count()));
            ::kill(child, SIGKILL);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
    }

    // The run in a child killed half-way through it, as measured once.
    void cutShort(const std::vector<RunRow>& rows, const RunSettings& settings)
    {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            journaled(rows, settings);
            ::_exit(0);
        }
        ::usleep(static_cast<useconds_t>(halfRun.count()));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
    }
    std::chrono::microseconds halfRun{2000};

    // Whether every file is there once, with its contents, under the names
    // before the run (done false) or after it.
    ::testing::AssertionResult filesAre(const ScratchDir& from, const ScratchDir& to, int n,
                                        bool done)
    {
        const ScratchDir& holder = done && GetParam().acrossDevices ? to : from;
        Names expected;
        for (int i = 0; i < n; ++i)
            expected.push_back(GetParam().acrossDevices ? numbered(done ? "g" : "f", i)
                                                        : numbered("f", done ? i + 1 : i));
        std::sort(expected.begin(), expected.end());
        if (holder.names() != expected) // nothing temporary, nothing twice
            return ::testing::AssertionFailure() << holder.names().size() << " names";
        if (GetParam().acrossDevices && !(done ? from : to).names().empty())
            return ::testing::AssertionFailure() << "files left behind";
        for (int i = 0; i < n; ++i) {
            if (holder.read(expected[static_cast<std::size_t>(i)]) != numbered("f", i))
                return ::testing::AssertionFailure() << expected[static_cast<std::size_t>(i)];
        }
        return ::testing::AssertionSuccess();
    }

    // What the next start does: takes back the last journal (元に戻す again;
    // a settling cut short is finished), or finishes every run cut short.
    void recover(const ScratchDir& from, const ScratchDir& to, int n)
    {
        const std::vector<JournalRecord> cut = unfinishedRuns(journalFolder);
        JournalRecord last;
        const bool touched = lastRunToTakeBack(journalFolder, last);
        if (GetParam().back) {
            if (touched)
                takeBackLast();
            EXPECT_TRUE(filesAre(from, to, n, false));
        } else {
            for (const JournalRecord& run : cut)
                settle(run, false);
            if (GetParam().killed == Killed::Undo || GetParam().killed == Killed::Finish)
                EXPECT_TRUE(filesAre(from, to, n, false) || filesAre(from, to, n, true));
            else
                EXPECT_TRUE(filesAre(from, to, n, touched));
        }
        EXPECT_TRUE(unfinishedRuns(journalFolder).empty());
    }
};

TEST_P(KilledRun, EveryFileOnceWhateverTheMoment)
{
    const int n = files();
    const bool across = GetParam().acrossDevices;
    ScratchDir memory("/dev/shm");
    if (across && memory.device() == src.device())
        GTEST_SKIP() << "/dev/shm and /tmp are one device here";
    const DeviceTrashAsFound memoryTrash("/dev/shm/");
    const auto settings = [&](const ScratchDir& from, const ScratchDir& to) {
        return across ? RunSettings{from.path(), to.path(), SaveMode::Move, true, false}
                      : RunSettings{from.path(), from.path(), SaveMode::Rename, true, false};
    };
    const auto prepare = [&](ScratchDir& from, ScratchDir& to) {
        for (int i = 0; i < n; ++i)
            from.write(numbered("f", i), numbered("f", i));
        if (GetParam().killed == Killed::Undo) // the run to take back, whole
            journaled(rows(n), settings(from, to));
        if (GetParam().killed == Killed::Finish) // the run to finish, cut short
            cutShort(rows(n), settings(from, to));
    };
    const std::vector<RunRow> all = rows(n);

    // How long the whole of it takes, to spread the moments over it.
    std::chrono::microseconds whole{};
    if (GetParam().killed == Killed::Finish) { // and the run it finishes
        ScratchDir from;
        ScratchDir to(across ? "/dev/shm" : "/tmp");
        for (int i = 0; i < n; ++i)
            from.write(numbered("f", i), numbered("f", i));
        const auto start = std::chrono::steady_clock::now();
        journaled(all, settings(from, to));
        halfRun = std::chrono::duration_cast<std::chrono::microseconds>(
                      std::chrono::steady_clock::now() - start)
                  / 2;
    }
    {
        ScratchDir from;
        ScratchDir to(across ? "/dev/shm" : "/tmp");
        ScratchDir journals;
        journalFolder = journals.path();
        prepare(from, to);
        const auto start = std::chrono::steady_clock::now();
        runChild(all, settings(from, to), std::chrono::microseconds(-1));
        whole = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start);
        EXPECT_TRUE(filesAre(from, to, n, GetParam().killed != Killed::Undo)
                    || GetParam().killed == Killed::Finish);
    }
    std::mt19937 random(20261207u + static_cast<unsigned>(across) * 2 + GetParam().back
                        + static_cast<unsigned>(GetParam().killed) * 4);
    std::uniform_int_distribution<long long> moment(0, whole.count() * 11 / 10);
    std::uniform_int_distribution<long long> call(1, n + n / 10);
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ScratchDir from;
        ScratchDir to(across ? "/dev/shm" : "/tmp");
        ScratchDir journals;
        journalFolder = journals.path();
        prepare(from, to);
        runChild(all, settings(from, to),
                 std::chrono::microseconds(GetParam().killed == Killed::Linked ? call(random)
                                                                               : moment(random)));
        recover(from, to, n);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, KilledRun,
    ::testing::Values(KillCase{"RenameFinished", false, false},
                      KillCase{"RenameTakenBack", false, true},
                      KillCase{"MoveFinished", true, false},
                      KillCase{"MoveTakenBack", true, true, Killed::Run, 100},
                      KillCase{"UndoOfRenameFinished", false, false, Killed::Undo},
                      KillCase{"UndoOfRenameUndoneAgain", false, true, Killed::Undo},
                      KillCase{"UndoOfMoveFinished", true, false, Killed::Undo, 100},
                      KillCase{"UndoOfMoveUndoneAgain", true, true, Killed::Undo, 100},
                      KillCase{"FinishOfMoveFinished", true, false, Killed::Finish},
                      KillCase{"FinishOfRenameUndone", false, true, Killed::Finish},
                      KillCase{"LinkedRenameFinished", false, false, Killed::Linked},
                      KillCase{"LinkedRenameTakenBack", false, true, Killed::Linked}),
    [](const auto& kind) { return std::string(kind.param.what); });

// Two runs started at once: the second waits for the first to end, and
// each is taken back in turn, the last one first.
TEST_F(RunRecoveryTest, TwoRunsAtOnceGoOneAfterTheOther)
{
    ScratchDir other;
    for (int i = 0; i < 200; ++i) {
        src.write(numbered("a", i), "a");
        other.write(numbered("b", i), "b");
    }
    std::vector<pid_t> children;
    for (const ScratchDir* folder : {&src, &other}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const JournalFolder held(journalFolder, std::chrono::seconds(20));
            std::vector<RunRow> rows;
            for (const std::string& name : folder->names())
                rows.push_back({name, "x" + name});
            const RunSettings here{folder->path(), folder->path(), SaveMode::Rename, true, false};
            ::_exit(held.held() && journaled(rows, here).converted == 200 ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(journalPaths(journalFolder).size(), 2u);
    takeBackLast();
    takeBackLast();
    EXPECT_EQ(src.names().front(), numbered("a", 0));
    EXPECT_EQ(other.names().front(), numbered("b", 0));
    EXPECT_TRUE(unfinishedRuns(journalFolder).empty());
}

} // namespace
} // namespace torvel
