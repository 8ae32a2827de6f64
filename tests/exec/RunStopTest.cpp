// Runs the person stops between files: every file is under its old name or
// its new one, never a temporary name, and the journal, left open, takes the
// run back.

#include <map>

#include <unistd.h>

#include "RunTestSupport.h"

namespace torvel {
namespace {

using Names = std::vector<std::string>;
// Each file that should stand in a folder, by the name it had before the run.
using Places = std::map<std::string, std::string>;

// The window's stand-in that asks to stop once a number of files are done.
class StoppingFeedback : public FeedbackStandIn
{
public:
    int stopAfter = 0;
    bool stopRequested() override { return lastDone >= stopAfter; }
};

class RunStopTest : public JournaledRunTest
{
protected:
    RunResult stoppedRun(const std::vector<RunRow>& rows, const RunSettings& settings)
    {
        return journaled(rows, settings, nullptr, &stopping);
    }

    void expectPlaces(const ScratchDir& dir, const Places& places)
    {
        Names names;
        for (const auto& [name, before] : places) {
            names.push_back(name);
            EXPECT_EQ(dir.read(name), "contents of " + before) << name;
        }
        EXPECT_EQ(dir.names(), names);
    }

    StoppingFeedback stopping;
};

TEST_F(RunStopTest, AStoppedRunLeavesNoFileHalfWayAndIsTakenBack)
{
    struct Case
    {
        const char* name;
        std::vector<RunRow> rows;
        bool inPlace;
        int stopAfter;
        int converted;
        Places src; // after the stop
        Places dst;
    };
    // The plan renames c, then steps a aside, renames b to a and a to b,
    // then d: a stop asked for inside the swap waits for it to close.
    const Case cases[] = {
        {"a rename in place asked to stop inside a swap",
         {{sjisPhoto, "C.jpg"}, {"a.jpg", "b.jpg"}, {"b.jpg", "a.jpg"}, {"d.jpg", "D.jpg"}},
         true,
         2,
         3,
         {{"C.jpg", sjisPhoto}, {"a.jpg", "b.jpg"}, {"b.jpg", "a.jpg"}, {"d.jpg", "d.jpg"}},
         {}},
        {"a move stopped between files",
         {{sjisPhoto, "A.jpg"}, {"b.jpg", "B.jpg"}, {"c.jpg", "C.jpg"}},
         false,
         1,
         1,
         {{"b.jpg", "b.jpg"}, {"c.jpg", "c.jpg"}},
         {{"A.jpg", sjisPhoto}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const RunRow& row : c.rows)
            src.write(row.current, "contents of " + row.current);
        stopping.stopAfter = c.stopAfter;
        stopping.lastDone = 0;
        const RunResult result = stoppedRun(c.rows, c.inPlace ? inPlace() : across(SaveMode::Move));
        EXPECT_TRUE(result.stopped);
        EXPECT_EQ(result.converted, c.converted);
        EXPECT_EQ(result.rows.back(), RowResult::Pending);
        expectPlaces(src, c.src);
        expectPlaces(dst, c.dst);
        const Names journals = journalPaths(journalFolder);
        ASSERT_FALSE(journals.empty());
        EXPECT_EQ(journalEnd(journals.back()), JournalEnd::Open);

        const RunResult back = takeBackLast();
        EXPECT_TRUE(back.failures.empty());
        Places before;
        for (const RunRow& row : c.rows)
            before[row.current] = row.current;
        expectPlaces(src, before);
        expectPlaces(dst, {});
        for (const RunRow& row : c.rows)
            ::unlink((src / row.current).c_str());
    }
}

} // namespace
} // namespace torvel
