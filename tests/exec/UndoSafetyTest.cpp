// Undo and recovery never do harm: they touch only the very files a run
// touched, in the folders its journal was written for, remove nothing but to
// the trash, and act one at a time.

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "AttrChange.h"
#include "PerFileRun.h"
#include "DateChange.h"
#include "JournalFolder.h"
#include "RunReport.h"
#include "Texts.h"
#include "UndoTexts.h"
#include "UniqueFd.h"
#include "PerFileRunSupport.h"
#include "RunTestSupport.h"
#include "common/HeldJournalFolder.h"

namespace torvel {
namespace {

using Names = std::vector<std::string>;

std::string readText(const std::string& path)
{
    std::string text;
    EXPECT_EQ(readWholeFile(path, text), 0);
    return text;
}

void writeText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::uint64_t inodeOf(const std::string& path)
{
    struct stat st
    {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return st.st_ino;
}

class UndoSafety : public JournaledRunTest
{
protected:
    std::string lastJournal()
    {
        JournalRecord record;
        EXPECT_TRUE(lastRunToTakeBack(journalFolder, record));
        return record.path;
    }

    // A drive of its own: memory, when it is another device than the disk.
    bool driveAvailable() const { return drive.device() != src.device(); }

    ScratchDir drive{"/dev/shm"};
    RunSettings toDrive(SaveMode method) const
    {
        return {src.path(), drive.path(), method, true, false};
    }
};

// Photos copied to a drive earlier; moving them there later is refused name
// by name; taking that move back must leave the earlier copies alone, though
// they have the size and the time of the files the run planned to move.
TEST_F(UndoSafety, EarlierCopiesOnADriveSurviveTakingBackARefusedMove)
{
    if (!driveAvailable())
        GTEST_SKIP() << "/dev/shm is on the disk's device here";
    writeAll(src, {"a.jpg", "b.jpg"});
    ASSERT_EQ(
        journaled({{"a.jpg", "a.jpg"}, {"b.jpg", "b.jpg"}}, toDrive(SaveMode::Copy)).converted, 2);
    const RunResult move =
        journaled({{"a.jpg", "a.jpg"}, {"b.jpg", "b.jpg"}}, toDrive(SaveMode::Move));
    ASSERT_EQ(move.converted, 0); // the person kept the copies at the trash question

    const RunResult back = takeBackLast();
    EXPECT_EQ(drive.names(), (Names{"a.jpg", "b.jpg"}));
    EXPECT_EQ(drive.read("a.jpg"), "contents of a.jpg");
    EXPECT_EQ(src.names(), (Names{"a.jpg", "b.jpg"}));
    EXPECT_EQ(back.converted, 0);
}

// Photos moved to a drive, then a new file under an old name is given the
// freed inode number: the moved photos are the only copies and stay.
TEST_F(UndoSafety, AnInodeGivenAgainDoesNotProveTheSourceIsStillThere)
{
    if (!driveAvailable())
        GTEST_SKIP() << "/dev/shm is on the disk's device here";
    writeAll(src, {"a.jpg"});
    ASSERT_EQ(journaled({{"a.jpg", "a.jpg"}}, toDrive(SaveMode::Move)).converted, 1);
    src.write("a.jpg", "a new file");
    // As a quiet file system does: the new file has the old one's number.
    const std::string path = lastJournal();
    std::string text = readText(path);
    const std::string movedFile = "file ";
    const std::size_t at = text.find(movedFile);
    const std::size_t end = text.find(' ', at + movedFile.size());
    text.replace(at + movedFile.size(), end - at - movedFile.size(),
                 std::to_string(inodeOf(src / "a.jpg")));
    writeText(path, text);

    const RunResult back = takeBackLast();
    EXPECT_EQ(drive.read("a.jpg"), "contents of a.jpg");
    EXPECT_EQ(src.read("a.jpg"), "a new file");
    ASSERT_EQ(back.failures.size(), 1u); // listed, not removed
    EXPECT_TRUE(trashed().empty());
}

TEST_F(UndoSafety, ACopyWhoseSourceIsGoneStaysAndIsListed)
{
    writeAll(src, {"a.txt", "b.txt"});
    ASSERT_EQ(journaled({{"a.txt", "x.txt"}, {"b.txt", "y.txt"}}, across(SaveMode::Copy)).converted,
              2);
    ASSERT_EQ(::unlink((src / "a.txt").c_str()), 0);
    const RunResult back = takeBackLast();
    EXPECT_EQ(dst.names(), Names{"x.txt"});
    EXPECT_EQ(trashed(), Names{"y.txt"});
    ASSERT_EQ(back.failures.size(), 1u);
    EXPECT_EQ(back.failures[0].step, RunStep::SourceGone);
}

TEST_F(UndoSafety, TakingBackAttributesGivesBackTheWholeMode)
{
    writeAll(src, {"shared.txt", "group.txt"});
    ASSERT_EQ(::chmod((src / "shared.txt").c_str(), 0664), 0);
    ASSERT_EQ(::chmod((src / "group.txt").c_str(), 0660), 0);
    AttrChangeInput readOnly{attrMasks({AttrChoice::Set, AttrChoice::Keep, AttrChoice::Keep}),
                             src.path(),
                             {"shared.txt", "group.txt"}};
    RunJournal journal(journalFolder);
    ASSERT_EQ(perFileRun(Attr_Change, readOnly, real, feedback, &journal).changed, 2);
    ASSERT_EQ(src.mode("shared.txt") & 0222, 0u);
    EXPECT_TRUE(takeBackLast().failures.empty());
    EXPECT_EQ(src.mode("shared.txt"), 0664u);
    EXPECT_EQ(src.mode("group.txt"), 0660u);
}

// A time stamp run killed after its fourth file: the six it never reached
// still have their own times, and nothing is reported of them.
TEST_F(UndoSafety, ATimeStampRunCutShortListsOnlyWhatCouldNotBeRestored)
{
    Names names;
    for (int i = 0; i < 10; ++i)
        names.push_back("p" + std::to_string(i) + ".jpg");
    writeAll(src, names);
    JournalRecord plan;
    plan.kind = JournalKind::TimeStamp;
    plan.from = plan.to = src.path();
    plan.stamp = {1'700'000'000, 0};
    RunJournal journal(journalFolder);
    ASSERT_EQ(journalChanges(journal, plan, real, names), 0);
    FolderHandle folder(src.path());
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(real.setLastWriteTime(folder, names[static_cast<std::size_t>(i)], plan.stamp), 0);

    const RunResult back = takeBackLast();
    EXPECT_TRUE(back.failures.empty());
    EXPECT_EQ(back.converted, 4);
}

// An immutable file refuses its old time: the failure says the time stamp,
// not a name, could not be restored.
TEST_F(UndoSafety, ATimeThatCannotBeRestoredIsNamedAsSuch)
{
    writeAll(src, {"a.jpg", "b.jpg"});
    DateChangeInput input{2026, 12, 7, 10, 30, 0, src.path(), {"a.jpg", "b.jpg"}, false, {}};
    RunJournal journal(journalFolder);
    ASSERT_EQ(perFileRun(Date_Change, input, real, feedback, &journal).changed, 2);
    UniqueFd fd(::open((src / "b.jpg").c_str(), O_RDONLY | O_CLOEXEC));
    int flags = 0;
    if (::ioctl(fd.get(), FS_IOC_GETFLAGS, &flags) != 0)
        GTEST_SKIP() << "no file flags here";
    flags |= FS_IMMUTABLE_FL;
    if (::ioctl(fd.get(), FS_IOC_SETFLAGS, &flags) != 0)
        GTEST_SKIP() << "no immutable files here";
    const RunResult back = takeBackLast();
    flags &= ~FS_IMMUTABLE_FL;
    ASSERT_EQ(::ioctl(fd.get(), FS_IOC_SETFLAGS, &flags), 0);
    EXPECT_EQ(back.converted, 1);
    ASSERT_EQ(back.failures.size(), 1u);
    EXPECT_NE(failureLine(back.failures[0]).find("更新日時を元に戻せませんでした"),
              std::string::npos);
    EXPECT_EQ(settledSummary(back, true), "1個のファイルを元に戻しました。1個は失敗。");
}

// How far a run got, for the questions before taking it back or finishing.
TEST_F(UndoSafety, TheQuestionsCountWhatTheRunDidAndSayWhereItsFilesWent)
{
    writeAll(src, {"a.txt", "b.txt", "c.txt"});
    dst.write("z.txt", "kept");
    ASSERT_EQ(journaled({{"a.txt", "x.txt"}, {"b.txt", "y.txt"}, {"c.txt", "z.txt"}},
                        across(SaveMode::Move))
                  .converted,
              2);
    JournalRecord record;
    ASSERT_TRUE(lastRunToTakeBack(journalFolder, record));
    EXPECT_EQ(filesDone(record, real), 2u);
    const std::string question = takeBackQuestion(record, 2);
    EXPECT_NE(question.find("3 個のうち 2 個まで"), std::string::npos) << question;
    EXPECT_NE(question.find("保存先: " + dst.path()), std::string::npos) << question;
    EXPECT_NE(unfinishedRunQuestion(record, 2).find("「後で」: 今はすべてをそのままにします"),
              std::string::npos);
}

// Journals are taken in the order they were written, not by the clock: the
// second run here began under a zone whose local time is hours earlier.
TEST_F(UndoSafety, TheLastRunIsTheLastWrittenWhateverTheZone)
{
    writeAll(src, {"first.txt", "second.txt"});
    const char* zone = std::getenv("TZ");
    const std::string saved = zone != nullptr ? zone : "";
    ::setenv("TZ", "Asia/Tokyo", 1);
    ::tzset();
    ASSERT_EQ(journaled({{"first.txt", "1.txt"}}, inPlace()).converted, 1);
    ::setenv("TZ", "America/New_York", 1);
    ::tzset();
    ASSERT_EQ(journaled({{"second.txt", "2.txt"}}, inPlace()).converted, 1);
    if (zone != nullptr)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();

    takeBackLast();
    EXPECT_EQ(src.names(), (Names{"1.txt", "second.txt"}));
}

// Hand-written or damaged journals: each is refused whole, nothing touched.
struct ForgedLine
{
    const char* what;
    const char* from; // replaced in the journal's text
    const char* to;
};

class ForgedJournal : public UndoSafety, public ::testing::WithParamInterface<ForgedLine>
{};

TEST_P(ForgedJournal, IsRefusedAndTouchesNothing)
{
    ScratchDir outside;
    outside.write("victim.txt", "someone's");
    writeAll(src, {"a.txt"});
    const std::uint64_t inode = inodeOf(src / "a.txt");
    ASSERT_EQ(journaled({{"a.txt", "b.txt"}}, inPlace()).converted, 1);
    const std::string path = lastJournal();
    const std::string outsideName =
        outside.path().substr(src.path().rfind('/', src.path().size() - 2) + 1);
    const auto fill = [&](std::string s) {
        for (const auto& [mark, value] :
             {std::pair<std::string, std::string>{"@OUT@", outside.path()},
              {"@OUTNAME@", "..%2F" + outsideName + "victim.txt"},
              {"@VICTIM@", std::to_string(inodeOf(outside / "victim.txt"))},
              {"@INO@", std::to_string(inode)}}) {
            for (std::size_t at; (at = s.find(mark)) != std::string::npos;)
                s.replace(at, mark.size(), value);
        }
        return s;
    };
    if (std::string(GetParam().what) == "FolderReplaced") {
        // Another folder now stands at the path, holding a file of that name.
        ASSERT_EQ(::rename((src / "b.txt").c_str(), (dst / "b.txt").c_str()), 0);
        ASSERT_EQ(::rmdir(src.path().c_str()), 0);
        ASSERT_EQ(::rename(dst.path().c_str(), src.path().c_str()), 0);
    } else {
        std::string text = readText(path);
        const std::string from = fill(GetParam().from);
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), fill(GetParam().to));
        writeText(path, text);
    }
    const Names before = src.names();

    const RunResult back = takeBackLast();
    EXPECT_FALSE(back.started());
    EXPECT_TRUE(back.refusedJournal.has_value());
    EXPECT_EQ(src.names(), before);
    EXPECT_EQ(outside.names(), Names{"victim.txt"});
    EXPECT_EQ(outside.read("victim.txt"), "someone's");
}

// Each forgery replaces the first text with the second in a journal of a
// rename of a.txt to b.txt.
INSTANTIATE_TEST_SUITE_P(
    Journals, ForgedJournal,
    ::testing::Values(ForgedLine{"NameOutsideItsFolder", "@INO@ 0 0 0 a.txt  b.txt",
                                 "@VICTIM@ 0 0 0 a.txt  @OUTNAME@"},
                      ForgedLine{"NewNameWithASlash", "a.txt  b.txt", "a.txt  sub%2Fb.txt"},
                      ForgedLine{"TrashLineOutsideItsFolders", "\nfinished",
                                 "\ntrash @OUT@ planted.txt @OUT@ victim.txt\nfinished"},
                      ForgedLine{"FolderWithDots", "\nfrom /", "\nfrom /tmp/../"},
                      ForgedLine{"FolderReplaced", "", ""}),
    [](const auto& line) { return std::string(line.param.what); });

// A journal damaged before its plan's end is not deleted: it is put aside,
// named to the person, and what can be read of it is offered.
TEST_F(UndoSafety, ADamagedJournalIsKeptAsideAndWhatCanBeReadIsOffered)
{
    src.write("a.txt", "A");
    JournalRecord plan;
    plan.kind = JournalKind::Rename;
    plan.from = plan.to = src.path();
    plan.files = {{"a.txt", "_jd[000a.txt", "z.txt", inodeOf(src / "a.txt"), 0, 0, 0}};
    RunJournal journal(journalFolder);
    ASSERT_EQ(journal.begin(plan), 0);
    ASSERT_EQ(::rename((src / "a.txt").c_str(), (src / "_jd[000a.txt").c_str()), 0);
    std::string text = readText(journal.path());
    text.insert(text.find("planned"), "fil\x01e damaged by the disk\n");
    writeText(journal.path(), text);

    std::vector<JournalRecord> damaged;
    const std::vector<JournalRecord> runs = unfinishedRuns(journalFolder, &damaged);
    ASSERT_EQ(damaged.size(), 1u);
    EXPECT_EQ(damaged[0].path, journal.path() + ".damaged");
    EXPECT_TRUE(state.has(damaged[0].path.substr(state.path().size())));
    ASSERT_EQ(runs.size(), 1u);
    settle(runs[0], false);
    EXPECT_EQ(src.names(), Names{"z.txt"});
}

// A kill in the middle of a line: the next line added does not join it.
TEST_F(UndoSafety, ALineCutShortIsDroppedBeforeTheNextOne)
{
    writeAll(src, {"a.txt"});
    ASSERT_EQ(journaled({{"a.txt", "b.txt"}}, inPlace()).converted, 1);
    const std::string path = lastJournal();
    writeText(path, readText(path) + "arrived b.txt 12");
    ASSERT_EQ(markUndone(path), 0);
    JournalRecord record;
    ASSERT_EQ(readJournal(path, record), 0);
    EXPECT_FALSE(record.damaged);
    EXPECT_TRUE(record.undone);
}

TEST_F(UndoSafety, OldJournalsGoByCountAndSizeTheNewestAlwaysStays)
{
    Names names(20'000, std::string(40, 'x'));
    for (std::size_t i = 0; i < names.size(); ++i)
        names[i] += std::to_string(i);
    for (int run = 0; run < 12; ++run) {
        JournalRecord plan;
        plan.kind = JournalKind::Rename;
        plan.from = plan.to = src.path();
        for (const std::string& name : names)
            plan.files.push_back({name, {}, name + ".new", 1, 0, 0, 0});
        RunJournal journal(journalFolder);
        ASSERT_EQ(journal.begin(plan), 0);
        if (run != 3) { // one run cut short: kept until it is dealt with
            ASSERT_EQ(journal.finish(), 0);
        }
    }
    const std::string newest = journalPaths(journalFolder).back();
    pruneJournals(journalFolder, 50, 1 << 20); // less than one journal holds
    const std::vector<std::string> kept = journalPaths(journalFolder);
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept.back(), newest);
}

// The journal folder is the person's own, and held by one run at a time.
TEST_F(UndoSafety, AJournalFolderOfAnotherAccountOrWritableByOthersIsRefused)
{
    const std::string own = state / "own/torvel/";
    EXPECT_EQ(JournalFolder(own, {}).state(), JournalFolder::State::Held);
    EXPECT_EQ(state.mode("own/torvel"), 0700u);

    const std::string shared = state / "shared/";
    ASSERT_EQ(::mkdir(shared.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 0770), 0);
    const JournalFolder groupWritable(shared, {});
    EXPECT_EQ(groupWritable.state(), JournalFolder::State::NotOwn);
    EXPECT_NE(journalFolderRefusal(groupWritable).find(shared), std::string::npos);

    const std::string foreign = state / "foreign/";
    ASSERT_EQ(::mkdir(foreign.c_str(), 0700), 0);
    ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0); // nobody
    EXPECT_EQ(JournalFolder(foreign, {}).state(), JournalFolder::State::NotOwn);

    const std::string link = state / "link";
    ASSERT_EQ(::symlink(own.c_str(), link.c_str()), 0);
    EXPECT_EQ(JournalFolder(link + "/", {}).state(), JournalFolder::State::NotOwn);
}

TEST_F(UndoSafety, ASecondRunWaitsBrieflyThenSaysAnotherIsUnderWay)
{
    test::HeldJournalFolder other(journalFolder);
    ASSERT_TRUE(other.held());
    const JournalFolder second(journalFolder, std::chrono::milliseconds(200));
    EXPECT_EQ(second.state(), JournalFolder::State::Busy);
    EXPECT_FALSE(journalFolderRefusal(second).empty());
    other.release();
    EXPECT_TRUE(JournalFolder(journalFolder, std::chrono::milliseconds(200)).held());
}

} // namespace
} // namespace torvel
