#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>

#include "RenameInPlace.h"
#include "RunReport.h"
#include "RunTestSupport.h"
#include "common/FaultyFileSystem.h"

using namespace torvel;

namespace {

using Answer = RunFeedback::TrashAnswer;
using Names = std::vector<std::string>;

class RenameInPlaceTest : public RunTest
{
protected:
    RunResult runRename(const std::vector<RunRow>& rows, const RunSettings& settings,
                        FileSystem* fs = nullptr)
    {
        FileSystem& used = fs != nullptr ? *fs : real;
        TFileOperation operation(used, &feedback);
        RunServices services{used, feedback, operation};
        return File_Rename(rows, settings, services);
    }

    static Names sorted(Names names)
    {
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(RenameInPlaceTest, SwapsTwoNamesWithoutAskingAnything)
{
    src.write("a.txt", "A");
    src.write("b.txt", "B");
    RunResult result = runRename({{"a.txt", "b.txt"}, {"b.txt", "a.txt"}}, inPlace(false));

    EXPECT_EQ(src.read("b.txt"), "A");
    EXPECT_EQ(src.read("a.txt"), "B");
    EXPECT_EQ(src.names(), (Names{"a.txt", "b.txt"}));
    EXPECT_TRUE(feedback.asked.empty());
    EXPECT_TRUE(result.failures.empty());
    EXPECT_EQ(result.converted, 2);
    EXPECT_EQ(failureReport(result), "");

    ASSERT_EQ(feedback.statuses.size(), 2u);
    EXPECT_EQ(feedback.statuses[0].activity, RunActivity::Preparing);
    EXPECT_EQ(feedback.statuses[1].activity, RunActivity::Renaming);
    EXPECT_EQ(feedback.lastDone, 2);
    EXPECT_EQ(feedback.lastTotal, 2);
}

TEST_F(RenameInPlaceTest, RenumbersASeriesOneStepUpInAnyRowOrder)
{
    const std::string prefix = "\x89\xe6\x91\x9c"; // 画像, Shift-JIS
    std::vector<RunRow> rows;
    for (int n = 1; n <= 6; ++n)
        rows.push_back({prefix + "0" + std::to_string(n) + ".jpg",
                        prefix + "0" + std::to_string(n + 1) + ".jpg"});
    std::vector<std::vector<RunRow>> orders{rows, rows, rows};
    std::reverse(orders[1].begin(), orders[1].end());
    std::shuffle(orders[2].begin(), orders[2].end(), std::mt19937(7));

    for (const auto& order : orders) {
        ScratchDir folder;
        for (const auto& row : rows)
            folder.write(row.current, "from " + row.current);
        RunSettings settings{folder.path(), folder.path(), SaveMode::Rename, false, false};
        RunResult result = runRename(order, settings);

        EXPECT_EQ(result.converted, 6);
        EXPECT_TRUE(feedback.asked.empty());
        for (const auto& row : rows)
            EXPECT_EQ(folder.read(row.newName), "from " + row.current);
        EXPECT_EQ(folder.names().size(), 6u);
        EXPECT_FALSE(folder.has(rows.front().current));
    }
}

// Chains go from their free end with one rename a file; only a cycle sends
// one file to a temporary name, once.
TEST_F(RenameInPlaceTest, ChainsAndCyclesTakeOneRenameAFileAndOneMoreACycle)
{
    const auto series = [](const std::string& prefix, int length, bool closed) {
        std::vector<RunRow> rows;
        for (int n = 1; n <= length; ++n) {
            const int next = closed && n == length ? 1 : n + 1;
            rows.push_back({prefix + std::to_string(n), prefix + std::to_string(next)});
        }
        return rows;
    };
    // A cycle of three among the rows of a chain of four.
    std::vector<RunRow> middle = series("h", 4, false);
    const std::vector<RunRow> cycle = series("c", 3, true);
    middle.insert(middle.begin() + 2, cycle.begin(), cycle.end());
    const std::string sjis = "\x8e\xca"; // 写, Shift-JIS
    struct Case
    {
        const char* name;
        std::vector<RunRow> rows;
        int renames;
    };
    const std::vector<Case> cases{
        {"a file that keeps its name", {{"k", "k"}}, 0},
        {"a swap", series(sjis, 2, true), 3},
        {"a cycle of three", series("c", 3, true), 4},
        {"a cycle of four", series("c", 4, true), 5},
        {"a cycle of five", series("c", 5, true), 6},
        {"a chain of one", series("h", 1, false), 1},
        {"a chain of two", series("h", 2, false), 2},
        {"a chain of five", series(sjis, 5, false), 5},
        {"a cycle of three in the middle of a chain", middle, 8},
    };
    for (const Case& c : cases) {
        for (const bool reversed : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (reversed ? ", rows reversed" : ""));
            std::vector<RunRow> rows = c.rows;
            if (reversed)
                std::reverse(rows.begin(), rows.end());
            ScratchDir folder;
            for (const RunRow& row : rows)
                folder.write(row.current, "from " + row.current);
            FaultyFileSystem fs(real);
            RunSettings settings{folder.path(), folder.path(), SaveMode::Rename, true, false};
            const RunResult result = runRename(rows, settings, &fs);

            EXPECT_EQ(result.converted, static_cast<int>(rows.size()));
            EXPECT_EQ(fs.calls(FsCall::Rename), c.renames);
            for (const RunRow& row : rows)
                EXPECT_EQ(folder.read(row.newName), "from " + row.current);
            Names expected;
            for (const RunRow& row : rows)
                expected.push_back(row.newName);
            EXPECT_EQ(folder.names(), sorted(expected));
        }
    }
}

TEST_F(RenameInPlaceTest, PassesOverALeftoverTemporaryNameAndLeavesItAlone)
{
    src.write("_jd[000a.txt", "leftover");
    src.write("a.txt", "A");
    src.write("b.txt", "B");
    std::vector<RunRow> rows{{"a.txt", "b.txt"}, {"b.txt", "a.txt"}};
    TFileOperation operation(real, &feedback);
    RunServices services{real, feedback, operation};
    RenameRun run(rows, inPlace(), services);

    ASSERT_TRUE(run.prepare());
    // Only the file that closes the swap steps aside.
    EXPECT_EQ(run.plan().rows[0].temporary(), "_jd[001a.txt");
    EXPECT_EQ(run.plan().rows[1].temporary(), "");
    EXPECT_EQ(src.names(), (Names{"_jd[000a.txt", "a.txt", "b.txt"})); // planning touches nothing

    run.carryOut();
    EXPECT_EQ(src.names(), (Names{"_jd[000a.txt", "a.txt", "b.txt"}));
    EXPECT_EQ(src.read("a.txt"), "B");
    EXPECT_EQ(src.read("_jd[000a.txt"), "leftover");
    EXPECT_EQ(run.take().converted, 2);
}

TEST_F(RenameInPlaceTest, ATousandAndOneSwapsKeepDistinctTemporaryNames)
{
    std::vector<RunRow> rows;
    for (int n = 0; n < 1001; ++n) {
        const std::string f = "f" + std::to_string(n) + ".dat";
        const std::string g = "g" + std::to_string(n) + ".dat";
        src.write(f, f);
        src.write(g, g);
        rows.push_back({f, g});
        rows.push_back({g, f});
    }
    // The counter wraps: the thousand-and-first gets 000 again, with its own name after it.
    src.write("_jd[000f0.dat", "leftover");

    TFileOperation operation(real, &feedback);
    RunServices services{real, feedback, operation};
    RenameRun run(rows, inPlace(), services);
    ASSERT_TRUE(run.prepare());
    EXPECT_EQ(run.plan().rows[0].temporary(), "_jd[001f0.dat");
    EXPECT_EQ(run.plan().rows[2 * 999].temporary(), "_jd[000f999.dat");
    EXPECT_EQ(run.plan().rows[2 * 1000].temporary(), "_jd[001f1000.dat");
    run.carryOut();
    RunResult result = run.take();

    EXPECT_EQ(result.converted, 2002);
    EXPECT_TRUE(result.failures.empty());
    EXPECT_EQ(src.names().size(), 2003u);
    for (int n = 0; n < 1001; ++n)
        EXPECT_EQ(src.read("g" + std::to_string(n) + ".dat"), "f" + std::to_string(n) + ".dat");
}

// The longest names a folder holds leave no room for a whole temporary name.
TEST_F(RenameInPlaceTest, SwapsNamesOfTheLongestLength)
{
    const std::string a = std::string(251, 'a') + ".txt";
    const std::string b =
        std::string(246, 'a') + "\x8e\xca\x90\x5e.txt" + "b"; // 255 bytes, Shift-JIS inside
    src.write(a, "A");
    src.write(b, "B");
    RunResult result = runRename({{a, b}, {b, a}}, inPlace(false));
    EXPECT_EQ(src.read(b), "A");
    EXPECT_EQ(src.read(a), "B");
    EXPECT_EQ(src.names().size(), 2u);
    EXPECT_EQ(result.converted, 2);
}

TEST_F(RenameInPlaceTest, ChangesOnlyTheLetterCase)
{
    src.write("photo.JPG", "picture");
    RunResult result = runRename({{"photo.JPG", "photo.jpg"}}, inPlace());
    EXPECT_EQ(src.names(), Names{"photo.jpg"});
    EXPECT_EQ(src.read("photo.jpg"), "picture");
    EXPECT_EQ(result.converted, 1);
}

TEST_F(RenameInPlaceTest, TwoRowsWithOneNewNameWhileAvoidingDuplicates)
{
    src.write("a.txt", "A");
    src.write("b.txt", "B");
    RunResult result = runRename({{"a.txt", "x.txt"}, {"b.txt", "x.txt"}}, inPlace(true));

    EXPECT_EQ(src.names(), (Names{"b.txt", "x.txt"})); // the second file is back under its name
    EXPECT_EQ(src.read("x.txt"), "A");
    EXPECT_EQ(src.read("b.txt"), "B");
    EXPECT_TRUE(feedback.asked.empty());
    EXPECT_EQ(result.converted, 1);
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].name, "b.txt");
    EXPECT_EQ(result.failures[0].step, RunStep::IntoPlace);
    EXPECT_EQ(result.failures[0].error, EEXIST);
    EXPECT_EQ(result.failures[0].leftAs, "");
    EXPECT_EQ(result.rows, (std::vector<RowResult>{RowResult::Converted, RowResult::Failed}));
}

