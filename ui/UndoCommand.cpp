// Taking the last run back (元に戻す, Ctrl+Z), and at start, finishing or
// taking back a run that was cut short by a crash.
#include "UndoCommand.h"
#include "Utf8Text.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <functional>

#include "AtomicSave.h"
#include "DurableFile.h"
#include "FileInfo.h"
#include "FormHost.h"
#include "FolderHandle.h"
#include "PosixFileSystem.h"
#include "RunCommand.h"
#include "RunReport.h"
#include "RunSession.h"
#include "RunUndo.h"
#include "StatusMessages.h"
#include "StatusTexts.h"
#include "UndoTexts.h"
#include "WindowFeedback.h"

namespace torvel {

UndoCommand::UndoCommand(FormHost& host, RunCommand& run, QWidget* window, std::string settingsPath,
                         ShowFiles showFiles)
    : QObject(window)
    , m_host(host)
    , m_run(run)
    , m_window(window)
    , m_settingsPath(std::move(settingsPath))
    , m_showFiles(std::move(showFiles))
{}

void UndoCommand::addTo(QMenu* menu, QAction* before)
{
    auto* undo = new QAction(QStringLiteral("元に戻す(&U)"), m_window);
    undo->setObjectName(QStringLiteral("Undo1"));
    undo->setShortcut(QKeySequence::Undo);
    menu->insertAction(before, undo);
    connect(undo, &QAction::triggered, this, &UndoCommand::takeBackLast);
}

void UndoCommand::takeBackLast()
{
    if (m_run.underWay()) {
        return;
    }
    JournalRecord record;
    std::size_t done = 0;
    {
        // Only looked at under the lock: a run of another process may be
        // writing the newest journal.
        const std::unique_ptr<RunSession> session = openSession(m_host);
        if (!session) {
            return;
        }
        if (!lastRunToTakeBack(session->journalFolder(), record)) {
            m_host.StatusWrite(StatusKind::Warning, utf8Text(nothingToTakeBack));
            return;
        }
        done = filesDone(record, session->fs());
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("確認"),
                    utf8Text(takeBackQuestion(record, done)), QMessageBox::Yes | QMessageBox::No,
                    m_window);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ"));
    box.setDefaultButton(QMessageBox::No);
    if (m_host.messageBox(box) == QMessageBox::Yes) {
        settleRun(record, RunCommand::Settlement::TakeBackLast);
    }
}

namespace {

// How the person answered the question about runs cut short.
enum class RecoveryAnswer : std::uint8_t
{
    Finish,
    TakeBack,
    Later,
    OneByOne,
};

RecoveryAnswer askRecovery(QWidget* window, const std::string& text, bool oneByOne,
                           const std::function<int(QMessageBox&)>& ask)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("TORVEL"), utf8Text(text),
                    QMessageBox::NoButton, window);
    QPushButton* finish = box.addButton(QStringLiteral("続行(&C)"), QMessageBox::AcceptRole);
    QPushButton* back = box.addButton(QStringLiteral("元に戻す(&U)"), QMessageBox::DestructiveRole);
    QPushButton* single =
        oneByOne ? box.addButton(QStringLiteral("一つずつ(&O)"), QMessageBox::ActionRole) : nullptr;
    QPushButton* later = box.addButton(QStringLiteral("後で(&L)"), QMessageBox::RejectRole);
    box.setDefaultButton(later);
    box.setEscapeButton(later);
    ask(box);
    if (box.clickedButton() == finish) {
        return RecoveryAnswer::Finish;
    }
    if (box.clickedButton() == back) {
        return RecoveryAnswer::TakeBack;
    }
    return single != nullptr && box.clickedButton() == single ? RecoveryAnswer::OneByOne
                                                              : RecoveryAnswer::Later;
}

} // namespace

void UndoCommand::offerRecovery()
{
    removeStaleSaveTemporaries(m_settingsPath);
    if (m_run.underWay()) {
        return;
    }
    std::vector<JournalRecord> runs;
    std::vector<JournalRecord> damaged;
    {
        // A run of torvel-cli under way now is not one a crash cut short:
        // the question waits until it is over.
        const RunSession session(stateFolder(), std::chrono::milliseconds(0));
        if (session.state() == JournalFolder::State::Busy) {
            QTimer::singleShot(recoveryRetry, this, &UndoCommand::offerRecovery);
            return;
        }
        if (!session.held()) {
            m_host.showErrorMessage(utf8Text(session.refusal()));
            return;
        }
        runs = unfinishedRuns(session.journalFolder(), &damaged);
    }
    for (const JournalRecord& record : damaged) {
        m_host.showErrorMessage(utf8Text(damagedJournalText(record)));
    }
    const auto ask = [this](QMessageBox& box) { return m_host.messageBox(box); };
    std::reverse(runs.begin(), runs.end()); // the newest first
    RecoveryAnswer all = RecoveryAnswer::OneByOne;
    if (runs.size() > 1) {
        all = askRecovery(m_window, unfinishedRunsQuestion(runs), true, ask);
    }
    PosixFileSystem fs; // how far a run got is looked up only for its own question
    for (const JournalRecord& record : runs) {
        const RecoveryAnswer answer =
            all != RecoveryAnswer::OneByOne
                ? all
                : askRecovery(m_window, unfinishedRunQuestion(record, filesDone(record, fs)), false,
                              ask);
        if (answer == RecoveryAnswer::Finish) {
            settleRun(record, RunCommand::Settlement::Finish);
        } else if (answer == RecoveryAnswer::TakeBack) {
            settleRun(record, RunCommand::Settlement::TakeBack);
        }
    }
}

// Takes back or finishes a run through the engine, then lists its files
// where they are now.
void UndoCommand::settleRun(const JournalRecord& record, RunCommand::Settlement how)
{
    RunCommand::Guard guard(m_run);
    const std::optional<RunResult> result = m_run.settle(record, how);
    if (!result) {
        return;
    }
    // The files as they stand now: under their old names after taking back,
    // under their new names after finishing.
    const bool takeBack = how == RunCommand::Settlement::TakeBack
                          || (how == RunCommand::Settlement::TakeBackLast && !record.settlement());
    const std::string& folder =
        takeBack || record.kind == JournalKind::Rename ? record.from : record.to;
    FolderHandle handle(folder);
    std::vector<std::string> selected;
    for (const JournalFile& file : record.files) {
        const std::string& name = takeBack ? file.oldName : file.newName;
        if (fileExists(handle, name)) {
            selected.push_back(name);
        }
    }
    m_showFiles(folder, std::move(selected));
    guard.redrawn();
    m_host.StatusWrite(StatusKind::Waiting, utf8Text(settledSummary(*result, takeBack)));
    if (const std::string report = failureReport(*result); !report.empty()) {
        m_run.feedback().fileFailed(report);
    }
}

} // namespace torvel
