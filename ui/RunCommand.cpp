#include "RunCommand.h"
#include "Utf8Text.h"

#include "ui_MainForm.h"

#include <utility>

#include "ChangeReport.h"
#include "DurableFile.h"
#include "FormHost.h"
#include "JournalFolder.h"
#include "PosixFileSystem.h"
#include "RunDriver.h"
#include "RunJournal.h"
#include "RunReport.h"
#include "RunTypes.h"
#include "RunUndo.h"
#include "StatusMessages.h"
#include "StatusTexts.h"
#include "TrashOperation.h"
#include "UndoTexts.h"
#include "WindowFeedback.h"

namespace torvel {

// What a run of the rename page works through, for the window's whole life:
// the file system and the file operation component.
struct RunCommand::Components
{
    explicit Components(RunFeedback& feedback)
        : operation(fs, &feedback)
    {}

    PosixFileSystem fs;
    TFileOperation operation;
};

RunCommand::RunCommand(Ui::TForm1& ui, FormHost& host, QWidget* window)
    : m_host(host)
    , m_button(ui.TorvelButton)
    , m_item(ui.R2)
    , m_feedback(std::make_unique<WindowFeedback>(window, ui.StatusBar1))
{}

RunCommand::~RunCommand() = default;

TFileOperation& RunCommand::FileOperation1()
{
    if (!m_components) {
        m_components = std::make_unique<Components>(*m_feedback);
    }
    return m_components->operation;
}

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

std::optional<RunResult> RunCommand::renameRows(const std::vector<RunRow>& rows,
                                                const RunSettings& settings)
{
    TFileOperation& fileOperation = FileOperation1(); // made at its first use
    const std::unique_ptr<JournalFolder> journals = holdJournals(m_host);
    if (!journals) {
        return std::nullopt;
    }
    // The plan goes to a journal before the first file is touched, so that
    // the run can be taken back, even after a crash in the middle of it.
    RunJournal journal(stateFolder());
    RunServices services{m_components->fs, *m_feedback, fileOperation, &journal};
    RunResult result;
    {
        WindowFeedback::RunScope scope(*m_feedback, static_cast<int>(rows.size()));
        result = runRenamePage(rows, settings, services);
    }
    pruneJournals(stateFolder());
    if (!result.started()) {
        m_host.showErrorMessage(utf8Text(result.errorText));
        return std::nullopt;
    }
    m_summary = utf8Text(runSummary(result, journal.path().empty() ? "" : ctrlZHint));
    return result;
}

QString RunCommand::takeSummary()
{
    return std::exchange(m_summary, QString());
}

std::optional<RunResult> RunCommand::settle(const JournalRecord& asked, Settlement how)
{
    const std::unique_ptr<JournalFolder> journals = holdJournals(m_host);
    if (!journals) {
        return std::nullopt;
    }
    // The journal read again under the lock: another process may have run
    // or settled meanwhile, and 元に戻す takes back only the run it named.
    JournalRecord record;
    const bool same = how == Settlement::TakeBackLast
                          ? lastRunToTakeBack(stateFolder(), record) && record.path == asked.path
                          : readJournal(asked.path, record) == 0 && !record.undone;
    if (!same) {
        m_host.showErrorMessage(utf8Text(runChangedMeanwhile));
        return std::nullopt;
    }
    RunJournal journal(stateFolder());
    TFileOperation& fileOperation = FileOperation1(); // made at its first use
    RunServices services{m_components->fs, *m_feedback, fileOperation, &journal};
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
        m_host.showErrorMessage(utf8Text(result.errorText));
        return std::nullopt;
    }
    return result;
}

std::unique_ptr<JournalFolder> holdJournals(FormHost& host)
{
    auto journals = std::make_unique<JournalFolder>(stateFolder(), JournalFolder::briefWait);
    if (!journals->held()) {
        host.showErrorMessage(utf8Text(journals->refusal()));
        return nullptr;
    }
    return journals;
}

void RunCommand::reportRun(const RunResult& result)
{
    m_host.StatusWrite(StatusKind::Waiting, StatusText::converted(result.converted));
    if (const std::string report = failureReport(result); !report.empty()) {
        m_feedback->fileFailed(report);
    }
}

void RunCommand::reportChanges(const ChangeResult& result)
{
    m_host.StatusWrite(StatusKind::Waiting, StatusText::converted(result.changed));
    if (const std::string report = changeFailureReport(result); !report.empty()) {
        m_feedback->fileFailed(report);
    }
    // A time stamp or attribute run is taken back like a rename.
    m_summary = utf8Text(
        runSummary(result.changed, result.failures.size(), result.journaled ? ctrlZHint : ""));
}

} // namespace torvel
