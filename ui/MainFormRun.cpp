// The run command of the main window: it carries out what the preview grid
// shows, then lists the produced files in their folder.
#include "MainForm.h"
#include "Utf8Text.h"

#include "ui_MainForm.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ChangeReport.h"
#include "NewCtrls.h"
#include "PosixFileSystem.h"
#include "PreviewGrid.h"
#include "RunDriver.h"
#include "RunReport.h"
#include "RunTypes.h"
#include "StatusTexts.h"
#include "WindowFeedback.h"

namespace torvel {

// What a run of the rename page works through, owned by the window for its
// whole life: the file system and the file operation component. The
// component keeps its "すべてはい" between the questions of one run.
struct TForm1::RunComponents {
    explicit RunComponents(RunFeedback& feedback)
        : operation(fs, &feedback)
    {
    }

    PosixFileSystem fs;
    TFileOperation operation;
};

void TForm1::RunComponentsDeleter::operator()(RunComponents* components) const
{
    delete components;
}

TFileOperation& TForm1::FileOperation1()
{
    if (!m_runComponents) {
        m_runComponents.reset(new RunComponents(runFeedback()));
    }
    return m_runComponents->operation;
}

// Holds the run command back while a run is under way. The boxes a run opens
// (the trash question, the failure report) spin an event loop of their own,
// in which a second press of the button or the menu item would otherwise
// start a run over files the first one is still changing.
class TForm1::RunGuard
{
public:
    explicit RunGuard(TForm1& form)
        : m_form(form)
        , m_buttonWasEnabled(form.ui->TorvelButton->isEnabled())
        , m_itemWasEnabled(form.ui->R2->isEnabled())
    {
        m_form.m_runUnderWay = true;
        m_form.ui->TorvelButton->setEnabled(false);
        m_form.ui->R2->setEnabled(false);
    }

    ~RunGuard()
    {
        m_form.m_runUnderWay = false;
        if (!m_redrawn) {
            // A run that ended early leaves the grid as it was, and the
            // command as the grid had it.
            m_form.ui->TorvelButton->setEnabled(m_buttonWasEnabled);
            m_form.ui->R2->setEnabled(m_itemWasEnabled);
        }
    }

    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;

    // The grid has been drawn again and has set the command itself.
    void redrawn() { m_redrawn = true; }

private:
    TForm1& m_form;
    bool m_buttonWasEnabled;
    bool m_itemWasEnabled;
    bool m_redrawn = false;
};

void TForm1::TorvelButtonClick()
{
    if (m_runUnderWay || fileListCount() == 0) {
        return;
    }
    RunGuard guard(*this);
    cleanIdentifierBox();
    const Page page = pageOfTab(ui->PageControl1->currentIndex());
    const bool carriedOut = page == Page::Rename ? renamePageRun() : otherPageRun(page);
    if (!carriedOut) {
        return;
    }
    FileProp();
    StringGrid1Write(ui->NonPreCheck->isChecked());
    guard.redrawn();
}

// Renames in place, or moves or copies into ChangeDir; the files that reached
// their new names become the selection, in the folder they are in now. False
// when the run could not start: nothing was touched and the window stays as
// it was.
bool TForm1::renamePageRun()
{
    const std::vector<RunRow> rows = previewGrid().rows();
    RunSettings settings;
    settings.SearchDir = SearchDir;
    settings.ChangeDir = ChangeDir;
    settings.SaveMethod = SaveMethod;
    settings.JuuhukuCheck = ui->JuuhukuCheck->isChecked();
    settings.CheckBox1 = ui->CheckBox1->isChecked();

    TFileOperation& fileOperation = FileOperation1(); // made at its first use
    RunServices services{m_runComponents->fs, runFeedback(), fileOperation};
    RunResult result;
    {
        WindowFeedback::RunScope scope(runFeedback(), static_cast<int>(rows.size()));
        result = runRenamePage(rows, settings, services);
    }
    if (!result.started()) {
        showErrorMessage(utf8Text(result.errorText));
        return false;
    }

    SelectedFiles = SelectionAfterRun(rows, result);
    SearchDirChange(ChangeDir);
    RadioButtonIndex(SaveMode::Rename);
    FileSeleSet();

    // The count is of the files that reached their new names; those that did
    // not are listed in one box, so that none of them passes for converted.
    StatusWrite(StatusKind::Waiting, StatusText::converted(result.converted));
    const std::string report = failureReport(result);
    if (!report.empty()) {
        runFeedback().fileFailed(report);
    }
    return true;
}

// The time stamp or attribute page. The count is of the files the run
// changed; those it could not change are listed in one box. False when the
// date or time could not be composed: no file was touched.
bool TForm1::otherPageRun(Page page)
{
    ChangeResult result;
    if (page == Page::TimeStamp) {
        std::optional<ChangeResult> stamped = Date_Change();
        if (!stamped) {
            return false;
        }
        result = std::move(*stamped);
    } else if (page == Page::Attributes) {
        result = Attr_Change();
    }
    reportChanges(result);
    return true;
}

void TForm1::reportChanges(const ChangeResult& result)
{
    StatusWrite(StatusKind::Waiting, StatusText::converted(result.changed));
    const std::string report = changeFailureReport(result);
    if (!report.empty()) {
        runFeedback().fileFailed(report);
    }
}

} // namespace torvel
