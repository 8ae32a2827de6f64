// Taking the last run back (元に戻す, Ctrl+Z), and at start, finishing or
// taking back a run that was cut short by a crash.
#include "MainForm.h"
#include "Utf8Text.h"

#include "ui_MainForm.h"

#include <QAction>
#include <QMessageBox>
#include <QPushButton>

#include "AtomicSave.h"
#include "DurableFile.h"
#include "FileInfo.h"
#include "FileSelection.h"
#include "FolderHandle.h"
#include "RunCommand.h"
#include "RunReport.h"
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
    if (!lastRunToTakeBack(stateFolder(), record)) {
        StatusWrite(StatusKind::Warning, utf8Text(nothingToTakeBack));
        return;
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("確認"),
                    utf8Text(takeBackQuestion(record)), QMessageBox::Yes | QMessageBox::No, this);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ"));
    box.setDefaultButton(QMessageBox::No);
    if (messageBox(box) == QMessageBox::Yes) {
        settleRun(record, true);
    }
}

void TForm1::offerRecovery()
{
    removeStaleSaveTemporaries(settingsPath());
    for (const JournalRecord& record : unfinishedRuns(stateFolder())) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("TORVEL"),
                        utf8Text(unfinishedRunQuestion(record)), QMessageBox::NoButton, this);
        QPushButton* finish = box.addButton(QStringLiteral("続行(&C)"), QMessageBox::AcceptRole);
        QPushButton* back =
            box.addButton(QStringLiteral("元に戻す(&U)"), QMessageBox::DestructiveRole);
        QPushButton* later = box.addButton(QStringLiteral("後で(&L)"), QMessageBox::RejectRole);
        box.setDefaultButton(later);
        box.setEscapeButton(later);
        messageBox(box);
        if (box.clickedButton() == finish) {
            settleRun(record, false);
        } else if (box.clickedButton() == back) {
            settleRun(record, true);
        }
    }
}

// Takes back or finishes a run through the engine, then lists its files
// where they are now.
void TForm1::settleRun(const JournalRecord& record, bool takeBack)
{
    RunCommand::Guard guard(*m_run);
    const std::optional<RunResult> result = m_run->settle(
        record, takeBack ? RunCommand::Settlement::TakeBack : RunCommand::Settlement::Finish);
    if (!result) {
        return;
    }
    // The files as they stand now: under their old names after taking back,
    // under their new names after finishing.
    const std::string& folder =
        takeBack || record.kind == JournalKind::Rename ? record.from : record.to;
    FolderHandle handle(folder);
    SelectedFiles.clear();
    for (const JournalFile& file : record.files) {
        const std::string& name = takeBack ? file.oldName : file.newName;
        if (fileExists(handle, name)) {
            SelectedFiles.push_back(name);
        }
    }
    SearchDirChange(folder);
    FileSeleSet();
    FileProp();
    StringGrid1Write(immediatePreview());
    guard.redrawn();
    StatusWrite(StatusKind::Waiting, StatusText::converted(static_cast<int>(SelectedFiles.size())));
    if (const std::string report = failureReport(*result); !report.empty()) {
        runFeedback().fileFailed(report);
    }
}

} // namespace torvel
