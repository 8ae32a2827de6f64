#pragma once

// What the time stamp and attribute tests share: two Shift-JIS names and a
// stand-in for the window that keeps what a per-file run said, in order.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "NameText.h"
#include "RunFeedback.h"

namespace torvel::testing {

// 写真.jpg and 表.txt in Shift-JIS; the second byte of 表 is "\".
inline const std::string photoSjis = "\x8e\xca\x90\x5e.jpg";
inline const std::string tableSjis = "\x95\x5c.txt";

// The failure box text for a file that could not be changed.
inline std::string failureFor(const std::string& name)
{
    return displayName(name) + "は、変更できませんでした。";
}

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
    void fileFailed(const std::string& message) override { failures.push_back(message); }
    void progress(int done, int total) override
    {
        lastDone = done;
        lastTotal = total;
    }

    std::vector<std::string> statuses;
    std::vector<std::string> failures;
    int lastDone = 0;
    int lastTotal = 0;
};

} // namespace torvel::testing
