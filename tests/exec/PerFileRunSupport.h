#pragma once

// What the time stamp and attribute tests share: two Shift-JIS names, a
// stand-in for the window that keeps what a per-file run said, in order, and
// a readable form of the run's result.

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "ChangeReport.h"
#include "NameText.h"
#include "RunFeedback.h"

namespace torvel {

// A result as a failed assertion shows it: names decoded, errors by name.
inline void PrintTo(const ChangeResult& result, std::ostream* out)
{
    *out << result.changed << " changed;";
    for (const ChangeFailure& f : result.failures)
        *out << " " << displayName(f.name) << " " << ::strerrorname_np(f.error);
}

} // namespace torvel

namespace torvel::testing {

// 写真.jpg and 表.txt in Shift-JIS; the second byte of 表 is "\".
inline const std::string photoSjis = "\x8e\xca\x90\x5e.jpg";
inline const std::string tableSjis = "\x95\x5c.txt";

class Recorder : public RunFeedback
{
public:
    void status(int kind, const std::string& text) override
    {
        EXPECT_EQ(kind, 1);
        statuses.push_back(text);
    }
    TrashAnswer confirmTrash(const std::string&) override
    {
        ADD_FAILURE() << "a time stamp or attribute run never sends a file to the trash";
        return TrashAnswer::No;
    }
    void fileFailed(const std::string&) override
    {
        ADD_FAILURE() << "a time stamp or attribute run leaves its failures to the window's one box";
    }
    void progress(int done, int total) override
    {
        lastDone = done;
        lastTotal = total;
    }

    std::vector<std::string> statuses;
    int lastDone = 0;
    int lastTotal = 0;
};

} // namespace torvel::testing
