#pragma once

// The window's place in the tests of the layers below it: it keeps what a run
// said, in order, answers the trash questions from a script and collects the
// failure boxes. A run that must never ask or open a box (the time stamp and
// attribute runs) is watched by a stand-in made with Asks::Never.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "RunFeedback.h"

namespace torvel {

class FeedbackStandIn : public RunFeedback
{
public:
    enum class Asks
    {
        AsScripted,
        Never
    };

    explicit FeedbackStandIn(Asks asks = Asks::AsScripted)
        : m_questionsAreFaults(asks == Asks::Never)
    {}

    void status(const RunStatus& status) override { statuses.push_back(status); }

    TrashAnswer confirmTrash(const std::string& path) override
    {
        if (m_questionsAreFaults)
            ADD_FAILURE() << "a time stamp or attribute run never sends a file to the trash";
        asked.push_back(path);
        if (whileAsked)
            whileAsked(path);
        if (answers.empty())
            return TrashAnswer::No;
        TrashAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    void fileFailed(const std::string& message) override
    {
        if (m_questionsAreFaults)
            ADD_FAILURE()
                << "a time stamp or attribute run leaves its failures to the window's one box";
        failed.push_back(message);
    }

    void progress(int done, int total) override
    {
        lastDone = done;
        lastTotal = total;
    }

    // The names the statuses were about, in order.
    std::vector<std::string> statusNames() const
    {
        std::vector<std::string> names;
        for (const RunStatus& status : statuses)
            names.push_back(status.name);
        return names;
    }

    std::deque<TrashAnswer> answers;                    // given in turn; No once they run out
    std::vector<std::string> asked;                     // the paths offered to the trash
    std::function<void(const std::string&)> whileAsked; // runs while the question stands
    std::vector<RunStatus> statuses;
    std::vector<std::string> failed;
    int lastDone = 0;
    int lastTotal = 0;

private:
    bool m_questionsAreFaults;
};

} // namespace torvel