TEST_F(RenameInPlaceTest, TwoRowsWithOneNewNameReplacingDuplicates)
{
    {
        SCOPED_TRACE("the file this run has just renamed is never offered to the trash");
        src.write("a.txt", "A");
        src.write("b.txt", "B");
        feedback.answers = {Answer::Yes};
        RunResult result = runRename({{"a.txt", "x.txt"}, {"b.txt", "x.txt"}}, inPlace(false));

        EXPECT_TRUE(feedback.asked.empty());
        EXPECT_EQ(src.names(), (Names{"b.txt", "x.txt"}));
        EXPECT_EQ(src.read("x.txt"), "A");
        EXPECT_TRUE(trashed().empty());
        EXPECT_EQ(result.rows, (std::vector<RowResult>{RowResult::Converted, RowResult::Failed}));
        ASSERT_EQ(result.failures.size(), 1u);
        EXPECT_EQ(result.failures[0].step, RunStep::TakenByRun);
    }
    {
        SCOPED_TRACE("nor is a same-name file that has just followed its row");
        ScratchDir folder;
        folder.write("a.jpg", "A");
        folder.write("a.xmp", "A's sidecar");
        folder.write("b.xmp", "B");
        feedback.answers = {Answer::Yes};
        RunSettings settings{folder.path(), folder.path(), SaveMode::Rename, false, true};
        RunResult result = runRename({{"a.jpg", "x.jpg"}, {"b.xmp", "x.xmp"}}, settings);

        EXPECT_TRUE(feedback.asked.empty());
        EXPECT_EQ(folder.names(), (Names{"b.xmp", "x.jpg", "x.xmp"}));
        EXPECT_EQ(folder.read("x.xmp"), "A's sidecar");
        ASSERT_EQ(result.failures.size(), 1u);
        EXPECT_EQ(result.failures[0].name, "b.xmp");
        EXPECT_EQ(result.failures[0].step, RunStep::TakenByRun);
    }
}

