#include "RunCommand.h"
#include "Utf8Text.h"

#include "ui_MainForm.h"

#include <utility>

#include "DurableFile.h"
#include "FormHost.h"
#include "RunDriver.h"
#include "RunJournal.h"
#include "RunSession.h"
#include "RunReport.h"
#include "RunTypes.h"
#include "RunUndo.h"
#include "StatusMessages.h"
#include "StatusTexts.h"
#include "UndoTexts.h"
#include "WindowFeedback.h"

namespace torvel {

RunCommand::RunCommand(Ui::TForm1& ui, FormHost& host, QWidget* window)
    : m_host(host)
    , m_button(ui.TorvelButton)
    , m_item(ui.R2)
    , m_feedback(std::make_unique<WindowFeedback>(window, ui.StatusBar1))
{}

RunCommand::~RunCommand() = default;

void RunCommand::setReady(bool ready)
{
    m_button->setEnabled(ready);
    m_item->setEnabled(ready);
}

RunCommand::Guard::Guard(RunCommand& command)
    : m_command(command)
    , m_buttonWasEnabled(command.m_button->isEnabled())
    , m_itemWasEnabled(command.m_item->isEnabled())
{
    m_command.m_underWay = true;
    m_command.setReady(false);
}

RunCommand::Guard::~Guard()
{
    m_command.m_underWay = false;
    if (!m_redrawn) {
        // A run that ended early leaves the grid as it was, and the command
        // as the grid had it.
        m_command.m_button->setEnabled(m_buttonWasEnabled);
        m_command.m_item->setEnabled(m_itemWasEnabled);
    }
}

std::optional<RunResult> RunCommand::carryOut(int total,
                                              const std::function<RunResult(RunServices&)>& run)
{
    const std::unique_ptr<RunSession> session = openSession(m_host);
    if (!session) {
        return std::nullopt;
    }
    // What the run does goes to a journal before the first file is touched,
    // so that it can be taken back, even after a crash in the middle of it.
    RunServices services = session->services(*m_feedback);
    RunResult result;
    {
        WindowFeedback::RunScope scope(*m_feedback, total);
        result = run(services);
    }
    if (!result.started()) {
        m_host.showErrorMessage(utf8Text(notStartedText(result)));
        return std::nullopt;
    }
    m_summary = utf8Text(runSummary(result, result.journaled ? ctrlZHint : ""));
    return result;
}

std::optional<RunResult> RunCommand::renameRows(const std::vector<RunRow>& rows,
                                                const RunSettings& settings)
{
    return carryOut(static_cast<int>(rows.size()),
                    [&](RunServices& services) { return runRenamePage(rows, settings, services); });
}

QString RunCommand::takeSummary()
{
    return std::exchange(m_summary, QString());
}

std::optional<RunResult> RunCommand::settle(const JournalRecord& asked, Settlement how)
{
    const std::unique_ptr<RunSession> session = openSession(m_host);
    if (!session) {
        return std::nullopt;
    }
    // The journal read again under the lock: another process may have run
    // or settled meanwhile, and 元に戻す takes back only the run it named.
    JournalRecord record;
    const bool same =
        how == Settlement::TakeBackLast
            ? lastRunToTakeBack(session->journalFolder(), record) && record.path == asked.path
            : readJournal(asked.path, record) == 0 && !record.undone;
    if (!same) {
        m_host.showErrorMessage(utf8Text(runChangedMeanwhile));
        return std::nullopt;
    }
    RunServices services = session->services(*m_feedback);
    RunResult result;
    {
        WindowFeedback::RunScope scope(*m_feedback, static_cast<int>(record.files.size()));
        switch (how) {
        case Settlement::TakeBack:
            result = takeBackRun(record, services);
            break;
        case Settlement::Finish:
            result = finishRun(record, services);
            break;
        case Settlement::TakeBackLast:
            result = takeBackLastRun(record, services);
            break;
        }
    }
    if (!result.started()) {
        m_host.showErrorMessage(utf8Text(notStartedText(result)));
        return std::nullopt;
    }
    return result;
}

std::unique_ptr<RunSession> openSession(FormHost& host)
{
    auto session = std::make_unique<RunSession>(stateFolder());
    if (!session->held()) {
        host.showErrorMessage(utf8Text(session->refusal()));
        return nullptr;
    }
    return session;
}

void RunCommand::reportRun(const RunResult& result)
{
    m_host.StatusWrite(StatusKind::Waiting, StatusText::converted(result.converted));
    if (const std::string report = failureReport(result); !report.empty()) {
        m_feedback->fileFailed(report);
    }
}

} // namespace torvel
