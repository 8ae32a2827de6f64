#pragma once

// What the run tests share: a fixture with a source folder, a destination
// folder and a trash of its own, and the window's stand-in.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "TrashOperation.h"
#include "PosixFileSystem.h"
#include "MoveAndCopy.h"
#include "RenameInPlace.h"
#include "RunFeedback.h"
#include "RunJournal.h"
#include "RunUndo.h"
#include "RunTypes.h"
#include "common/FeedbackStandIn.h"
#include "common/SampleNames.h"
#include "common/ScratchDir.h"

namespace torvel {

// A source folder, a destination folder and a trash of the test's own
// (XDG_DATA_HOME), all on the device of /tmp.
class RunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const char* old = std::getenv("XDG_DATA_HOME")) {
            m_hadHome = true;
            m_savedHome = old;
        }
        ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);
    }

    void TearDown() override
    {
        if (m_hadHome)
            ::setenv("XDG_DATA_HOME", m_savedHome.c_str(), 1);
        else
            ::unsetenv("XDG_DATA_HOME");
    }

    RunSettings inPlace(bool juuhuku = true, bool sameName = false) const
    {
        return {src.path(), src.path(), SaveMode::Rename, juuhuku, sameName};
    }

    RunSettings across(SaveMode method, bool sameName = false) const
    {
        return {src.path(), dst.path(), method, true, sameName};
    }

    // The names in the trash's files/ folder.
    std::vector<std::string> trashed() const { return data.names("Trash/files"); }

    void writeAll(const ScratchDir& dir, const std::vector<std::string>& names) const
    {
        for (const auto& name : names)
            dir.write(name, "contents of " + name);
    }

    ScratchDir src;
    ScratchDir dst;
    ScratchDir data;
    PosixFileSystem real;
    FeedbackStandIn feedback;

private:
    bool m_hadHome = false;
    std::string m_savedHome;
};

// Runs that write journals to a folder of the test's own, and take them back.
class JournaledRunTest : public RunTest
{
protected:
    // Through the real file system and the stand-in, unless others are given.
    RunResult journaled(const std::vector<RunRow>& rows, const RunSettings& settings,
                        FileSystem* fs = nullptr, RunFeedback* by = nullptr)
    {
        FileSystem& files = fs != nullptr ? *fs : real;
        RunFeedback& person = by != nullptr ? *by : feedback;
        TFileOperation operation(files, &person);
        RunJournal journal(journalFolder);
        RunServices services{files, person, operation, &journal};
        return settings.saveMode == SaveMode::Rename ? File_Rename(rows, settings, services)
                                                     : File_Move(rows, settings, services);
    }

    // 元に戻す: the last journal, whatever it holds.
    RunResult takeBackLast()
    {
        JournalRecord record;
        EXPECT_TRUE(lastRunToTakeBack(journalFolder, record));
        TFileOperation operation(real, &feedback);
        RunJournal journal(journalFolder);
        RunServices services{real, feedback, operation, &journal};
        return takeBackLastRun(record, services);
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

} // namespace torvel