TEST_F(RenameInPlaceTest, AFileOutsideTheBatchHoldingANewName)
{
    {
        SCOPED_TRACE("declined: the row's file is back under its own name");
        src.write("a.txt", "A");
        src.write("c.txt", "outside");
        feedback.answers = {Answer::No};
        RunResult result = runRename({{"a.txt", "c.txt"}}, inPlace(false));
        EXPECT_EQ(src.names(), (Names{"a.txt", "c.txt"}));
        EXPECT_EQ(src.read("c.txt"), "outside");
        EXPECT_EQ(src.read("a.txt"), "A");
        EXPECT_EQ(result.converted, 0);
        ASSERT_EQ(result.failures.size(), 1u);
        EXPECT_EQ(result.failures[0].leftAs, "");
        EXPECT_TRUE(trashed().empty());
    }
    {
        SCOPED_TRACE("confirmed: the outside file goes to the trash");
        feedback.answers = {Answer::Yes};
        RunResult result = runRename({{"a.txt", "c.txt"}}, inPlace(false));
        EXPECT_EQ(src.names(), Names{"c.txt"});
        EXPECT_EQ(src.read("c.txt"), "A");
        EXPECT_EQ(data.read("Trash/files/c.txt"), "outside");
        EXPECT_EQ(result.converted, 1);
    }
    {
        SCOPED_TRACE("yes to all: one question for the whole run");
        src.write("p.txt", "P");
        src.write("q.txt", "Q");
        src.write("p2.txt", "outside p");
        src.write("q2.txt", "outside q");
        feedback.asked.clear();
        feedback.answers = {Answer::YesToAll};
        RunResult result = runRename({{"p.txt", "p2.txt"}, {"q.txt", "q2.txt"}}, inPlace(false));
        EXPECT_EQ(feedback.asked.size(), 1u);
        EXPECT_EQ(src.read("p2.txt"), "P");
        EXPECT_EQ(src.read("q2.txt"), "Q");
        EXPECT_EQ(result.converted, 2);
    }
}

