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

const QString kWorking = QStringLiteral("ただいま表示処理をしています。しばらくお待ちください。");
const QString kChooseFiles = QStringLiteral("ファイルを選択してください。");

constexpr std::int32_t kAttrReadOnly = 0x01;
constexpr std::int32_t kAttrHidden = 0x02;
constexpr std::int32_t kAttrArchive = 0x20;

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

void TForm1::MaeSortClick()
{
    // The grid model empties its first name cell here, so that the new order
    // is shown even when no names are computed.
    StringGrid1Write(ui->NonPreCheck->isChecked());
}

void TForm1::Button1Click()
{
    // Takes the identifier from the first listed file.
}

void TForm1::Button2Click()
{
    // Takes the extension from the first listed file.
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

void TForm1::TorvelButtonClick()
{
    // The run over the grid's rows.
}

void TForm1::OpenButtonClick()
{
    // The open-file dialog and the new selection.
}

// ---------------------------------------------------------------------------
// File list, names and grid

int TForm1::fileListCount() const
{
    return 0;
}

void TForm1::FileProp()
{
    // Rebuilds the file list from SelectedFiles.
}

bool TForm1::Change_Name()
{
    // Gives every listed file its new name; true when none was left out.
    return true;
}

void TForm1::StringGrid1Write(bool compute)
{
    StatusWrite(1, kWorking);
    bool ready = compute;
    if (fileListCount() == 0) {
        ready = false;
        StatusWrite(3, kChooseFiles);
    } else {
        // The rows of the active page are written by the preview model.
        ready = false;
    }
    ui->TorvelButton->setEnabled(ready);
    ui->R2->setEnabled(ready);
    setGridColumnWidths();
    ui->StatusBar1->repaint();
}

void TForm1::FileSeleSet()
{
    // Rebuilds the extension filter from SelectedFiles.
}

void TForm1::CheckListBox1ClickCheck()
{
    // A filter item was ticked or unticked.
}

// ---------------------------------------------------------------------------
// Time stamp page

std::optional<QDateTime> TForm1::firstFileDateTime() const
{
    // The time stamp of the first listed file, once the file list is here.
    return std::nullopt;
}

void TForm1::TSheetDate(const QDateTime& dateTime)
{
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    ui->DateEdit1->setText(date.toString(QStringLiteral("yyyy/MM/dd")));
    ui->SpinEdit3->setText(QString::number(date.year()));
    ui->SpinEdit4->setText(QString::number(date.month()));
    ui->SpinEdit5->setText(QString::number(date.day()));
    ui->SpinEdit6->setValue(time.hour());
    ui->SpinEdit7->setValue(time.minute());
    ui->SpinEdit8->setValue(time.second());
}

void TForm1::DateEdit1Change()
{
    // Copies the date edit's year, month and day into the three boxes.
}

void TForm1::SpinEdit3Change()
{
    // The year box hands its year to the date edit.
}

void TForm1::SpinEdit4Change()
{
    // The month box hands its month to the date edit.
}

void TForm1::SpinEdit5Change()
{
    // The day box hands its day to the date edit.
}

void TForm1::SpinButton1UpClick() {}
void TForm1::SpinButton1DownClick() {}
void TForm1::SpinButton2UpClick() {}
void TForm1::SpinButton2DownClick() {}
void TForm1::SpinButton3UpClick() {}
void TForm1::SpinButton3DownClick() {}

void TForm1::DateButtonClick()
{
    TSheetDate(QDateTime::currentDateTime());
}

void TForm1::Date_Change()
{
    // Sets the composed time stamp on every listed file.
}

// ---------------------------------------------------------------------------
// Attribute page

std::int32_t TForm1::firstFileAttr() const
{
    // Archive only, as for a list without files.
    return kAttrArchive;
}

void TForm1::TSheetPro()
{
    SetRadio5();
}

void TForm1::SetRadio5()
{
    const std::int32_t attr = firstFileAttr();
    const std::int32_t bits[3] = {kAttrReadOnly, kAttrHidden, kAttrArchive};
    for (int g = 0; g < 3; ++g) {
        m_attrGroups[g]->button((attr & bits[g]) != 0 ? 0 : 1)->setChecked(true);
    }
    // Last: setting a choice above marks its group as changed.
    ui->RadioGroup4->setProperty("Tag", 1);
    ui->RadioGroup5->setProperty("Tag", 2);
    ui->RadioGroup6->setProperty("Tag", 3);
}

void TForm1::ClickRadio5(QGroupBox* Sender)
{
    if (Sender == nullptr) {
        return;
    }
    QGroupBox* groups[3] = {ui->RadioGroup4, ui->RadioGroup5, ui->RadioGroup6};
    const int place = Sender->property("Tag").toInt() % 10;
    if (place >= 1 && place <= 3) {
        groups[place - 1]->setProperty("Tag", 10 + place);
    }
}

int TForm1::radioGroupIndex(int group) const
{
    return group >= 0 && group < 3 ? m_attrGroups[group]->checkedId() : -1;
}

void TForm1::Attr_Change()
{
    // Sets and clears the changed attributes on every listed file.
}

} // namespace torvel
