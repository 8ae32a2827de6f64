#pragma once

#include <QMainWindow>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Pages.h"
#include "SettingsRecord.h"

class QAbstractButton;
class QAction;
class QButtonGroup;
class QDateTime;
class QGroupBox;
class QMenu;
class QMessageBox;
class QUrl;
class QPainter;

namespace torvel {

namespace Ui {
class TForm1;
}

class HelpWindow;
class TFileDrop;
struct OpenDialogSetup;
class PreviewGrid;
class TFileOperation;
class TMyFileList;
class TPageControlEx;
class WindowFeedback;
struct ChangeNameInputs;
struct ChangeResult;
struct ExtensionChoice;
struct FolderScanFacts;
enum class AttrItem;
enum class SaveMode;
enum class StatusKind;
enum class TOwnerDrawFlag : unsigned;
using TOwnerDrawState = QFlags<TOwnerDrawFlag>;

// The one main window. Its procedures keep the names the rest of the program
// knows them by; each is a short doorway into the code that does the work.
//
// Everything happens in these handlers on the one user-interface thread. A
// handler that starts a long step writes a "please wait" text to the status
// line first; StatusWrite repaints at once so the text is seen.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    // Reads and writes the settings file beside the executable.
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // --- state the window holds for its whole life ---
    std::string SearchDir;                // source folder, ends in "/"
    std::string ChangeDir;                // destination folder, ends in "/"
    std::string SearchExt;                // remembered source extension
    SaveMode SaveMethod{};                // renaming until the settings say otherwise
    std::uint8_t ButtonSide = 1;          // 1: command buttons at the left
    std::uint8_t HeightSize = 1;          // 0 small, 1 medium, 2 large
    std::vector<std::string> SelectedFiles; // bare names in SearchDir

    // The folder of the executable, ending in "/".
    const std::string& baseDir() const { return m_baseDir; }
    // The values the settings file is written from at closing.
    SettingsRecord currentSettings() const;
    // The settings file that IniRead reads and IniWrite writes.
    const std::string& settingsPath() const { return m_settingsPath; }

public Q_SLOTS:
    // --- start and end ---
    void FormCreate();
    void FormClose();
    void FormDestroy();
    void IniRead();
    void IniWrite();

    // --- status line ---
    void StatusWrite(StatusKind kind, const QString& text);
    void StatusBar1DrawPanel(QPainter* canvas, int Panel, const QRect& Rect);

    // --- window layout and display options ---
    void SizeChenge(std::uint8_t state);
    void HsClick(QAction* Sender);
    void ButtonSideCapClick();
    void CheckBox2Click();

    // --- pages ---
    void R1Click();
    void D1Click();
    void P1Click();
    void PageControl1Change();
    void PageControl1DrawTab(torvel::TPageControlEx* Control, int Index, const QRect& Rect,
                             torvel::TOwnerDrawState State);
    void PageControl2DrawTab(torvel::TPageControlEx* Control, int Index, const QRect& Rect,
                             torvel::TOwnerDrawState State);
    void PageControl2Changing(bool* AllowChange);

    // --- commands ---
    void EndButtonClick();
    void Help2Click();
    void About1Click();
    void PreViewButtonClick();
    void NonPreCheckClick();
    void TorvelButtonClick();
    void OpenButtonClick();

    // --- options of the rename page ---
    void Edit1Change();
    void Edit2Change();
    void Edit3Change();
    void Edit4Change();
    void ExtCheckClick();
    void JuuhukuCheckClick();
    void UpCheckClick();
    void LowCheckClick();
    void MaeSortClick();
    void Button1Click();
    void Button2Click();

    // --- file list, names, grid ---
    void FileProp();
    bool Change_Name();
    void StringGrid1Write(bool compute);
    void FileSeleSet();
    void CheckListBox1ClickCheck();

    // --- folders ---
    void SearchDirChange(const std::string& path);
    void ChangeDirChange(const std::string& path);
    QString MiniDir(const std::string& path) const;
    void DirTreeChange();
    void Edit5Enter();
    void Edit5Exit();
    void CuteButton3Click();