TEST_F(RenameInPlaceTest, AFailedSecondRenameWithItsOwnNameTakenKeepsTheTemporaryName)
{
    src.write("a.txt", "A");
    src.write("b.txt", "B");
    FaultyFileSystem fs(real);
    // a steps aside and b takes its name; a's rename from its temporary
    // name fails, and giving it back to "a.txt" finds b's file there.
    fs.fail({FsCall::Rename, EACCES, "_jd[000a.txt", 1, 1});
    RunResult result = runRename({{"a.txt", "b.txt"}, {"b.txt", "a.txt"}}, inPlace(false), &fs);

    EXPECT_EQ(src.names(), (Names{"_jd[000a.txt", "a.txt"}));
    EXPECT_EQ(src.read("a.txt"), "B");
    EXPECT_EQ(src.read("_jd[000a.txt"), "A");
    ASSERT_EQ(result.failures.size(), 1u);
    const FileFailure& failure = result.failures[0];
    EXPECT_EQ(failure.name, "a.txt");
    EXPECT_EQ(failure.target, "b.txt");
    EXPECT_EQ(failure.leftAs, "_jd[000a.txt");
    EXPECT_EQ(failure.error, EACCES);
    std::string line = failureLine(failure);
    EXPECT_NE(line.find("a.txt → b.txt"), std::string::npos) << line;
    EXPECT_NE(line.find("_jd[000a.txt"), std::string::npos) << line;
    EXPECT_NE(line.find("ﾌｧｲﾙへのｱｸｾｽが拒否されました"), std::string::npos) << line;
}

