// The main window's options and the doorways into the work behind them: the
// option handlers of the rename page, the folders, the save method and the
// time stamp and attribute pages.
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

void TForm1::FileSeleSet()
{
    // Rebuilds the extension filter from SelectedFiles.
}

void TForm1::CheckListBox1ClickCheck()
{
    // A filter item was ticked or unticked.
}

// ---------------------------------------------------------------------------
// Folders

void TForm1::SearchDirChange(const std::string& path)
{
    // The rest of the window relies on a folder that is never empty; an empty
    // path keeps the folder there was.
    if (path.empty()) {
        return;
    }
    SearchDir = path.back() == '/' ? path : path + '/';
    ui->Label11->setText(MiniDir(SearchDir));
    ui->Label11->setToolTip(displayName(SearchDir));
}

void TForm1::ChangeDirChange(const std::string& path)
{
    if (path.empty()) {
        return;
    }
    ChangeDir = path.back() == '/' ? path : path + '/';
    ui->Edit5->setText(MiniDir(ChangeDir));
    ui->Edit5->setToolTip(displayName(ChangeDir));
}

QString TForm1::MiniDir(const std::string& path) const
{
    // Shortened to the width of the folder fields by the folder panel.
    return displayName(path);
}

QString TForm1::displayName(const std::string& bytes) const
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

bool TForm1::sameFolder(const std::string& a, const std::string& b) const
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto left = static_cast<unsigned char>(a[i]);
        const auto right = static_cast<unsigned char>(b[i]);
        if (std::tolower(left) != std::tolower(right)) {
            return false;
        }
    }
    return true;
}

void TForm1::selectDestinationInTree()
{
    // The folder tree selects ChangeDir; then a deep folder is scrolled into
    // view, one indent per folder level.
    const auto levels = static_cast<int>(std::count(ChangeDir.begin(), ChangeDir.end(), '/'));
    ui->DirTree->horizontalScrollBar()->setValue(levels * ui->DirTree->indentation());
}

void TForm1::DirTreeChange()
{
    // The tree's selected folder becomes the destination.
}

void TForm1::Edit5Enter()
{
    // The destination field starts its editing state.
}

void TForm1::Edit5Exit()
{
    // The destination field ends its editing state.
}

void TForm1::CuteButton3Click()
{
    // Creates or selects the typed destination folder.
}

// ---------------------------------------------------------------------------
// Save method

void TForm1::RadioButtonOn(int method)
{
    QRadioButton* radios[3] = {ui->RadioButton1, ui->RadioButton2, ui->RadioButton3};
    if (method >= 0 && method <= 2) {
        radios[method]->setChecked(true);
    }
    SaveMethod = method;
}

void TForm1::RadioButtonIndex(int method)
{
    if (method != SaveMethod) {
        RadioButtonOn(method);
    }
    if (fileListCount() == 0) {
        return;
    }
    // Moving or copying within one folder is refused: renaming is chosen again.
    if (sameFolder(SearchDir, ChangeDir)) {
        if (method != 0) {
            RadioButtonOn(0);
            return;
        }
    }
    const bool elsewhere = method > 0;
    ui->RadioButton2->setEnabled(elsewhere);
    ui->RadioButton3->setEnabled(elsewhere);
}

void TForm1::RadioButton1Click(QAbstractButton* Sender)
{
    if (Sender != nullptr) {
        RadioButtonIndex(Sender->property("Tag").toInt());
    }
}

// ---------------------------------------------------------------------------
// Time stamp page

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