    // --- save method ---
    void RadioButtonOn(SaveMode method);
    void RadioButtonIndex(SaveMode method);
    void RadioButton1Click(QAbstractButton* Sender);

    // --- time stamp page ---
    void TSheetDate(const QDateTime& dateTime);
    void DateEdit1Change();
    void SpinEdit3Change();
    void SpinEdit4Change();
    void SpinEdit5Change();
    void SpinButton1UpClick();
    void SpinButton1DownClick();
    void SpinButton2UpClick();
    void SpinButton2DownClick();
    void SpinButton3UpClick();
    void SpinButton3DownClick();
    void DateButtonClick();

    // --- attribute page ---
    void TSheetPro();
    void SetRadio5();
    void ClickRadio5(QGroupBox* Sender);

    // --- help ---
    void showHelpTopic(int topic);
    // The program's own help window, made at its first use.
    HelpWindow& helpWindow();

public:
    // The runs of the time stamp and attribute pages, without the report of
    // their count and failures. The time stamp run gives nothing when the
    // date or time could not be composed (no file was touched).
    std::optional<ChangeResult> Date_Change();
    ChangeResult Attr_Change();

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
    struct Unstarted {};
    explicit TForm1(Unstarted, QWidget* parent = nullptr);
    // Before FormCreate only: the settings file to use instead of the one
    // beside the executable.
    void setSettingsPath(std::string path) { m_settingsPath = std::move(path); }
    // Shows an error the person must see at once, in a modal message box.
    virtual void showErrorMessage(const QString& text);
    // The number of files in the file list.
    virtual int fileListCount() const;
    // The height in pixels of the screen the window is on.
    virtual int screenHeight() const;
    // The areas of the screens that a window may use, task bars left out.
    virtual QList<QRect> screenAreas() const;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void setUpControls();
    void connectHandlers();
    void connectOptionHandlers();
    void connectPageHandlers();
    void applySettings(const SettingsRecord& settings);
    void applyHints(bool show);
    bool hintAllowed(const QWidget* widget) const;
    void placeWindow(int left, int top);
    void setOuterHeight(int height);
    void fitOnScreen(int wantedHeight);
    void refitToFrame();
    int clientHeight();
    void layOutLowerHalf();
    void checkHeightItem(int state);
    void updatePreviewCommands();
    void writeGridHeaders();
    void setGridColumnWidths();
    void selectDestinationInTree();
    std::int32_t firstFileAttr() const;
    std::optional<QDateTime> firstFileDateTime() const;
    QString displayName(const std::string& bytes) const;
    QString windowCaption() const;
    int helpContextOf(const QWidget* widget) const;
    void drawPageTab(TPageControlEx* control, int index, const QRect& rect, bool selected);
    AttrItem radioGroupItem(int group) const;

    std::unique_ptr<Ui::TForm1> ui;
    std::string m_settingsPath;
    std::string m_baseDir;
    std::string m_saveMethodText;
    int m_formLeft = 0;
    int m_formTop = 0;
    bool m_showHints = true;
    int m_frameExtra = 0;
    QButtonGroup* m_attrGroups[3] = {nullptr, nullptr, nullptr};
    HelpWindow* m_helpWindow = nullptr;

    // --- destination folder panel and save method (MainFormFolders.cpp) ---
public:
    std::string TypedDir;                 // typed into Edit5 while it is edited

protected:
    // Shows a modal message box and gives the standard button pressed; a test
    // answers in the person's place.
    virtual int messageBox(QMessageBox& box);

private:
    void setUpFolderPanel();
    void destinationFocusEvent(QEvent* event);
    void destinationChosen(const std::string& path);
    void setDestinationEditing(bool editing);
    void applyTypedDestination();
    bool confirmFolderCreation(const std::string& folder);
    void reportFolderNotCreated(const std::string& folder, int error);
    int folderFieldWidth() const;

    bool m_editingDestination = false;