TEST_F(RenameInPlaceTest, AFileOfACycleThatCannotGoOnGoesBackToItsOwnName)
{
    src.write("a.txt", "A");
    src.write("b.txt", "B");
    FaultyFileSystem fs(real);
    // a steps aside; b cannot take a's name, so a's new name stays held.
    fs.fail({FsCall::Rename, EIO, "b.txt", 0, 1});
    RunResult result = runRename({{"a.txt", "b.txt"}, {"b.txt", "a.txt"}}, inPlace(false), &fs);
    EXPECT_EQ(src.names(), (Names{"a.txt", "b.txt"}));
    EXPECT_EQ(src.read("a.txt"), "A");
    EXPECT_TRUE(feedback.asked.empty());
    ASSERT_EQ(result.failures.size(), 2u);
    EXPECT_EQ(result.failures[1].leftAs, "");
    EXPECT_EQ(result.rows, (std::vector<RowResult>{RowResult::Failed, RowResult::Failed}));
}

TEST_F(RenameInPlaceTest, AFileThatCouldNotMoveAsideIsLeftAloneAndProtected)
{
    src.write("a.txt", "A");
    src.write("b.txt", "B");
    src.write("c.txt", "outside");
    FaultyFileSystem fs(real);
    fs.fail({FsCall::Rename, EBUSY, "a.txt", 0, 1}); // a's rename
    feedback.answers = {Answer::Yes, Answer::Yes};
    // a would take c's name; b would take a's, which a still holds.
    RunResult result = runRename({{"a.txt", "c.txt"}, {"b.txt", "a.txt"}}, inPlace(false), &fs);

    EXPECT_TRUE(feedback.asked.empty()); // nothing offered to the trash
    EXPECT_EQ(src.names(), (Names{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(src.read("a.txt"), "A");
    EXPECT_EQ(src.read("b.txt"), "B");
    EXPECT_EQ(src.read("c.txt"), "outside");
    ASSERT_EQ(result.failures.size(), 2u);
    EXPECT_EQ(result.failures[0].step, RunStep::IntoPlace);
    EXPECT_EQ(result.failures[0].error, EBUSY);
    EXPECT_EQ(result.failures[1].name, "b.txt");
    EXPECT_EQ(result.converted, 0);
}

TEST_F(RenameInPlaceTest, AFileThatVanishedIsReportedAndNothingIsAskedForIt)
{
    src.write("a.txt", "A");
    src.write("x.txt", "outside");
    feedback.answers = {Answer::Yes};
    RunResult result = runRename({{"gone.txt", "x.txt"}, {"a.txt", "y.txt"}}, inPlace(false));
    EXPECT_TRUE(feedback.asked.empty());
    EXPECT_EQ(src.names(), (Names{"x.txt", "y.txt"}));
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].error, ENOENT);
    EXPECT_EQ(failureLine(result.failures[0]),
              "gone.txt → x.txt：新しい名前に変更できませんでした（ﾌｧｲﾙが見つかりません）");
}

TEST_F(RenameInPlaceTest, AFolderThatCannotBeOpenedStopsBeforeAnyFileIsTouched)
{
    src.write("a.txt", "A");
    {
        RunSettings settings{src / "missing/", src / "missing/", SaveMode::Rename, true, false};
        RunResult result = runRename({{"a.txt", "b.txt"}}, settings);
        EXPECT_FALSE(result.started());
        EXPECT_EQ(result.error, ENOENT);
    }
    {
        FaultyFileSystem fs(real);
        fs.fail(FsCall::OpenFolder, EACCES);
        RunResult result = runRename({{"a.txt", "b.txt"}}, inPlace(), &fs);
        EXPECT_EQ(result.error, EACCES);
        EXPECT_EQ(fs.calls(FsCall::Rename), 0);
    }
    EXPECT_EQ(src.names(), Names{"a.txt"});
}

TEST_F(RenameInPlaceTest, ANewNameThisSystemCannotHoldLeavesTheFileAlone)
{
    src.write("a.txt", "A");
    src.write("b.txt", "B");
    RunResult result = runRename({{"a.txt", "x/y.txt"}, {"b.txt", "c.txt"}}, inPlace());
    EXPECT_EQ(src.names(), (Names{"a.txt", "c.txt"}));
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(result.failures[0].step, RunStep::BadName);
    EXPECT_EQ(result.converted, 1);
}

TEST_F(RenameInPlaceTest, SameNameFilesFollowWithShiftJisNames)
{
    // 写真.jpg -> 表01.jpg, with 写真.xmp and 写真.TXT beside it; 表 ends in 0x5C.
    const std::string oldBase = "\x8e\xca\x90\x5e";
    const std::string newBase = "\x95\x5c"
                                "01";
    writeAll(src, {oldBase + ".jpg", oldBase + ".xmp", oldBase + ".TXT", "other.xmp"});
    RunResult result = runRename({{oldBase + ".jpg", newBase + ".jpg"}}, inPlace(true, true));

    EXPECT_EQ(src.names(),
              sorted({newBase + ".jpg", newBase + ".xmp", newBase + ".TXT", "other.xmp"}));
    EXPECT_EQ(src.read(newBase + ".xmp"), "contents of " + oldBase + ".xmp");
    EXPECT_EQ(result.converted, 1);
    EXPECT_TRUE(result.failures.empty());
}

TEST_F(RenameInPlaceTest, SameNameFilesNeverTakeAlongAFileOfTheBatch)
{
    // Row 2's old base "b" is row 1's new base: row 1's file must stay b.jpg.
    writeAll(src, {"a.jpg", "b.png", "b.txt"});
    RunResult result = runRename({{"a.jpg", "b.jpg"}, {"b.png", "c.png"}}, inPlace(true, true));
    EXPECT_EQ(src.names(), (Names{"b.jpg", "c.png", "c.txt"}));
    EXPECT_EQ(src.read("b.jpg"), "contents of a.jpg");
    EXPECT_EQ(result.converted, 2);
}

TEST_F(RenameInPlaceTest, SameNameFilesStayBesideTheirOwnFileWhenASeriesIsRenumbered)
{
    std::vector<RunRow> rows{{"01.jpg", "02.jpg"}, {"02.jpg", "03.jpg"}, {"03.jpg", "04.jpg"}};
    std::vector<std::vector<RunRow>> orders{rows, rows};
    std::reverse(orders[1].begin(), orders[1].end());
    for (const auto& order : orders) {
        ScratchDir folder;
        for (int n = 1; n <= 3; ++n) {
            folder.write("0" + std::to_string(n) + ".jpg", "img" + std::to_string(n));
            folder.write("0" + std::to_string(n) + ".xmp", "xmp" + std::to_string(n));
        }
        RunSettings settings{folder.path(), folder.path(), SaveMode::Rename, false, true};
        RunResult result = runRename(order, settings);

        EXPECT_EQ(folder.names(),
                  (Names{"02.jpg", "02.xmp", "03.jpg", "03.xmp", "04.jpg", "04.xmp"}));
        for (int n = 1; n <= 3; ++n) {
            const std::string moved = "0" + std::to_string(n + 1);
            EXPECT_EQ(folder.read(moved + ".jpg"), "img" + std::to_string(n));
            EXPECT_EQ(folder.read(moved + ".xmp"), "xmp" + std::to_string(n));
        }
        EXPECT_TRUE(result.failures.empty());
        EXPECT_EQ(result.converted, 3);
        EXPECT_TRUE(feedback.asked.empty());
    }
}

TEST_F(RenameInPlaceTest, ASwapSwapsTheSameNameFilesToo)
{
    writeAll(src, {"a.jpg", "a.xmp", "b.jpg", "b.xmp"});
    RunResult result = runRename({{"a.jpg", "b.jpg"}, {"b.jpg", "a.jpg"}}, inPlace(false, true));

    EXPECT_EQ(src.names(), (Names{"a.jpg", "a.xmp", "b.jpg", "b.xmp"}));
    EXPECT_EQ(src.read("b.jpg"), "contents of a.jpg");
    EXPECT_EQ(src.read("b.xmp"), "contents of a.xmp");
    EXPECT_EQ(src.read("a.jpg"), "contents of b.jpg");
    EXPECT_EQ(src.read("a.xmp"), "contents of b.xmp");
    EXPECT_TRUE(result.failures.empty());
    EXPECT_TRUE(feedback.asked.empty());
}

TEST_F(RenameInPlaceTest, ASameNameFileWhoseTargetIsTakenStaysAndIsReported)
{
    writeAll(src, {"photo.jpg", "photo.txt", "photo.xmp", "TOR01.txt"});
    feedback.answers = {Answer::Yes};
    RunResult result = runRename({{"photo.jpg", "TOR01.jpg"}}, inPlace(false, true));

    EXPECT_EQ(src.names(), (Names{"TOR01.jpg", "TOR01.txt", "TOR01.xmp", "photo.txt"}));
    EXPECT_EQ(src.read("TOR01.txt"), "contents of TOR01.txt");
    EXPECT_EQ(src.read("photo.txt"), "contents of photo.txt");
    EXPECT_TRUE(feedback.asked.empty()); // a same-name file never replaces anything
    EXPECT_EQ(result.converted, 1);
    ASSERT_EQ(result.failures.size(), 1u);
    EXPECT_EQ(failureLine(result.failures[0]),
              "photo.txt → TOR01.txt：同名ファイルの名前を変更できませんでした"
              "（同じ名前のファイルがあります）");
}

TEST_F(RenameInPlaceTest, SameNameFilesGoBackWithTheirRow)
{
    {
        SCOPED_TRACE("the row's new name is kept by the person");
        writeAll(src, {"photo.jpg", "photo.xmp", "c.jpg"});
        feedback.answers = {Answer::No};
        RunResult result = runRename({{"photo.jpg", "c.jpg"}}, inPlace(false, true));
        EXPECT_EQ(src.names(), (Names{"c.jpg", "photo.jpg", "photo.xmp"}));
        EXPECT_EQ(src.read("photo.xmp"), "contents of photo.xmp");
        ASSERT_EQ(result.failures.size(), 1u);
        EXPECT_EQ(result.failures[0].step, RunStep::Declined);
    }
    {
        SCOPED_TRACE("a same-name file that cannot take its new name");
        ScratchDir folder;
        writeAll(folder, {"a.jpg", "a.xmp", "a.txt"});
        FaultyFileSystem fs(real);
        fs.fail({FsCall::Rename, EACCES, "a.xmp", 0, 1});
        RunSettings settings{folder.path(), folder.path(), SaveMode::Rename, true, true};
        RunResult result = runRename({{"a.jpg", "b.jpg"}}, settings, &fs);
        EXPECT_EQ(folder.names(), (Names{"a.xmp", "b.jpg", "b.txt"}));
        EXPECT_EQ(folder.read("a.xmp"), "contents of a.xmp");
        EXPECT_EQ(result.converted, 1);
        ASSERT_EQ(result.failures.size(), 1u);
        EXPECT_EQ(result.failures[0].name, "a.xmp");
        EXPECT_EQ(result.failures[0].target, "b.xmp");
        EXPECT_EQ(result.failures[0].step, RunStep::SameNameRename);
        EXPECT_EQ(result.failures[0].error, EACCES);
        EXPECT_EQ(result.failures[0].leftAs, "");
    }
}

TEST_F(RenameInPlaceTest, ANameWithoutABaseTakesNoHiddenFilesAlong)
{
    writeAll(src, {".bashrc", ".profile", ".bashrc.bak"});
    RunResult result = runRename({{".bashrc", "x.txt"}}, inPlace(true, true));
    EXPECT_EQ(src.names(), (Names{".bashrc.bak", ".profile", "x.txt"}));
    EXPECT_TRUE(result.failures.empty());
}

TEST_F(RenameInPlaceTest, ANewNameShapedLikeATemporaryNameNeverSendsAFileOfTheBatchToTheTrash)
{
    writeAll(src, {"x.txt", "y.txt"});
    feedback.answers = {Answer::Yes};
    RunResult result = runRename({{"x.txt", "_jd[001y.txt"}, {"y.txt", "z.txt"}}, inPlace(false));

    EXPECT_TRUE(feedback.asked.empty());
    EXPECT_TRUE(trashed().empty());
    EXPECT_EQ(src.names(), (Names{"_jd[001y.txt", "z.txt"}));
    EXPECT_EQ(src.read("_jd[001y.txt"), "contents of x.txt");
    EXPECT_EQ(src.read("z.txt"), "contents of y.txt");
    EXPECT_EQ(result.converted, 2);
    EXPECT_TRUE(result.failures.empty());
}

TEST_F(RenameInPlaceTest, TheTrashTakesTheFileFromTheFolderTheRunOpened)
{
    // While the question stands, the folder is renamed and another one takes
    // its path, with a file of the same name in it.
    src.makeFolder("work");
    src.write("work/a.txt", "A");
    src.write("work/x.txt", "outside");
    feedback.answers = {Answer::Yes};
    feedback.whileAsked = [&](const std::string&) {
        ASSERT_EQ(::rename((src / "work").c_str(), (src / "moved").c_str()), 0);
        src.makeFolder("work");
        src.write("work/x.txt", "impostor");
    };
    RunSettings settings{src / "work/", src / "work/", SaveMode::Rename, false, false};
    RunResult result = runRename({{"a.txt", "x.txt"}}, settings);

    EXPECT_EQ(feedback.asked, Names{src / "work/x.txt"});
    EXPECT_EQ(src.read("work/x.txt"), "impostor");
    EXPECT_EQ(src.names("moved"), Names{"x.txt"});
    EXPECT_EQ(src.read("moved/x.txt"), "A");
    EXPECT_EQ(data.read("Trash/files/x.txt"), "outside");
    EXPECT_EQ(result.converted, 1);
}

TEST_F(RenameInPlaceTest, CancelEndsTheQuestionsOfTheRun)
{
    writeAll(src, {"p.txt", "q.txt", "p2.txt", "q2.txt"});
    feedback.answers = {Answer::Cancel, Answer::Yes};
    std::vector<RunRow> rows{{"p.txt", "p2.txt"}, {"q.txt", "q2.txt"}};
    TFileOperation operation(real, &feedback);
    RunServices services{real, feedback, operation};
    RunResult result = File_Rename(rows, inPlace(false), services);

    EXPECT_EQ(feedback.asked, Names{src / "p2.txt"});
    EXPECT_TRUE(trashed().empty());
    EXPECT_EQ(src.names(), (Names{"p.txt", "p2.txt", "q.txt", "q2.txt"}));
    EXPECT_EQ(src.read("q2.txt"), "contents of q2.txt");
    EXPECT_EQ(result.converted, 0);
    ASSERT_EQ(result.failures.size(), 2u);
    EXPECT_EQ(result.failures[0].step, RunStep::Declined);
    EXPECT_EQ(result.failures[1].step, RunStep::Declined);

    // The next run asks again.
    feedback.answers = {Answer::Yes};
    result = File_Rename(rows, inPlace(false), services);
    EXPECT_EQ(feedback.asked.size(), 3u);
    EXPECT_EQ(src.read("p2.txt"), "contents of p.txt");
}

} // namespace
