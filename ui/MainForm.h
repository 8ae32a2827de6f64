#pragma once

#include <QMainWindow>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FormHost.h"
#include "Pages.h"
#include "RunCommand.h"

class QAction;
class QDateTime;

namespace torvel {

struct SettingsRecord;

namespace Ui {
class TForm1;
}

class AttributePage;
class FileSelection;
class FolderPanel;
class HelpWindow;
class PreviewGrid;
class RenamePage;
class RunCommand;
class TimeStampPage;
class TMyFileList;
class TPageControlEx;
class WindowFeedback;
struct ChangeResult;
struct FilePropResult;
struct JournalRecord;
enum class SaveMode;
enum class StatusKind;
enum class TOwnerDrawFlag : unsigned;
using TOwnerDrawState = QFlags<TOwnerDrawFlag>;

// The one main window. It owns the parts the window is made of (the folder
// panel, the file selection, the rename page with its preview, the time
// stamp and attribute pages, the run command), wires them together, and
// keeps the window's own layout, settings, status line and help. The
// procedures keep the names the rest of the program knows them by; each is a
// short doorway into the part that does the work.
//
// Everything happens on the one user-interface thread. A handler that starts
// a long step writes a "please wait" text to the status line first;
// StatusWrite repaints at once so the text is seen.
class TForm1 : public QMainWindow, private FormHost
{
    Q_OBJECT

    // The form and its parts come first: the fields below refer into them.
    std::unique_ptr<Ui::TForm1> ui;
    std::unique_ptr<FolderPanel> m_folders;
    std::unique_ptr<RenamePage> m_rename;
    std::unique_ptr<FileSelection> m_selection;
    std::unique_ptr<TimeStampPage> m_stampPage;
    std::unique_ptr<AttributePage> m_attrPage;
    std::unique_ptr<RunCommand> m_run;

public:
    // Reads and writes the settings file.
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // --- what the parts keep, read through them ---
    const std::string& sourceFolder() const;      // SearchDir, ends in "/"
    const std::string& destinationFolder() const; // ChangeDir, ends in "/"
    const std::string& typedFolder() const;       // TypedDir: Edit5 while it is edited
    SaveMode saveMethod() const;                  // SaveMethod
    const std::string& sourceExtension() const;   // SearchExt
    // SelectedFiles: bare names in the source folder, as chosen.
    const std::vector<std::string>& selectedFiles() const;
    void setSelectedFiles(std::vector<std::string> names);
    std::uint8_t ButtonSide = 1; // 1: command buttons at the left
    std::uint8_t HeightSize = 1; // 0 small, 1 medium, 2 large

    // The folder both folders start in when the settings name none, or name
    // one that has gone: the user's pictures folder, ending in "/".
    const std::string& baseDir() const { return m_baseDir; }
    // The values the settings file is written from at closing.
    SettingsRecord currentSettings() const;
    // The settings file that IniRead reads and IniWrite writes.
    const std::string& settingsPath() const { return m_settingsPath; }
    // The chosen files, as the last FileProp read them, and StringGrid1's
    // cells: the run's input.
    const TMyFileList& fileList() const;
    const PreviewGrid& previewGrid() const;
    // The window's side of a run: status texts, progress bar, failure boxes
    // and the question before a file goes to the trash.
    WindowFeedback& runFeedback();
    // While a run is under way the run command does nothing.
    bool runUnderWay() const;
    // The program's own help window, made at its first use.
    HelpWindow& helpWindow();

