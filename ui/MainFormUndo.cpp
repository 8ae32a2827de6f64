// Taking the last run back (元に戻す, Ctrl+Z), and at start, finishing or
// taking back a run that was cut short by a crash.
#include "MainForm.h"
#include "Utf8Text.h"

#include "ui_MainForm.h"

#include <QAction>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <functional>

#include "AtomicSave.h"
#include "DurableFile.h"
#include "FileInfo.h"
#include "FileSelection.h"
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

void TForm1::addUndoCommand()
{
    auto* undo = new QAction(QStringLiteral("元に戻す(&U)"), this);
    undo->setObjectName(QStringLiteral("Undo1"));
    undo->setShortcut(QKeySequence::Undo);
    ui->File1->insertAction(ui->Exit1, undo);
    connect(undo, &QAction::triggered, this, &TForm1::UndoButtonClick);
}

void TForm1::UndoButtonClick()
{
    if (m_run->underWay()) {
        return;
    }
    JournalRecord record;
    std::size_t done = 0;
    {
        // Only looked at under the lock: a run of another process may be
        // writing the newest journal.
        const std::unique_ptr<RunSession> session = openSession(*this);
        if (!session) {
            return;
        }
        if (!lastRunToTakeBack(session->journalFolder(), record)) {
            StatusWrite(StatusKind::Warning, utf8Text(nothingToTakeBack));
            return;
        }
        done = filesDone(record, session->fs());
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("確認"),
                    utf8Text(takeBackQuestion(record, done)), QMessageBox::Yes | QMessageBox::No,
                    this);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ"));
    box.setDefaultButton(QMessageBox::No);
    if (messageBox(box) == QMessageBox::Yes) {
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

RecoveryAnswer askRecovery(TForm1& form, const std::string& text, bool oneByOne,
                           const std::function<int(QMessageBox&)>& ask)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("TORVEL"), utf8Text(text),
                    QMessageBox::NoButton, &form);
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

void TForm1::offerRecovery()
{
    removeStaleSaveTemporaries(settingsPath());
    if (m_run->underWay()) {
        return;
    }
    std::vector<JournalRecord> runs;
    std::vector<JournalRecord> damaged;
    {
        // A run of torvel-cli under way now is not one a crash cut short:
        // the question waits until it is over.
        const RunSession session(stateFolder(), std::chrono::milliseconds(0));
        if (session.state() == JournalFolder::State::Busy) {
            QTimer::singleShot(recoveryRetry, this, &TForm1::offerRecovery);
            return;
        }
        if (!session.held()) {
            showErrorMessage(utf8Text(session.refusal()));
            return;
        }
        runs = unfinishedRuns(session.journalFolder(), &damaged);
    }
    for (const JournalRecord& record : damaged) {
        showErrorMessage(utf8Text(damagedJournalText(record)));
    }
    const auto ask = [this](QMessageBox& box) { return messageBox(box); };
    std::reverse(runs.begin(), runs.end()); // the newest first
    RecoveryAnswer all = RecoveryAnswer::OneByOne;
    if (runs.size() > 1) {
        all = askRecovery(*this, unfinishedRunsQuestion(runs), true, ask);
    }
    PosixFileSystem fs; // how far a run got is looked up only for its own question
    for (const JournalRecord& record : runs) {
        const RecoveryAnswer answer =
            all != RecoveryAnswer::OneByOne
                ? all
                : askRecovery(*this, unfinishedRunQuestion(record, filesDone(record, fs)), false,
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
void TForm1::settleRun(const JournalRecord& record, RunCommand::Settlement how)
{
    RunCommand::Guard guard(*m_run);
    const std::optional<RunResult> result = m_run->settle(record, how);
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
    m_selection->setSelectedFiles(std::move(selected));
    // What the window shows is what the next run does: a rename of these
    // files in the folder they are in, as after any run.
    SearchDirChange(folder);
    ChangeDirChange(folder);
    RadioButtonIndex(SaveMode::Rename);
    FileSeleSet();
    FileProp();
    StringGrid1Write(immediatePreview());
    guard.redrawn();
    StatusWrite(StatusKind::Waiting, utf8Text(settledSummary(*result, takeBack)));
    if (const std::string report = failureReport(*result); !report.empty()) {
        runFeedback().fileFailed(report);
    }
}

} // namespace torvel
