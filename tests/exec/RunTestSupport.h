#pragma once

// What the run tests share: a window stand-in that answers the trash
// questions from a script and remembers what it was shown, and a fixture
// with a source folder, a destination folder and a trash of its own.

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "NewCtrls.h"
#include "PosixFileSystem.h"
#include "RunFeedback.h"
#include "RunTypes.h"
#include "common/ScratchDir.h"

namespace torvel {

inline const std::string sjisPhoto = "\x8e\xca\x90\x5e.jpg";   // 写真.jpg
inline const std::string sjisTable = "\x95\x5c" "01.txt";     // 表01.txt, 0x5C second byte
inline const std::string sjisSeries = "\x89\xe6\x91\x9c" "01.jpg"; // 画像01.jpg

class ScriptedFeedback : public RunFeedback
{
public:
    void status(int kind, const std::string& text) override { statuses.push_back({kind, text}); }

    TrashAnswer confirmTrash(const std::string& path) override
    {
        asked.push_back(path);
        if (whileAsked)
            whileAsked(path);
        if (answers.empty())
            return TrashAnswer::No;
        TrashAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    void fileFailed(const std::string& message) override { failed.push_back(message); }

    void progress(int done, int total) override
    {
        lastDone = done;
        lastTotal = total;
    }

    struct Status
    {
        int kind;
        std::string text;
    };

    std::deque<TrashAnswer> answers; // given in turn; No once they run out
    std::vector<std::string> asked;  // the paths offered to the trash
    std::function<void(const std::string&)> whileAsked; // runs while the question stands
    std::vector<Status> statuses;
    std::vector<std::string> failed;
    int lastDone = 0;
    int lastTotal = 0;
};

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
        return {src.path(), src.path(), 0, juuhuku, sameName};
    }

    RunSettings across(int method, bool sameName = false) const
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
    ScriptedFeedback feedback;

private:
    bool m_hadHome = false;
    std::string m_savedHome;
};

} // namespace torvel
