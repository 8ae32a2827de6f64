#include <cerrno>
#include <fstream>
#include <iterator>

#include <sys/stat.h>
#include <sys/time.h>
#include <sys/xattr.h>

#include "MoveAndCopy.h"
#include "RunDriver.h"
#include "RunReport.h"
#include "RunTestSupport.h"
#include "common/FatVolume.h"
#include "common/FaultyFileSystem.h"

using namespace torvel;

namespace {

using Answer = RunFeedback::TrashAnswer;
using Names = std::vector<std::string>;

class MoveAndCopyTest : public RunTest
{
protected:
    RunResult transfer(const std::vector<RunRow>& rows, const RunSettings& settings,
                       FileSystem* fs = nullptr)
    {
        FileSystem& used = fs != nullptr ? *fs : real;
        TFileOperation operation(used, &feedback);
        RunServices services{used, feedback, operation};
        return runRenamePage(rows, settings, services);
    }

    static long mtimeOf(const std::string& path)
    {
        struct stat st
        {};
        ::stat(path.c_str(), &st);
        return static_cast<long>(st.st_mtime);
    }

    static void setMtime(const std::string& path, long seconds)
    {
        const timeval times[2] = {{seconds, 0}, {seconds, 0}};
        ::utimes(path.c_str(), times);
    }
};

TEST_F(MoveAndCopyTest, SameNameFilesFollowAndATakenTargetIsLeftAloneAndReported)
{
    writeAll(src, {"photo.jpg", "photo.txt", "photo.xmp", "photograph.jpg"});
    dst.write("TOR01.txt", "already here");
    RunResult result = transfer({{"photo.jpg", "TOR01.jpg"}}, across(SaveMode::Move, true));

    EXPECT_EQ(dst.names(), (Names{"TOR01.jpg", "TOR01.txt", "TOR01.xmp"}));
    EXPECT_EQ(dst.read("TOR01.txt"), "already here");
    EXPECT_EQ(dst.read("TOR01.xmp"), "contents of photo.xmp");
    EXPECT_EQ(src.names(), (Names{"photo.txt", "photograph.jpg"}));
    EXPECT_TRUE(feedback.asked.empty()); // same-name files never replace anything
    EXPECT_EQ(result.converted, 1);
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(failureLine(result.failures[0]),
              "photo.txt → "
              "TOR01.txt：同名ファイルを移動できませんでした（同じ名前のファイルがあります）");

    ASSERT_EQ(feedback.statuses.size(), 1u);
    EXPECT_EQ(feedback.statuses[0],
              (RunStatus{RunActivity::Transferring, "photo.jpg", "TOR01.jpg"}));
}

TEST_F(MoveAndCopyTest, CopyLeavesEverySourceInPlace)
{
    writeAll(src, {sjisPhoto, "\x8e\xca\x90\x5e.xmp", "b.txt"});
    setMtime(src / "b.txt", 1'000'000'000);
    src.makeFolder("\x8e\xca\x90\x5e.d"); // a folder is not a file to copy
    RunResult result =
        transfer({{sjisPhoto, sjisSeries}, {"b.txt", "c.txt"}}, across(SaveMode::Copy, true));

    EXPECT_EQ(src.names().size(), 4u);
    EXPECT_EQ(dst.names(), (Names{"c.txt", sjisSeries,
                                  "\x89\xe6\x91\x9c"
                                  "01.xmp"}));
    EXPECT_EQ(dst.read(sjisSeries), "contents of " + sjisPhoto);
    EXPECT_EQ(mtimeOf(dst / "c.txt"), 1'000'000'000);
    EXPECT_TRUE(result.failures.empty());
    EXPECT_EQ(result.converted, 2);
    EXPECT_EQ(feedback.lastDone, 2);
    EXPECT_EQ(feedback.lastTotal, 2);
}

TEST_F(MoveAndCopyTest, AnExistingTargetIsOfferedToTheTrashEvenWhenAvoidingDuplicates)
{
    src.write("a.txt", "A");
    dst.write("x.txt", "old x");
    RunSettings settings = across(SaveMode::Move);
    ASSERT_TRUE(settings.avoidDuplicates);
    {
        SCOPED_TRACE("declined: nothing moves");
        feedback.answers = {Answer::No};
        RunResult result = transfer({{"a.txt", "x.txt"}}, settings);
        EXPECT_EQ(feedback.asked, Names{dst / "x.txt"});
        EXPECT_EQ(src.names(), Names{"a.txt"});
        EXPECT_EQ(dst.read("x.txt"), "old x");
        ASSERT_EQ(result.failures.size(), 1u);
        EXPECT_EQ(result.failures[0].step, RunStep::Declined);
        EXPECT_EQ(result.converted, 0);
    }
    {
        SCOPED_TRACE("confirmed");
        feedback.answers = {Answer::Yes};
        RunResult result = transfer({{"a.txt", "x.txt"}}, settings);
        EXPECT_TRUE(src.names().empty());
        EXPECT_EQ(dst.read("x.txt"), "A");
        EXPECT_EQ(data.read("Trash/files/x.txt"), "old x");
        EXPECT_EQ(result.converted, 1);
    }
}

TEST_F(MoveAndCopyTest, ATrashThatRefusesKeepsTheRowFromMoving)
{
    src.write("a.txt", "A");
    dst.write("x.txt", "old x");
    FaultyFileSystem fs(real);
    fs.fail(FsCall::Trash, EXDEV);
    feedback.answers = {Answer::Yes};
    RunResult result = transfer({{"a.txt", "x.txt"}}, across(SaveMode::Move), &fs);

    EXPECT_EQ(src.names(), Names{"a.txt"});
    EXPECT_EQ(dst.names(), Names{"x.txt"});
    EXPECT_EQ(dst.read("x.txt"), "old x");
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].step, RunStep::Trash);
    EXPECT_EQ(result.failures[0].error, EXDEV);
    EXPECT_EQ(fs.calls(FsCall::Move), 1); // not tried again
}

TEST_F(MoveAndCopyTest, NothingGoesToTheTrashForASourceThatIsNotThere)
{
    dst.write("x.txt", "old x");
    feedback.answers = {Answer::Yes};
    RunResult result = transfer({{"gone.txt", "x.txt"}}, across(SaveMode::Copy));
    EXPECT_TRUE(feedback.asked.empty());
    EXPECT_EQ(dst.read("x.txt"), "old x");
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].error, ENOENT);
    EXPECT_EQ(result.failures[0].step, RunStep::Copy);
}