    // --- time stamp and attribute pages, and the run's feedback ---
public Q_SLOTS:
    // Fills the time stamp page from the file of grid row `row` (1: the first).
    void pTimeClick(int row);

public:
    // The window's side of a run: status texts, progress bar, failure boxes
    // and the question before a file goes to the trash.
    WindowFeedback& runFeedback();

private:
    // Column 0 of the grid's rows 1 to RowCount-1: the bare names a run
    // works on, in order.
    std::vector<std::string> listedNames() const;

    void dateBoxChanged(int part);
    void stepDateBox(int part, int delta);
    std::optional<int> boxNumber(const QString& text);

    struct FeedbackDeleter {
        void operator()(WindowFeedback* feedback) const;
    };
    std::unique_ptr<WindowFeedback, FeedbackDeleter> m_runFeedback;

    // --- file list and preview grid (MainFormPreview.cpp) ---
public:
    // The chosen files, as the last FileProp read them.
    const TMyFileList& fileList() const;
    // StringGrid1's cells: the run's input.
    const PreviewGrid& previewGrid() const;
    // The ASCII letters and digits of text; anything else is dropped with a
    // message.
    QString LetterFilter(const QString& text);

protected:
    // Tells the person something in a plain modal message box.
    virtual void showPlainMessage(const QString& text);

private:
    struct GridPass;
    void createFileList();
    std::vector<ExtensionChoice> extensionFilterChoices() const;
    ChangeNameInputs changeNameInputs() const;
    void writeRenameRows(GridPass& pass);
    void finishGridWrite(GridPass pass, bool renamePage);
    // Writes the identifier back as the names are made from it: when the box
    // loses the focus and when a run starts, never while the person types.
    void cleanIdentifierBox();
    void cleanExtensionBox();

    std::unique_ptr<TMyFileList> m_fileList;
    PreviewGrid* m_grid = nullptr; // owned by StringGrid1

    // --- the run (MainFormRun.cpp) ---
public:
    // The window's file operation component: a file that a run would
    // replace goes to the trash through it, after the question the run's
    // feedback asks.
    TFileOperation& FileOperation1();
    // While a run is under way the run command does nothing.
    bool runUnderWay() const { return m_runUnderWay; }

private:
    class RunGuard;
    struct RunComponents;
    struct RunComponentsDeleter {
        void operator()(RunComponents* components) const;
    };
    bool renamePageRun();
    bool otherPageRun(Page page);
    void reportChanges(const ChangeResult& result);

    std::unique_ptr<RunComponents, RunComponentsDeleter> m_runComponents;
    bool m_runUnderWay = false;

    // --- file selection (MainFormSelection.cpp) ---
public:
    int PopupRow = -1;                    // grid row the grid's menu was last opened on

public Q_SLOTS:
    void FileDrop1FileDrop(QObject* Sender, int Num, const std::vector<std::string>& Files, int X, int Y);
    void StringGrid1MouseUp(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                            int Y);
    void PopupMenu1Popup();
    void mjogaiClick();
    void FileOpenMenuClick();
    void ExplorerMenuClick();

protected:
    // Shows the open-file dialog: the full paths of the chosen files, or
    // nothing when it was cancelled. A test chooses in the person's place.
    virtual std::optional<std::vector<std::string>> runOpenDialog(const OpenDialogSetup& setup);
    // Opens a folder in the desktop's file manager.
    virtual void openInFileManager(const QUrl& folder);

private:
    void setUpFileSelection();
    void openFilesFrom(const std::string& folder);
    // True when items from other folders were left out.
    bool takeDroppedItems(const std::vector<std::string>& paths);
    void scanDroppedFolder(const std::string& folder);

    TFileDrop* m_fileDrop = nullptr;      // FileDrop1
    QMenu* m_gridMenu = nullptr;          // PopupMenu1
    // What the scan of a dropped folder saw of the files it selected, for
    // the FileProp right after the drop only; FileProp takes it away.
    std::shared_ptr<const FolderScanFacts> m_droppedFolderFacts;
};

} // namespace torvel
