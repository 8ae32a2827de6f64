#include <cerrno>

#include <unistd.h>

#include "FilesList.h"
#include "FolderIdentity.h"
#include "NameRules.h"
#include "RenamePlan.h"
#include "RunDriver.h"
#include "RunReport.h"
#include "RunTestSupport.h"

using namespace torvel;

namespace {

using Answer = RunFeedback::TrashAnswer;
using Names = std::vector<std::string>;

class RunDriverTest : public RunTest
{
protected:
    RunResult run(const std::vector<RunRow>& rows, const RunSettings& settings)
    {
        TFileOperation operation(real, &feedback);
        RunServices services{real, feedback, operation};
        return runRenamePage(rows, settings, services);
    }
};

TEST_F(RunDriverTest, FoldersAreComparedByWhatTheyAreNotBySpelling)
{
    src.makeFolder("Data");
    src.makeFolder("data");
    ASSERT_EQ(::symlink((src / "Data").c_str(), (src / "link").c_str()), 0);

    EXPECT_FALSE(sameFolder(src / "Data/", src / "data/"));
    EXPECT_TRUE(sameFolder(src / "Data/", src / "Data"));
    EXPECT_TRUE(sameFolder(src / "Data/", src / "data/../Data/"));
    EXPECT_TRUE(sameFolder(src / "link/", src / "Data/"));
    // Paths that lead nowhere are compared as bytes.
    EXPECT_TRUE(sameFolder(src / "none/", src / "none"));
    EXPECT_FALSE(sameFolder(src / "None/", src / "none/"));
}

TEST_F(RunDriverTest, FoldersDifferingInCaseMoveInsteadOfRenamingInTheWrongFolder)
{
    src.makeFolder("Data");
    src.makeFolder("data");
    src.write("Data/a.txt", "A");
    RunSettings settings{src / "Data/", src / "data/", SaveMode::Move, true, false};
    EXPECT_FALSE(renamesInPlace(settings));
    RunResult result = run({{"a.txt", "b.txt"}}, settings);
    EXPECT_TRUE(src.names("Data").empty());
    EXPECT_EQ(src.names("data"), Names{"b.txt"});
    EXPECT_EQ(result.converted, 1);
}

TEST_F(RunDriverTest, OneFolderUnderTwoSpellingsRenamesInPlace)
{
    src.write("a.txt", "A");
    src.write("b.txt", "B");
    RunSettings settings{src.path(), src.path() + "./", SaveMode::Move, false, false};
    RunResult result = run({{"a.txt", "b.txt"}, {"b.txt", "a.txt"}}, settings);
    EXPECT_EQ(src.read("a.txt"), "B");
    EXPECT_EQ(result.converted, 2);
}

TEST_F(RunDriverTest, TheSelectionAfterARunHoldsTheFilesThatReachedTheirNames)
{
    // One file of five cannot be given its new name: c's is held by an
    // outside file the person keeps.
    writeAll(src, {"a", "b", "c", "d", "e", "C2"});
    std::vector<RunRow> rows{{"a", "A2"}, {"b", "B2"}, {"c", "C2"}, {"d", "D2"}, {"e", "E2"}};
    feedback.answers = {Answer::No};
    RunResult result = run(rows, inPlace(false));

    EXPECT_EQ(result.rows.size(), 5u);
    EXPECT_EQ(result.converted, 4);
    // "C2" exists, but it is not c's file: it stays out.
    EXPECT_EQ(SelectionAfterRun(rows, result), (Names{"A2", "B2", "D2", "E2"}));
    EXPECT_TRUE(src.has("c"));
}

// The list the rows were drawn from takes the names the run gave, the
// Shift-JIS one included; the file that failed leaves it. A list read again
// since the rows were drawn is left for a reading of its own.
TEST_F(RunDriverTest, TheListAfterARenameHoldsTheFilesThatReachedTheirNames)
{
    writeAll(src, {"a", sjisPhoto, "c", "C2"});
    std::vector<RunRow> rows{{"a", "A2"}, {sjisPhoto, sjisTable}, {"c", "C2"}};
    feedback.answers = {Answer::No};
    const RunResult result = run(rows, inPlace(false));
    ASSERT_EQ(result.converted, 2);
    TMyFileList list("");
    for (const RunRow& row : rows)
        list.addItem(row.current, 7, 1'600'000'000, 0);
    TMyFileList other("");
    other.addItem("a", 7, 1'600'000'000, 0);

    std::vector<RunRow> copy = rows;
    EXPECT_FALSE(renameListed(other, copy, result));
    EXPECT_EQ(other.GetFileName(0), "a");
    ASSERT_TRUE(renameListed(list, rows, result));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetFileName(0), "A2");
    EXPECT_EQ(list.GetFileName(1), sjisTable);
    EXPECT_EQ(list.item(1)->Size, 7);
    EXPECT_TRUE(src.has(sjisTable));
}

TEST_F(RunDriverTest, TheSelectionAfterARunThatDidNotStartIsEmpty)
{
    RunResult result;
    result.error = ENOENT;
    EXPECT_TRUE(SelectionAfterRun({{"a", "b"}}, result).empty());
}

TEST(RenamePlanTest, TemporaryNamesAndRowsThatCannotStart)
{
    const std::string longName(250, 'n');
    Names prefixed{"_jd[000a"};
    for (int i = 0; i < 1000; ++i) // every counter value taken for "z"
        prefixed.push_back("_jd[" + PadNumber(i, 3) + "z");
    // A change of letter case alone steps aside: one name on a FAT volume.
    RenamePlan plan = planRename(
        {{"a", "A"}, {"z", "Z"}, {longName, "short"}, {"short", longName}, {"b", "x/y"}}, prefixed);

    EXPECT_EQ(plan.rows[0].temporary(), "_jd[001a");
    EXPECT_EQ(plan.rows[1].plan, RowPlan::Refused);
    EXPECT_EQ(plan.rows[1].refused, EEXIST); // the search does not go round for ever
    // No room for the whole name after the prefix: it is cut at the end.
    EXPECT_EQ(plan.rows[2].temporary(), "_jd[002" + std::string(248, 'n'));
    EXPECT_EQ(plan.rows[3].temporary(), "");
    EXPECT_EQ(plan.rows[4].plan, RowPlan::Refused);
    EXPECT_EQ(plan.rows[4].refused, EINVAL);
}

} // namespace
