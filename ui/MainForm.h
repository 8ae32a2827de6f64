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
#include "WindowLayout.h"

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
class Preview;
class PreviewGrid;
class RenamePage;
class TimeStampPage;
class TMyFileList;
class UndoCommand;
class WindowFeedback;
class WindowHelp;
struct FilePropResult;
struct RunResult;
enum class SaveMode;

// The one main window: it owns the parts it is made of (the folder panel,
// the preview, the file selection, the three pages, the run command) and
// wires what one does to the others; the parts do the work. The procedures
// keep the names the rest of the program knows them by, each a short doorway
// into a part. Everything happens on the one user-interface thread.
class TForm1 : public QMainWindow, private FormHost, private WindowScreens
{
    Q_OBJECT

    std::unique_ptr<Ui::TForm1> ui;
    std::unique_ptr<FolderPanel> m_folders;
    std::unique_ptr<Preview> m_preview;
    std::unique_ptr<RenamePage> m_rename;
    std::unique_ptr<FileSelection> m_selection;
    std::unique_ptr<TimeStampPage> m_stampPage;
    std::unique_ptr<AttributePage> m_attrPage;
    std::unique_ptr<RunCommand> m_run;
    std::unique_ptr<WindowLayout> m_layout;

public:
    // Reads and writes the settings file.
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // --- what the parts keep, read through them ---
    const std::string& sourceFolder() const;               // SearchDir, ends in "/"
    const std::string& destinationFolder() const;          // ChangeDir, ends in "/"
    const std::string& typedFolder() const;                // TypedDir: Edit5 while it is edited
    SaveMode saveMethod() const;                           // SaveMethod
    const std::string& sourceExtension() const;            // SearchExt
    const std::vector<std::string>& selectedFiles() const; // SelectedFiles, bare names
    void setSelectedFiles(std::vector<std::string> names);
    const WindowLayout& windowLayout() const { return *m_layout; }
    SettingsRecord currentSettings() const; // written to the settings file at closing
    const std::string& settingsPath() const { return m_settingsPath; }
    // The run's input: the chosen files as last read, and StringGrid1's cells.
    const TMyFileList& fileList() const;
    const PreviewGrid& previewGrid() const;
    WindowFeedback& runFeedback();
    bool runUnderWay() const; // the run command then does nothing
    HelpWindow& helpWindow(); // made at its first use
    // The time stamp and attribute runs, without their report; the first
    // gives nothing when the date or time could not be composed.
    std::optional<RunResult> Date_Change();
    RunResult Attr_Change();

public Q_SLOTS:
    void FormCreate();
    void FormClose();
    void IniRead();
    void IniWrite();
    void UndoButtonClick(); // 元に戻す
    void offerRecovery();   // at start: the runs a crash cut short
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
    // Files named on the command line or handed over by a later start,
    // chosen as if dropped on the grid.
    void openFiles(const std::vector<std::string>& paths);

protected:
    // Builds the window on a settings file without starting it: a derived
    // window sets what else it needs and then runs FormCreate itself.
    struct Unstarted
    {
        std::string settingsPath;
    };
    explicit TForm1(Unstarted unstarted, QWidget* parent = nullptr);

    // What the parts ask of the window; a test answers in the person's place.
    void showErrorMessage(const QString& text) override;
    void showPlainMessage(const QString& text) override;
    int messageBox(QMessageBox& box) override;
    std::optional<std::vector<std::string>> runOpenDialog(const OpenDialogSetup& setup) override;
    void openInFileManager(const QUrl& folder) override;
    int fileListCount() const override;
    Page currentPage() const override;
    int screenHeight() const override;
    QList<QRect> screenAreas() const override;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    FormHost& host() { return *this; }
    void setUpControls();
    void connectCommands();
    void wireParts();
    void applySettings(const SettingsRecord& settings);
    bool immediatePreview() const;
    void updatePreviewCommands();
    bool renamePageRun();
    bool otherPageRun(Page page);
    void listShown(const FilePropResult& result);
    void showSettled(const std::string& folder, std::vector<std::string> names);

    std::string m_settingsPath;
    std::string m_baseDir; // the pictures folder: where both folders start
    std::string m_saveMethodText;
    std::unique_ptr<UndoCommand> m_undo;
    std::unique_ptr<WindowHelp> m_help;
};

} // namespace torvel
