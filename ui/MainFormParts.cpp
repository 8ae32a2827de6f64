// The doorways of the main window into its parts, and the run command,
// which spans them: it carries out what the preview grid shows, then lists
// the produced files in their folder; the switching of the pages.
#include "MainForm.h"

#include "ui_MainForm.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QUrl>

#include <utility>

#include "AttributePage.h"
#include "RunTypes.h"
#include "FileSelection.h"
#include "FilesList.h"
#include "FolderPanel.h"
#include "OpenFileDialog.h"
#include "OwnerDrawnTabs.h"
#include "PreviewGrid.h"
#include "Preview.h"
#include "RenamePage.h"
#include "RenameSession.h"
#include "RunCommand.h"
#include "RunDriver.h"
#include "RunTypes.h"
#include "StatusLine.h"
#include "StatusTexts.h"
#include "TimeStampPage.h"
#include "UndoCommand.h"
#include "WindowFeedback.h"

namespace torvel {

// ---------------------------------------------------------------------------
// What the parts ask of the window

std::optional<std::vector<std::string>> TForm1::runOpenDialog(const OpenDialogSetup& setup)
{
    OpenFileDialog dialog(setup, this);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.chosenPaths();
}

void TForm1::openInFileManager(const QUrl& folder)
{
    QDesktopServices::openUrl(folder);
}

int TForm1::fileListCount() const
{
    return m_preview->files().Count();
}

Page TForm1::currentPage() const
{
    return pageOfTab(ui->PageControl1->currentIndex());
}

bool TForm1::immediatePreview() const
{
    return ui->NonPreCheck->isChecked();
}

// ---------------------------------------------------------------------------
// Folders and the file selection

const std::string& TForm1::sourceFolder() const
{
    return m_folders->sourceFolder();
}

const std::string& TForm1::destinationFolder() const
{
    return m_folders->destinationFolder();
}

const std::string& TForm1::typedFolder() const
{
    return m_folders->typedFolder();
}

SaveMode TForm1::saveMethod() const
{
    return m_folders->saveMethod();
}

const std::string& TForm1::sourceExtension() const
{
    return m_selection->sourceExtension();
}

const std::vector<std::string>& TForm1::selectedFiles() const
{
    return m_selection->selectedFiles();
}

void TForm1::setSelectedFiles(std::vector<std::string> names)
{
    m_selection->setSelectedFiles(std::move(names));
}

void TForm1::SearchDirChange(const std::string& path)
{
    m_folders->SearchDirChange(path);
}

void TForm1::ChangeDirChange(const std::string& path)
{
    m_folders->ChangeDirChange(path);
}

QString TForm1::MiniDir(const std::string& path) const
{
    return m_folders->MiniDir(path);
}

void TForm1::RadioButtonIndex(SaveMode method)
{
    m_folders->RadioButtonIndex(method);
}

void TForm1::OpenButtonClick()
{
    m_selection->openFilesFrom(m_folders->sourceFolder());
}

void TForm1::FileDrop1FileDrop(QObject* Sender, int Num, const std::vector<std::string>& Files,
                               int X, int Y)
{
    m_selection->FileDrop1FileDrop(Sender, Num, Files, X, Y);
}

void TForm1::openFiles(const std::vector<std::string>& paths)
{
    FileDrop1FileDrop(this, static_cast<int>(paths.size()), paths, 0, 0);
}

void TForm1::FileSeleSet()
{
    m_selection->FileSeleSet();
}

void TForm1::CheckListBox1ClickCheck()
{
    FileProp();
    StringGrid1Write(immediatePreview());
}

// ---------------------------------------------------------------------------
// The file list and the preview grid

const TMyFileList& TForm1::fileList() const
{
    return m_preview->files();
}

const PreviewGrid& TForm1::previewGrid() const
{
    return m_preview->grid();
}

void TForm1::FileProp()
{
    StatusWrite(StatusKind::Working, StatusText::readingFiles());
    listShown(m_selection->readInto(m_preview->files(), m_folders->sourceFolder(),
                                    m_rename->sortOrder()));
}

void TForm1::listShown(const FilePropResult& result)
{
    SearchDirChange(result.searchDir);
    if (result.searchExtChanged) {
        m_rename->showSourceExtension(m_selection->sourceExtension());
    }
    m_preview->listRead();
    updatePreviewCommands();
}

bool TForm1::Change_Name()
{
    return m_preview->Change_Name(m_rename->namingOptions());
}

void TForm1::StringGrid1Write(bool compute)
{
    const bool ready = m_preview->write(currentPage(), compute, *m_rename);
    m_rename->refreshExample();
    m_run->setReady(ready);
    ui->StatusBar1->repaint();
}

void TForm1::MaeSortClick()
{
    m_rename->MaeSortClick();
}

void TForm1::Button2Click()
{
    m_rename->Button2Click();
}

// ---------------------------------------------------------------------------
// Time stamp and attribute pages

void TForm1::TSheetDate(const QDateTime& dateTime)
{
    m_stampPage->TSheetDate(dateTime);
}

void TForm1::pTimeClick(int row)
{
    m_stampPage->pTimeClick(row);
}

void TForm1::TSheetPro()
{
    m_attrPage->TSheetPro();
}

void TForm1::SetRadio5()
{
    m_attrPage->SetRadio5();
}

std::optional<RunResult> TForm1::Date_Change()
{
    return m_stampPage->Date_Change(m_folders->sourceFolder(), m_preview->listedNames(), *m_run);
}

RunResult TForm1::Attr_Change()
{
    return m_attrPage->Attr_Change(m_folders->sourceFolder(), m_preview->listedNames(), *m_run);
}

// ---------------------------------------------------------------------------
// The run

WindowFeedback& TForm1::runFeedback()
{
    return m_run->feedback();
}

void TForm1::UndoButtonClick()
{
    m_undo->takeBackLast();
}

void TForm1::offerRecovery()
{
    m_undo->offerRecovery();
}

// After a run is taken back or finished: what the window shows is what the
// next run does, a rename of these files in the folder they are in, as after
// any run.
void TForm1::showSettled(const std::string& folder, std::vector<std::string> names)
{
    m_selection->setSelectedFiles(std::move(names));
    SearchDirChange(folder);
    ChangeDirChange(folder);
    RadioButtonIndex(SaveMode::Rename);
    FileSeleSet();
    FileProp();
    StringGrid1Write(immediatePreview());
}

bool TForm1::runUnderWay() const
{
    return m_run->underWay();
}

void TForm1::TorvelButtonClick()
{
    if (m_run->underWay() || fileListCount() == 0) {
        return;
    }
    RunCommand::Guard guard(*m_run);
    m_rename->cleanIdentifierBox();
    const Page page = currentPage();
    const bool carriedOut = page == Page::Rename ? renamePageRun() : otherPageRun(page);
    if (!carriedOut) {
        return;
    }
    StringGrid1Write(immediatePreview());
    guard.redrawn();
    if (const QString summary = m_run->takeSummary(); !summary.isEmpty()) {
        StatusWrite(StatusKind::Waiting, summary);
    }
}

// Renames in place, or moves or copies into ChangeDir; the files that reached
// their new names become the selection and the list, in the folder they are in
// now. False when the run could not start: nothing was touched and the window
// stays as it was.
bool TForm1::renamePageRun()
{
    // The rows are made for the run alone and go before the list is made.
    std::vector<RunRow> rows = m_preview->runRows();
    // 同一フォルダにリネーム renames where the files are, whatever 保存先 says.
    const RunSettings settings =
        runSettingsFor(m_folders->sourceFolder(), m_folders->destinationFolder(),
                       m_folders->saveMethod(), m_rename->namingOptions());
    const std::optional<RunResult> result = m_run->renameRows(rows, settings);
    if (!result) {
        return false;
    }
    m_selection->setSelectedFiles(SelectionAfterRun(rows, *result));
    SearchDirChange(m_folders->destinationFolder());
    RadioButtonIndex(SaveMode::Rename);
    FileSeleSet();
    m_run->reportRun(*result);
    // A rename changes no size or time: the list takes the new names without
    // a look at each file. Moved or copied files are read where they are now.
    std::optional<FilePropResult> renamed;
    if (renamesInPlace(settings)) {
        StatusWrite(StatusKind::Working, StatusText::readingFiles());
        renamed = m_selection->renamedInto(m_preview->files(), rows, *result,
                                           m_folders->sourceFolder(), m_rename->sortOrder());
    }
    std::vector<RunRow>().swap(rows);
    if (renamed) {
        listShown(*renamed);
    } else {
        FileProp();
    }
    return true;
}

// The time stamp or attribute page. False when the date or time could not be
// composed: no file was touched.
bool TForm1::otherPageRun(Page page)
{
    RunResult result;
    if (page == Page::TimeStamp) {
        std::optional<RunResult> stamped = Date_Change();
        if (!stamped) {
            return false;
        }
        result = std::move(*stamped);
    } else if (page == Page::Attributes) {
        result = Attr_Change();
    }
    m_run->reportRun(result);
    FileProp(); // the time stamps and attributes as they are now
    return true;
}

// ---------------------------------------------------------------------------
// Pages

void TForm1::R1Click()
{
    ui->PageControl1->setCurrentIndex(tabOf(Page::Rename));
    PageControl1Change();
}

void TForm1::D1Click()
{
    ui->PageControl1->setCurrentIndex(tabOf(Page::TimeStamp));
    PageControl1Change();
}

void TForm1::P1Click()
{
    ui->PageControl1->setCurrentIndex(tabOf(Page::Attributes));
    PageControl1Change();
}

void TForm1::PageControl1Change()
{
    const Page page = currentPage();
    if (page == Page::TimeStamp) {
        m_stampPage->fillFromFirstFile();
    } else if (page == Page::Attributes) {
        TSheetPro();
    }
    const bool renamePage = page == Page::Rename;
    updatePreviewCommands();
    ui->NonPreCheck->setEnabled(renamePage);
    m_folders->setRenamePage(renamePage);
    // The destination belongs to the rename page only: elsewhere the filter
    // stays in front and the destination page is hidden.
    TPageControlEx* lower = ui->PageControl2;
    if (renamePage) {
        lower->setTabVisible(tabOf(LowerPage::Destination), true);
        lower->setCurrentIndex(tabOf(LowerPage::Destination));
    } else {
        lower->setCurrentIndex(tabOf(LowerPage::Filter));
        lower->setTabVisible(tabOf(LowerPage::Destination), false);
    }
    StringGrid1Write(immediatePreview());
}

void TForm1::updatePreviewCommands()
{
    const bool enable = currentPage() == Page::Rename && fileListCount() > 0 && !immediatePreview();
    ui->PreViewButton->setEnabled(enable);
    ui->S1->setEnabled(enable);
}

void TForm1::PageControl2Changing(bool* AllowChange)
{
    if (AllowChange != nullptr) {
        *AllowChange = currentPage() == Page::Rename;
    }
}

} // namespace torvel
