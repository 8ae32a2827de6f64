#include "CliOutput.h"

#include <csignal>
#include <istream>
#include <ostream>

#include "ByteText.h"
#include "NameText.h"
#include "RunReport.h"

namespace torvel {

TerminalFeedback::TerminalFeedback(bool yes, std::istream* answers, std::ostream& err,
                                   const std::atomic<int>* stopSignal)
    : m_yes(yes)
    , m_answers(answers)
    , m_err(err)
    , m_stopSignal(stopSignal)
{}

void TerminalFeedback::fileFailed(const std::string& message)
{
    m_err << message << '\n';
}

bool TerminalFeedback::stopRequested()
{
    return m_stopSignal != nullptr && *m_stopSignal != 0;
}

RunFeedback::TrashAnswer TerminalFeedback::confirmTrash(const std::string& path)
{
    if (m_yes)
        return TrashAnswer::YesToAll;
    if (m_answers == nullptr)
        return TrashAnswer::No;
    m_err << displayPath(path)
          << " はすでにあります。ごみ箱に移動しますか？ [y=はい/n=いいえ/a=すべて/q=中止] "
          << std::flush;
    std::string line;
    if (!std::getline(*m_answers, line) || line.empty())
        return TrashAnswer::No;
    switch (asciiLower(line.front())) {
    case 'y':
        return TrashAnswer::Yes;
    case 'a':
        return TrashAnswer::YesToAll;
    case 'q':
        return TrashAnswer::Cancel;
    default:
        return TrashAnswer::No;
    }
}

bool answeredYes(const std::string& question, std::istream& answers, std::ostream& err)
{
    err << question << "[y=はい/n=いいえ] " << std::flush;
    std::string line;
    return std::getline(answers, line) && !line.empty() && asciiLower(line.front()) == 'y';
}

CliExit report(const RunResult& result, const std::string& summary, bool all, std::ostream& out,
               std::ostream& err)
{
    if (!result.started()) {
        err << notStartedText(result) << '\n';
        return CliExit::Partly;
    }
    if (const std::string failures = failureReport(result); !failures.empty())
        err << failures << '\n';
    out << summary << '\n';
    return all && result.failures.empty() ? CliExit::Done : CliExit::Partly;
}

CliExit exitForSignal(int signal)
{
    return signal == SIGTERM ? CliExit::Terminated : CliExit::Interrupted;
}

} // namespace torvel