    // The runs of the time stamp and attribute pages, without the report of
    // their count and failures. The time stamp run gives nothing when the
    // date or time could not be composed (no file was touched).
    std::optional<ChangeResult> Date_Change();
    ChangeResult Attr_Change();

public Q_SLOTS:
    void FormCreate();
    void FormClose();
    void FormDestroy();
    void IniRead();
    void IniWrite();
    // 元に戻す: takes back the newest run that has not been taken back,
    // after the person's yes.
    void UndoButtonClick();
    // At start: asks what to do with the runs that a crash cut short, once
    // for all of them or run by run; while a run of another process is under
    // way, asks when it is over.
    void offerRecovery();
    void StatusWrite(StatusKind kind, const QString& text) override;
    void SizeChenge(std::uint8_t state);
    void R1Click();
    void D1Click();
    void P1Click();
    void PageControl1Change();
    void PageControl2Changing(bool* AllowChange);
    void TorvelButtonClick();
    void OpenButtonClick();
    void FileProp();
    bool Change_Name();
    void StringGrid1Write(bool compute);
    void FileSeleSet();
    void CheckListBox1ClickCheck();
    void MaeSortClick();
    void Button2Click();
    void SearchDirChange(const std::string& path);
    void ChangeDirChange(const std::string& path);
    QString MiniDir(const std::string& path) const;
    void RadioButtonIndex(SaveMode method);
    void TSheetDate(const QDateTime& dateTime);
    void TSheetPro();
    void SetRadio5();
    void pTimeClick(int row);
    void FileDrop1FileDrop(QObject* Sender, int Num, const std::vector<std::string>& Files, int X,
                           int Y);
    void showHelpTopic(int topic);
    // Files named on the command line, or handed over by a later start: chosen
    // exactly as if they had been dropped on the grid.
    void openFiles(const std::vector<std::string>& paths);

Q_SIGNALS:
    // The help window answers these: a topic by its number, or the contents.
    void helpTopicRequested(int topic);
    void helpContentsRequested();
    // The help window closes with the main window.
    void helpQuitRequested();

protected:
    // Builds the window without starting it, for a window derived from this
    // one: it sets what it needs (a settings file of its own, say) and then
    // runs FormCreate itself, so that its overrides already count.
    struct Unstarted
    {};
    explicit TForm1(Unstarted, QWidget* parent = nullptr);
    // Before FormCreate only: the settings file to use instead of the usual one.
    void setSettingsPath(std::string path) { m_settingsPath = std::move(path); }

    // What the parts ask of the window; a test answers in the person's place.
    void showErrorMessage(const QString& text) override;
    void showPlainMessage(const QString& text) override;
    int messageBox(QMessageBox& box) override;
    std::optional<std::vector<std::string>> runOpenDialog(const OpenDialogSetup& setup) override;
    void openInFileManager(const QUrl& folder) override;
    int fileListCount() const override;
    Page currentPage() const override;
    // The height in pixels of the screen the window is on.
    virtual int screenHeight() const;
    // The areas of the screens that a window may use, task bars left out.
    virtual QList<QRect> screenAreas() const;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    FormHost& host() { return *this; }
    void setUpControls();
    void nameControlsForScreenReaders();
    void connectCommands();
    void wireParts();
    void applySettings(const SettingsRecord& settings);
    void applyHints(bool show);
    bool hintAllowed(const QWidget* widget) const;
    QString windowCaption() const;
    int helpContextOf(const QWidget* widget) const;
    bool immediatePreview() const;
    void updatePreviewCommands();
    bool renamePageRun();
    void listShown(const FilePropResult& result);
    bool otherPageRun(Page page);
    void mjogaiClick(int row);
    void addUndoCommand();
    void settleRun(const JournalRecord& record, RunCommand::Settlement how);
    // How long the recovery question waits for a run of torvel-cli to end.
    static constexpr int recoveryRetry = 3000;

    // The window's own layout (MainFormLayout.cpp).
    void HsClick(QAction* Sender);
    void ButtonSideCapClick();
    void orderTabChain();
    void placeWindow(int left, int top);
    void setOuterHeight(int height);
    void fitOnScreen(int wantedHeight);
    void refitToFrame();
    int clientHeight();
    void layOutLowerHalf();
    void checkHeightItem(int state);
    void drawPageTab(TPageControlEx* control, int index, const QRect& rect, TOwnerDrawState state);

    std::string m_settingsPath;
    std::string m_baseDir;
    std::string m_saveMethodText;
    // The height the person chose, as the settings file keeps it; HeightSize
    // is that height as far as the screen allows.
    int m_chosenHeightSize = 1;
    int m_formLeft = 0;
    int m_formTop = 0;
    bool m_showHints = true;
    int m_frameExtra = 0;
    HelpWindow* m_helpWindow = nullptr;
};

} // namespace torvel
