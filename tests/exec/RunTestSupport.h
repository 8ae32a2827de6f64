#pragma once

// What the run tests share: a fixture with a source folder, a destination
// folder and a trash of its own, and the window's stand-in.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "NewCtrls.h"
#include "PosixFileSystem.h"
#include "RunFeedback.h"
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

} // namespace torvel
