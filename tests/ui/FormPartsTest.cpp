// The window's parts on their own: each is given the Designer form and a
// stand-in for the window, and talks to nothing else.
#include <QAction>
#include <QListWidget>
#include <QMainWindow>
#include <QTableView>
#include <QToolButton>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FileSelection.h"
#include "FolderPanel.h"
#include "FormHost.h"
#include "Pages.h"
#include "Preview.h"
#include "RenamePage.h"
#include "RunCommand.h"
#include "RunTypes.h"
#include "StatusMessages.h"
#include "common/ScratchDir.h"
#include "ui_MainForm.h"

namespace torvel {
namespace {

using Names = std::vector<std::string>;

// The window as the parts see it: it keeps what it was asked to show.
class WindowStandIn final : public FormHost
{
public:
    virtual ~WindowStandIn() = default;
    void StatusWrite(StatusKind kind, const QString& text) override
    {
        statuses.push_back({kind, text});
    }
    void showErrorMessage(const QString& text) override
    {
        events.push_back("error:" + text.toStdString());
    }
    void showPlainMessage(const QString& text) override
    {
        events.push_back("message:" + text.toStdString());
    }
    int messageBox(QMessageBox&) override { return 0; }
    std::optional<std::vector<std::string>> runOpenDialog(const OpenDialogSetup&) override
    {
        return chosen;
    }
    void openInFileManager(const QUrl&) override {}
    int fileListCount() const override { return files; }
    Page currentPage() const override { return Page::Rename; }

    struct Status
    {
        StatusKind kind;
        QString text;
    };
    std::vector<Status> statuses;
    Names events;
    std::optional<std::vector<std::string>> chosen;
    int files = 0;
};

class FormParts : public ::testing::Test
{
protected:
    void SetUp() override { ui.setupUi(&window); }

    QMainWindow window;
    Ui::TForm1 ui;
    WindowStandIn host;
    ScratchDir dir;
};

TEST_F(FormParts, TheFolderPanelRefusesMovingWithinOneFolderOnlyWhileFilesAreListed)
{
    FolderPanel panel(ui, host, &window);
    panel.SearchDirChange(dir.path());
    panel.ChangeDirChange(dir.path());
    panel.RadioButtonIndex(SaveMode::Move);
    EXPECT_EQ(panel.saveMethod(), SaveMode::Move) << "nothing listed: every choice is taken";
    host.files = 2;
    panel.RadioButtonIndex(SaveMode::Copy);
    EXPECT_EQ(panel.saveMethod(), SaveMode::Rename);
    EXPECT_TRUE(ui.RadioButton1->isChecked());
}

TEST_F(FormParts, AChoiceOfFilesSignalsTheFolderThenTheFilesThenTheEndThenTheWord)
{
    FolderPanel panel(ui, host, &window);
    Preview preview(ui.StringGrid1, host, panel);
    FileSelection selection(ui.StringGrid1, ui.CheckListBox1, preview.grid(), host, &window);
    QObject::connect(
        &selection, &FileSelection::sourceFolderChosen,
        [this](const std::string& folder) { host.events.push_back("folder:" + folder); });
    QObject::connect(&selection, &FileSelection::filesChosen,
                     [this] { host.events.push_back("files"); });
    QObject::connect(&selection, &FileSelection::choiceEnded,
                     [this] { host.events.push_back("end"); });
    ScratchDir other;

    selection.FileDrop1FileDrop(nullptr, 3, {dir / "b.txt", dir / "a.JPG", other / "c.txt"}, 0, 0);

    ASSERT_EQ(host.events.size(), 4u);
    EXPECT_EQ(host.events[0], "folder:" + dir.path());
    EXPECT_EQ(host.events[1], "files");
    EXPECT_EQ(host.events[2], "end");
    EXPECT_EQ(host.events[3].rfind("message:", 0), 0u) << "the word on the other folder comes last";
    EXPECT_EQ(selection.selectedFiles(), (Names{"b.txt", "a.JPG"}));
    EXPECT_EQ(ui.CheckListBox1->count(), 2) << "one filter item per extension";
}

TEST_F(FormParts, ACancelledDialogOnlyEndsTheChoice)
{
    FolderPanel panel(ui, host, &window);
    Preview preview(ui.StringGrid1, host, panel);
    FileSelection selection(ui.StringGrid1, ui.CheckListBox1, preview.grid(), host, &window);
    int ended = 0;
    QObject::connect(&selection, &FileSelection::filesChosen,
                     [this] { host.events.push_back("files"); });
    QObject::connect(&selection, &FileSelection::choiceEnded, [&ended] { ++ended; });
    selection.setSelectedFiles({"kept.txt"});

    selection.openFilesFrom(dir.path());

    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(selection.selectedFiles(), (Names{"kept.txt"}));
}

TEST_F(FormParts, AnEmptyListAsksForFilesAndKeepsTheRunBack)
{
    FolderPanel panel(ui, host, &window);
    Preview preview(ui.StringGrid1, host, panel);
    RenamePage rename(ui, host, panel, preview);
    EXPECT_FALSE(preview.write(Page::Rename, true, rename));
    ASSERT_FALSE(host.statuses.empty());
    EXPECT_EQ(host.statuses.back().kind, StatusKind::Waiting);
    EXPECT_EQ(host.statuses.back().text, QStringLiteral("ファイルを選択してください。"));
}

TEST_F(FormParts, TheRunCommandIsHeldBackWhileARunIsUnderWayAndRestoredAfter)
{
    RunCommand run(ui, host, &window);
    run.setReady(true);
    {
        RunCommand::Guard guard(run);
        EXPECT_TRUE(run.underWay());
        EXPECT_FALSE(ui.TorvelButton->isEnabled());
        EXPECT_FALSE(ui.R2->isEnabled());
    }
    EXPECT_FALSE(run.underWay());
    EXPECT_TRUE(ui.TorvelButton->isEnabled())
        << "a run that ended early leaves the command as it was";
    EXPECT_TRUE(ui.R2->isEnabled());
}

} // namespace
} // namespace torvel
