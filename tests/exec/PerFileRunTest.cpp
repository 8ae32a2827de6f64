// The one loop of the time stamp and attribute runs, through both kinds:
// what it records when files fail, and where it stops when asked.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "AttrChange.h"
#include "DateChange.h"
#include "PerFileRunSupport.h"
#include "PosixFileSystem.h"
#include "RunJournal.h"
#include "common/FaultyFileSystem.h"
#include "common/ScratchDir.h"

using namespace torvel;

namespace {

// The stand-in, asking the run to stop once it has reached stopAt files.
class StoppingFeedback : public FeedbackStandIn
{
public:
    explicit StoppingFeedback(std::size_t stopAt)
        : FeedbackStandIn(Asks::Never)
        , m_stopAt(stopAt)
    {}
    bool stopRequested() override { return m_stopAt != 0 && statuses.size() >= m_stopAt; }

private:
    std::size_t m_stopAt;
};

struct Case
{
    const char* name;
    JournalKind kind;
    std::vector<std::string> names;
    std::string folder = {}; // under the scratch folder; empty: the scratch folder itself
    std::vector<FaultyFileSystem::Fault> faults = {};
    std::size_t stopAt = 0; // files reached before the run is asked to stop; 0: never
    Changes expected = {};
    std::vector<RowResult> rows = {};
};

RunResult runCase(const Case& c, const std::string& folder, FileSystem& fs, RunFeedback& feedback,
                  RunJournal& journal)
{
    TFileOperation trash(fs, &feedback);
    RunServices services{fs, feedback, trash, &journal};
    if (c.kind == JournalKind::TimeStamp) {
        DateChangeInput in;
        in.year = 2024;
        in.month = 5;
        in.day = 6;
        in.hour = 7;
        in.folder = folder;
        in.names = c.names;
        return Date_Change(in, services);
    }
    AttrChangeInput in;
    in.masks = attrMasks({AttrChoice::Set, AttrChoice::Keep, AttrChoice::Keep}); // in the mode
    in.folder = folder;
    in.names = c.names;
    return Attr_Change(in, services);
}

} // namespace

TEST(PerFileRun, FailuresAreRecordedPerFileAndTheRunGoesOnUntilAskedToStop)
{
    using enum RowResult;
    constexpr JournalKind stamp = JournalKind::TimeStamp;
    constexpr JournalKind attributes = JournalKind::Attributes;
    const Case cases[] = {
        {"a time stamp run in a folder that cannot be opened fails every file",
         stamp,
         {"a.txt", "b.txt"},
         "missing/",
         {},
         0,
         {0, {{"a.txt", ENOENT}, {"b.txt", ENOENT}}},
         {Failed, Failed}},
        {"so does an attribute run",
         attributes,
         {"a.txt", "b.txt"},
         "missing/",
         {},
         0,
         {0, {{"a.txt", ENOENT}, {"b.txt", ENOENT}}},
         {Failed, Failed}},
        {"a missing file and a folder are reported, and the others stamped",
         stamp,
         {"gone.txt", "sub", "a.txt"},
         {},
         {},
         0,
         {1, {{"gone.txt", ENOENT}, {"sub", EISDIR}}, true},
         {Failed, Failed, Converted}},
        {"a time the file system refuses fails that file only",
         stamp,
         {"a.txt", "b.txt", "c.txt"},
         {},
         {{FsCall::SetLastWriteTime, EPERM, "b.txt"}},
         0,
         {2, {{"b.txt", EPERM}}, true},
         {Converted, Failed, Converted}},
        {"attributes a file system cannot store fail that file only",
         attributes,
         {"a.txt", "gone.txt", "b.txt", "c.txt"},
         {},
         {{FsCall::ChangeAttributes, ENOTSUP, "b.txt"}},
         0,
         {2, {{"gone.txt", ENOENT}, {"b.txt", ENOTSUP}}, true},
         {Converted, Failed, Failed, Converted}},
        {"a stop leaves the files not reached untouched and the run to take back",
         stamp,
         {"a.txt", "b.txt", "c.txt"},
         {},
         {},
         1,
         {1, {}, true},
         {Converted, Pending, Pending}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            dir.write(name, name);
        dir.makeFolder("sub");
        PosixFileSystem real;
        FaultyFileSystem fs(real);
        for (const FaultyFileSystem::Fault& fault : c.faults)
            fs.fail(fault);
        StoppingFeedback feedback(c.stopAt);
        RunJournal journal(dir / "journals/");

        const RunResult result = runCase(c, dir.path() + c.folder, fs, feedback, journal);

        EXPECT_EQ(changesOf(result), c.expected);
        EXPECT_EQ(result.rows, c.rows);
        EXPECT_EQ(result.stopped, c.stopAt != 0);
        EXPECT_EQ(feedback.statuses.size(), c.stopAt != 0 ? c.stopAt : c.names.size());
        // A run that stopped is taken back or finished as one cut short.
        if (result.journaled) {
            EXPECT_EQ(journalEnd(journal.path()),
                      c.stopAt != 0 ? JournalEnd::Open : JournalEnd::Finished);
        }
    }
}
