// The main window's options and the doorways into the work behind them: the
// option handlers of the rename page and the time stamp and attribute pages.
#include "MainForm.h"

#include "ui_MainForm.h"

#include <QButtonGroup>
#include <QDateTime>
#include <QScrollBar>

#include <algorithm>
#include <cctype>

#include "CtrlsEx.h"
#include "CuteBtn.h"
#include "StatusLine.h"
#include "UpDown.h"

namespace torvel {

namespace {


} // namespace

// ---------------------------------------------------------------------------
// Option handlers of the rename page

void TForm1::Edit1Change()
{
    ui->Edit1->repaint();
    StringGrid1Write(ui->NonPreCheck->isChecked());
}

void TForm1::Edit3Change()
{
    ui->Edit3->repaint();
    StringGrid1Write(ui->NonPreCheck->isChecked());
}

void TForm1::Edit2Change()
{
    if (ui->Edit2->text().isEmpty()) {
        // Setting the text comes back here, and that pass redraws.
        ui->Edit2->setText(QStringLiteral("2"));
        return;
    }
    ui->Edit2->repaint();
    StringGrid1Write(ui->NonPreCheck->isChecked());
}

void TForm1::Edit4Change()
{
    if (ui->Edit4->text().isEmpty()) {
        ui->Edit4->setText(QStringLiteral("1"));
        return;
    }
    ui->Edit4->repaint();
    StringGrid1Write(ui->NonPreCheck->isChecked());
}

void TForm1::ExtCheckClick()
{
    const bool changeExtension = ui->ExtCheck->isChecked();
    ui->Edit3->setEnabled(changeExtension);
    ui->CuteButton2->setEnabled(changeExtension);
    StringGrid1Write(ui->NonPreCheck->isChecked());
}

void TForm1::JuuhukuCheckClick()
{
    StringGrid1Write(ui->NonPreCheck->isChecked());
    // Keeping the files' own numbers rules out the options that would change
    // those numbers or the extension.
    const bool keepNumber = ui->KetaCheck->isChecked();
    ui->KetaName->setEnabled(keepNumber);
    ui->JuuhukuCheck->setEnabled(!keepNumber);
    ui->ExtCheck->setEnabled(!keepNumber);
    ui->CheckBox1->setEnabled(!keepNumber);
}

void TForm1::UpCheckClick()
{
    if (ui->UpCheck->isChecked()) {
        ui->LowCheck->setChecked(false);
    }
    StringGrid1Write(ui->NonPreCheck->isChecked());
}

void TForm1::LowCheckClick()
{
    if (ui->LowCheck->isChecked()) {
        ui->UpCheck->setChecked(false);
    }
    StringGrid1Write(ui->NonPreCheck->isChecked());
}

// ---------------------------------------------------------------------------
// Commands

void TForm1::PreViewButtonClick()
{
    StringGrid1Write(true);
}

void TForm1::NonPreCheckClick()
{
    // The menu has already inverted the check mark.
    updatePreviewCommands();
    StringGrid1Write(ui->NonPreCheck->isChecked());
}

} // namespace torvel