TEST_F(MoveAndCopyTest, AFileThisRunHasMovedIsNeverOfferedToTheTrash)
{
    writeAll(src, {"a.txt", "b.txt"});
    feedback.answers = {Answer::Yes};
    RunResult result = transfer({{"a.txt", "x.txt"}, {"b.txt", "x.txt"}}, across(SaveMode::Move));
    EXPECT_TRUE(feedback.asked.empty());
    EXPECT_EQ(dst.read("x.txt"), "contents of a.txt");
    EXPECT_EQ(src.names(), Names{"b.txt"});
    EXPECT_EQ(result.rows, (std::vector<RowResult>{RowResult::Converted, RowResult::Failed}));
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].step, RunStep::TakenByRun);
}

// Between the question and the answer another program puts something else
// under the name: the person agreed to give away the file asked about only.
TEST_F(MoveAndCopyTest, TheTrashTakesOnlyWhatThePersonWasAskedAbout)
{
    const std::pair<const char*, std::function<void(ScratchDir&)>> cases[] = {
        {"another file",
         [](ScratchDir& d) { ::unlink((d / "x.txt").c_str()), d.write("x.txt", "new x"); }},
        {"a folder", [](ScratchDir& d) { ::unlink((d / "x.txt").c_str()), d.makeFolder("x.txt"); }},
    };
    for (const auto& [what, replace] : cases) {
        SCOPED_TRACE(what);
        ScratchDir from;
        ScratchDir to;
        from.write("a.txt", "A");
        to.write("x.txt", "old x");
        feedback.answers = {Answer::Yes};
        feedback.whileAsked = [&, &replace = replace](const std::string&) { replace(to); };
        RunResult result =
            transfer({{"a.txt", "x.txt"}},
                     RunSettings{from.path(), to.path(), SaveMode::Move, false, false});
        EXPECT_TRUE(from.has("a.txt"));
        EXPECT_TRUE(to.has("x.txt"));
        EXPECT_TRUE(data.names("Trash/files").empty());
        EXPECT_EQ(result.converted, 0);
        ASSERT_EQ(result.failures.size(), 1u);
        EXPECT_EQ(result.failures[0].step, RunStep::Trash);
        EXPECT_EQ(result.failures[0].error, entryChangedSinceAsked);
    }
}

