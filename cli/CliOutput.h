#pragma once

#include <atomic>
#include <iosfwd>
#include <string>

#include "CliSession.h"
#include "RunFeedback.h"
#include "RunTypes.h"

namespace torvel {

// What a run of the command line asks and says: the questions on the
// terminal, an interrupt, and the report at the end.

// Asks on the terminal before a file goes to the trash, or answers for the
// person: yes to all with --yes, no when there is nobody to ask. A run asks
// it between files whether an interrupt came (stopSignal set).
class TerminalFeedback : public RunFeedback
{
public:
    TerminalFeedback(bool yes, std::istream* answers, std::ostream& err,
                     const std::atomic<int>* stopSignal = nullptr);

    void status(const RunStatus&) override {}
    void progress(int, int) override {}
    void fileFailed(const std::string& message) override;
    bool stopRequested() override;
    TrashAnswer confirmTrash(const std::string& path) override;

private:
    bool m_yes;
    std::istream* m_answers;
    std::ostream& m_err;
    const std::atomic<int>* m_stopSignal;
};

// Puts question on err, followed by the choices, and reads the answer from
// answers: true for a line that begins with y or Y; anything else, and no
// line at all, is no.
bool answeredYes(const std::string& question, std::istream& answers, std::ostream& err);

// The failures on stderr and the summary on stdout; all: whether the run did
// everything it was asked.
CliExit report(const RunResult& result, const std::string& summary, bool all, std::ostream& out,
               std::ostream& err);

// The exit status of a run stopped by signal (SIGINT, SIGTERM).
CliExit exitForSignal(int signal);

} // namespace torvel
