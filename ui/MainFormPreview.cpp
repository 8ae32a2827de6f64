// The main window's file list and preview grid: reading the chosen files,
// computing their new names, the redraw of the grid that the run then reads,
// and the two buttons that fill the identifier and extension boxes.
#include "MainForm.h"
#include "Utf8Text.h"

#include "ui_MainForm.h"

#include <QDateTime>
#include <QHeaderView>
#include <QMessageBox>

#include <string_view>
#include <utility>

#include "ChangeName.h"
#include "DosDateTime.h"
#include "Extraction.h"
#include "FileProp.h"
#include "FilesList.h"
#include "NameRules.h"
#include "NameText.h"
#include "PreviewGrid.h"
#include "StatusLine.h"
#include "StatusTexts.h"
#include "UpDown.h"

namespace torvel {

namespace {

const QString kWorking = QStringLiteral("ただいま表示処理をしています。しばらくお待ちください。");
const QString kChooseFiles = QStringLiteral("ファイルを選択してください。");
const QString kNoIdentifier = QStringLiteral("【注意】 識別名を入力してください。");
const QString kFilesChosen = QStringLiteral("個のファイルが選択されています。");
const QString kNoLetters = QStringLiteral("識別用の文字がありませんでした。");
const QString kLettersRemoved =
    QStringLiteral("識別文字に使えない文字が含まれていましたので、削除しました。");


std::string utf8Bytes(const QString& text)
{
    return text.toStdString();
}

// A name's bytes as text for a box the person edits.
QString nameText(std::string_view bytes)
{
    return utf8Text(torvel::displayName(bytes));
}

QString secondColumnHeader(Page page)
{
    switch (page) {
    case Page::TimeStamp:
        return QStringLiteral("     更新日時");
    case Page::Attributes:
        return QStringLiteral("         属性");
    case Page::Rename:
        break;
    }
    return QStringLiteral("   変換後ファイル");
}

// Only a real change of the text is written back, so that the cursor of a
// box the person is typing in stays where it is.
void setTextIfChanged(QLineEdit* box, const QString& text)
{
    if (box->text() != text) {
        box->setText(text);
    }
}

} // namespace

// The flags one redraw carries from step to step: whether the run may start
// afterwards, and whether the count goes to the status line (a warning stays).
struct TForm1::GridPass {
    bool ready = false;
    bool report = true;
};

// ---------------------------------------------------------------------------
// The file list and the grid's model

void TForm1::createFileList()
{
    m_fileList = std::make_unique<TMyFileList>();
    if (m_grid != nullptr) {
        return;
    }
    m_grid = new PreviewGrid(ui->StringGrid1);
    QTableView* view = ui->StringGrid1;
    view->setModel(m_grid);
    // One height for every row and no measuring of contents: a view over
    // 100,000 rows then costs no more than one over 100.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(20);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->setWordWrap(false);
    // A long name keeps its start and its extension; the row's hint has it whole.
    view->setTextElideMode(Qt::ElideMiddle);
}

void TForm1::writeGridHeaders()
{
    m_grid->setHeader(0, QStringLiteral("   変換前ファイル"));
    m_grid->setHeader(1, secondColumnHeader(Page::Rename));
}

const TMyFileList& TForm1::fileList() const
{
    return *m_fileList;
}

const PreviewGrid& TForm1::previewGrid() const
{
    return *m_grid;
}

int TForm1::fileListCount() const
{
    return m_fileList != nullptr ? m_fileList->Count() : 0;
}

void TForm1::FileProp()
{
    StatusWrite(StatusKind::Working, StatusText::readingFiles());
    FilePropInput input;
    input.filter = extensionFilterChoices();
    input.searchDir = SearchDir;
    input.sort = sortOrderOfItem(ui->MaeSort->currentIndex());
    // A dropped folder's files as its scan saw them, for this reading only.
    const std::shared_ptr<const FolderScanFacts> scanned = std::move(m_droppedFolderFacts);
    m_droppedFolderFacts.reset();
    input.scanned = scanned.get();
    // The selection is lent to the reader rather than copied.
    input.selectedFiles = std::move(SelectedFiles);
    FilePropResult result;
    try {
        result = rebuildFileList(*m_fileList, input);
    } catch (...) {
        SelectedFiles = std::move(input.selectedFiles);
        throw;
    }
    SelectedFiles = std::move(input.selectedFiles);

    SearchDirChange(result.searchDir);
    if (result.searchExtChanged) {
        // Set by the program: the box's own handler does not redraw.
        SearchExt = result.SearchExt;
        ui->Edit3->setText(nameText(SearchExt));
    }
    // An empty first name makes the next redraw write every row.
    m_grid->setCell(0, 1, std::string());
    m_grid->setRowCount(2);
    updatePreviewCommands();
}

// ---------------------------------------------------------------------------
// New names

ChangeNameInputs TForm1::changeNameInputs() const
{
    ChangeNameInputs in;
    // Cleaned here, not in the box: a blank typed between two words would
    // otherwise go at once, being the last character for a moment.
    in.Identifier = nameFromUserText(cleanIdentifier(utf8Bytes(ui->Edit1->text())));
    in.StartValue = ui->UpDown2->position();
    in.Digits = ui->UpDown1->position();
    in.ExtensionText = nameFromUserText(utf8Bytes(ui->Edit3->text()));
    in.ExtCheck = ui->ExtCheck->isChecked();
    in.KetaCheck = ui->KetaCheck->isChecked();
    in.KetaCheckEnabled = ui->KetaCheck->isEnabledTo(ui->KetaCheck->parentWidget());
    in.KetaName = ui->KetaName->isChecked();
    in.JuuhukuCheck = ui->JuuhukuCheck->isChecked();
    in.UpCheck = ui->UpCheck->isChecked();
    in.LowCheck = ui->LowCheck->isChecked();
    in.ChangeDir = ChangeDir;
    in.SearchDir = SearchDir;
    return in;
}

bool TForm1::Change_Name()
{
    StatusWrite(StatusKind::Working, StatusText::of(NameStatus::Converting));
    const ChangeNameResult result = torvel::Change_Name(*m_fileList, changeNameInputs());
    StatusWrite(result.status.kind, StatusText::of(result.status.what));
    return result.ok;
}

// ---------------------------------------------------------------------------
// The grid's redraw

void TForm1::StringGrid1Write(bool compute)
{
    if (m_grid == nullptr) {
        return;  // not started yet
    }
    StatusWrite(StatusKind::Working, kWorking);
    GridPass pass{compute, true};
    const Page page = pageOfTab(ui->PageControl1->currentIndex());
    const int count = m_fileList->Count();
    if (count == 0) {
        m_grid->setRowCount(2);
        pass = GridPass{false, false};
        StatusWrite(StatusKind::Waiting, kChooseFiles);
    } else {
        m_grid->setRowCount(count + 1);
        m_grid->setHeader(1, secondColumnHeader(page));
        if (page == Page::Rename) {
            writeRenameRows(pass);
        } else if (page == Page::TimeStamp) {
            // The time stamp and attribute pages list the files by name,
            // whatever order the rename page shows.
            m_fileList->SetSortType(SortOrder::NameUp);
            m_grid->writeTimeStamps(*m_fileList);
            pass.ready = true;
        } else if (page == Page::Attributes) {
            m_fileList->SetSortType(SortOrder::NameUp);
            SetRadio5();
            m_grid->writeAttributes(*m_fileList);
            pass.ready = true;
        }
    }
    finishGridWrite(pass, page == Page::Rename);
}

void TForm1::writeRenameRows(GridPass& pass)
{
    if (!ui->KetaCheck->isChecked() && cleanIdentifier(utf8Bytes(ui->Edit1->text())).empty()) {
        StatusWrite(StatusKind::Warning, kNoIdentifier);
        pass = GridPass{false, false};
    }
    cleanExtensionBox();
    const std::optional<SortOrder> order = sortOrderOfItem(ui->MaeSort->currentIndex());
    if (order && *order != m_fileList->SortType()) {
        m_fileList->SetSortType(*order);
    }
    if (pass.ready) {
        pass.ready = Change_Name();
        pass.report = pass.ready;
    }
    if (pass.report) {
        StatusWrite(StatusKind::Working, kWorking);
    }
    // Rows are written only when something shown changes: new names, a list
    // read again or sorted anew (its first name cell emptied), or stale names
    // or another page's texts to clear.
    if (pass.ready || m_grid->currentName(1).empty() || !m_grid->newNamesCleared()) {
        m_grid->writeNames(*m_fileList, pass.ready);
    }
}

void TForm1::finishGridWrite(GridPass pass, bool renamePage)
{
    if (pass.ready) {
        pass.ready = !m_grid->currentName(1).empty();
    }
    if (pass.ready && renamePage) {
        pass.ready = m_grid->cell(1, 1) == m_fileList->GetNewName(0);
    }
    if (pass.report) {
        StatusWrite(pass.ready ? StatusKind::Ready : StatusKind::Waiting, QString::number(m_fileList->Count()) + kFilesChosen);
    }
    ui->TorvelButton->setEnabled(pass.ready);
    ui->R2->setEnabled(pass.ready);
    setGridColumnWidths();
    ui->StatusBar1->repaint();
}

// ---------------------------------------------------------------------------
// Identifier and extension

void TForm1::cleanIdentifierBox()
{
    setTextIfChanged(ui->Edit1, utf8Text(cleanIdentifier(utf8Bytes(ui->Edit1->text()))));
}

void TForm1::cleanExtensionBox()
{
    const std::string trimmed = trimControls(utf8Bytes(ui->Edit3->text()));
    std::string_view rest = trimmed;
    if (!rest.empty() && rest.front() == '.') {
        rest.remove_prefix(1);
    }
    setTextIfChanged(ui->Edit3, LetterFilter(utf8Text(rest)));
}

QString TForm1::LetterFilter(const QString& text)
{
    const LetterFilterResult kept = filterLetters(utf8Bytes(text));
    if (kept.removed) {
        showErrorMessage(kLettersRemoved);
    }
    return QString::fromLatin1(kept.text.data(), static_cast<qsizetype>(kept.text.size()));
}

void TForm1::Button1Click()
{
    if (m_fileList->Count() == 0) {
        return;
    }
    const std::string letters = leadingLetters(m_fileList->fileNameAt(0));
    if (letters.empty()) {
        showPlainMessage(kNoLetters);
        return;
    }
    ui->Edit1->setText(QString::fromLatin1(letters.data(), static_cast<qsizetype>(letters.size())));
    StringGrid1Write(ui->NonPreCheck->isChecked());
}

void TForm1::Button2Click()
{
    if (m_fileList->Count() == 0 || !ui->ExtCheck->isChecked()) {
        return;
    }
    std::string_view extension = extensionOf(m_fileList->fileNameAt(0));
    if (!extension.empty()) {
        extension.remove_prefix(1);  // the dot
    }
    ui->Edit3->setText(extension.empty() ? QString() : nameText(extension));
    StringGrid1Write(ui->NonPreCheck->isChecked());
}

void TForm1::MaeSortClick()
{
    // An empty first name cell: the new order is shown even when no names
    // are computed.
    m_grid->setCell(0, 1, std::string());
    StringGrid1Write(ui->NonPreCheck->isChecked());
}

void TForm1::showPlainMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("TORVEL"), text, QMessageBox::Ok, this);
    box.exec();
}

} // namespace torvel