TEST_F(MoveAndCopyTest, MovesAcrossDevices)
{
    ScratchDir shm("/dev/shm");
    if (shm.device() == dst.device())
        GTEST_SKIP() << "/dev/shm and /tmp are one device here";
    writeAll(shm, {sjisPhoto, "\x8e\xca\x90\x5e.xmp"});
    setMtime(shm / sjisPhoto, 1'200'000'000);
    RunSettings settings{shm.path(), dst.path(), SaveMode::Move, true, true};
    RunResult result = transfer({{sjisPhoto, sjisSeries}}, settings);

    EXPECT_TRUE(shm.names().empty());
    EXPECT_EQ(dst.names(), (Names{sjisSeries, "\x89\xe6\x91\x9c"
                                              "01.xmp"}));
    EXPECT_EQ(dst.read(sjisSeries), "contents of " + sjisPhoto);
    EXPECT_EQ(mtimeOf(dst / sjisSeries), 1'200'000'000);
    EXPECT_TRUE(result.failures.empty());
}

// A move that has to copy (another device) and fails half-way: the source
// stays, nothing is left in the destination, and the row is reported.
TEST_F(MoveAndCopyTest, AFullDiskOrARefusedWriteDuringAMoveAcrossDevices)
{
    struct Case
    {
        const char* what;
        FaultyFileSystem::Fault fault;
        int reported;
    };
    const Case cases[] = {
        {"full disk in the middle of the data", {FsCall::CopyData, ENOSPC, "", 0, 1, true}, ENOSPC},
        {"refused write in the destination", {FsCall::CreateTemp, EACCES}, EACCES},
        {"late write error at close", {FsCall::CloseFile, EIO, "", 0, 1, true}, EIO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir from;
        ScratchDir to;
        from.write("a.txt", std::string(100000, 'a'));
        from.write("b.txt", "B");
        FaultyFileSystem fs(real);
        fs.fail({FsCall::Rename, EXDEV, "a.txt", 0, 1}); // as if on another device
        fs.fail(c.fault);
        RunSettings settings{from.path(), to.path(), SaveMode::Move, true, false};
        RunResult result = transfer({{"a.txt", "x.txt"}, {"b.txt", "y.txt"}}, settings, &fs);

        EXPECT_EQ(from.names(), Names{"a.txt"});
        EXPECT_EQ(from.read("a.txt"), std::string(100000, 'a'));
        EXPECT_EQ(to.names(), Names{"y.txt"}); // no temporary file left behind
        ASSERT_EQ(result.failures.size(), 1u);
        EXPECT_EQ(result.failures[0].name, "a.txt");
        EXPECT_EQ(result.failures[0].step, RunStep::Move);
        EXPECT_EQ(result.failures[0].error, c.reported);
        EXPECT_EQ(result.converted, 1);
    }
}

TEST_F(MoveAndCopyTest, ReportsASameNameFileThatCouldNotFollow)
{
    writeAll(src, {"photo.jpg", "photo.txt"});
    FaultyFileSystem fs(real);
    fs.fail(FsCall::Move, EACCES, "photo.txt");
    RunResult result = transfer({{"photo.jpg", "TOR01.jpg"}}, across(SaveMode::Move, true), &fs);
    EXPECT_EQ(src.names(), Names{"photo.txt"});
    EXPECT_EQ(dst.names(), Names{"TOR01.jpg"});
    EXPECT_EQ(result.converted, 1);
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].name, "photo.txt");
    EXPECT_EQ(result.failures[0].target, "TOR01.txt");
    EXPECT_EQ(result.failures[0].step, RunStep::SameNameMove);
}

TEST_F(MoveAndCopyTest, SameNameFilesStayWhenTheirRowFailed)
{
    writeAll(src, {"photo.jpg", "photo.txt"});
    FaultyFileSystem fs(real);
    fs.fail(FsCall::Move, EACCES, "photo.jpg");
    RunResult result = transfer({{"photo.jpg", "TOR01.jpg"}}, across(SaveMode::Move, true), &fs);
    EXPECT_EQ(src.names(), (Names{"photo.jpg", "photo.txt"}));
    EXPECT_TRUE(dst.names().empty());
    EXPECT_EQ(result.failures.size(), 1u);
}

TEST_F(MoveAndCopyTest, AFolderThatCannotBeOpenedStopsBeforeAnyFileIsTouched)
{
    src.write("a.txt", "A");
    RunSettings settings{src.path(), dst / "missing/", SaveMode::Move, true, false};
    FaultyFileSystem fs(real);
    RunResult result = transfer({{"a.txt", "b.txt"}}, settings, &fs);
    EXPECT_FALSE(result.started());
    EXPECT_EQ(result.error, ENOENT);
    EXPECT_EQ(fs.calls(FsCall::Move), 0);
    EXPECT_EQ(src.names(), Names{"a.txt"});
    EXPECT_TRUE(feedback.statuses.empty());
}

// A memory stick: no permission bits and no user attributes, and one folder
// seen under two spellings as two folders by their inode numbers.
TEST_F(MoveAndCopyTest, OntoAFatVolume)
{
    FatVolume fat;
    if (!fat.mounted())
        GTEST_SKIP() << "no FAT volume through FUSE here (needs root, fusefat, mkfs.vfat)";
    ASSERT_EQ(::mkdir((fat.path() + "Photos").c_str(), 0755), 0);
    {
        SCOPED_TRACE("what the destination cannot store is said, not hidden");
        src.write("a.txt", "A");
        ASSERT_EQ(::chmod((src / "a.txt").c_str(), 0444), 0);
        ASSERT_EQ(::setxattr((src / "a.txt").c_str(), "user.DOSATTRIB", "0x23", 4, 0), 0);
        RunResult result = transfer({{"a.txt", "x.txt"}}, {src.path(), fat.path() + "Photos/",
                                                           SaveMode::Copy, true, false});
        EXPECT_EQ(result.converted, 1);
        EXPECT_TRUE(result.failures.empty());
        ASSERT_EQ(result.warnings.size(), 1u);
        EXPECT_TRUE(result.warnings[0].lost.attributes);
        EXPECT_TRUE(result.warnings[0].lost.mode);
        EXPECT_NE(failureReport(result).find("a.txt → x.txt："), std::string::npos);
    }
    {
        SCOPED_TRACE("one folder under two spellings is renamed in place");
        std::ofstream(fat.path() + "Photos/y.txt") << "B";
        feedback.answers = {Answer::Yes, Answer::Yes};
        RunResult result = transfer(
            {{"x.txt", "y.txt"}, {"y.txt", "z.txt"}},
            {fat.path() + "Photos/", fat.path() + "PHOTOS/", SaveMode::Move, false, false});
        EXPECT_TRUE(feedback.asked.empty());
        EXPECT_EQ(result.converted, 2);
        const auto read = [&](const std::string& name) {
            std::ifstream in(fat.path() + "Photos/" + name);
            return std::string(std::istreambuf_iterator<char>(in), {});
        };
        EXPECT_EQ(read("y.txt"), "A");
        EXPECT_EQ(read("z.txt"), "B");
    }
}

} // namespace
