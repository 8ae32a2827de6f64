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
#include "RunUndo.h"
#include "UndoTexts.h"

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
    if (m_runUnderWay) {
        return;
    }
    JournalRecord record;
    if (!lastRunToTakeBack(stateFolder(), record)) {
        StatusWrite(2, utf8Text(nothingToTakeBack));
        return;
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("確認"), utf8Text(takeBackQuestion(record)),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ"));
    box.setDefaultButton(QMessageBox::No);
    if (messageBox(box) == QMessageBox::Yes) {
        settleRun(record, RunSettlement::TakeBack);
    }
}

void TForm1::offerRecovery()
{
    removeStaleSaveTemporaries(settingsPath());
    for (const JournalRecord& record : unfinishedRuns(stateFolder())) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("TORVEL"),
                        utf8Text(unfinishedRunQuestion(record)), QMessageBox::NoButton, this);
        QPushButton* finish = box.addButton(QStringLiteral("続行(&C)"), QMessageBox::AcceptRole);
        QPushButton* back = box.addButton(QStringLiteral("元に戻す(&U)"), QMessageBox::DestructiveRole);
        QPushButton* later = box.addButton(QStringLiteral("後で(&L)"), QMessageBox::RejectRole);
        box.setDefaultButton(later);
        box.setEscapeButton(later);
        messageBox(box);
        if (box.clickedButton() == finish) {
            settleRun(record, RunSettlement::Finish);
        } else if (box.clickedButton() == back) {
            settleRun(record, RunSettlement::TakeBack);
        }
    }
}

} // namespace torvel
