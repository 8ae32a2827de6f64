// The run command through the window on real files: renaming in place, moving
// and copying into another folder, what the window lists afterwards, what it
// tells the person, and a second run command while the first is under way.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPainter>
#include <QDateTime>
#include <QFontMetrics>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "DurableFile.h"
#include "JournalFolder.h"
#include "MainFormFixture.h"
#include "PagesFixture.h"
#include "PreviewGrid.h"
#include "RunJournal.h"
#include "StatusLine.h"
#include "UndoTexts.h"
#include "Utf8Text.h"
#include "UFolderTree.h"
#include "WindowFeedback.h"
#include "common/SampleNames.h"
#include "Screenshot.h"

namespace torvel::testing {
namespace {

using Names = std::vector<std::string>;
const std::string sjisPhoto = "\x8e\xca\x90\x5e.jpg"; // 写真.jpg
using TrashAnswer = RunFeedback::TrashAnswer;

// Points the trash and the run journals at folders of the test's own for
// the test's life.
class TemporaryTrash
{
public:
    TemporaryTrash()
    {
        for (const char* name : {"XDG_DATA_HOME", "XDG_STATE_HOME"}) {
            if (const char* old = std::getenv(name)) {
                m_saved.emplace_back(name, old);
            }
        }
        ::setenv("XDG_DATA_HOME", data.path().c_str(), 1);
        ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
    }
    ~TemporaryTrash()
    {
        ::unsetenv("XDG_DATA_HOME");
        ::unsetenv("XDG_STATE_HOME");
        for (const auto& [name, value] : m_saved) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
    }
    TemporaryTrash(const TemporaryTrash&) = delete;
    TemporaryTrash& operator=(const TemporaryTrash&) = delete;

    Names files() const { return data.names("Trash/files"); }

    ScratchDir data;
    ScratchDir state;

private:
    std::vector<std::pair<std::string, std::string>> m_saved;
};

// Identifier TOR, start 1, two digits, the extension kept, names shown at
// once, taken names not avoided, both folders the source folder.
SettingsRecord runSettings(const std::string& folder)
{
    SettingsRecord settings;
    settings.searchDir = folder;
    settings.changeDir = folder;
    settings.changeName = "TOR";
    settings.changeNom = 1;
    settings.changeDigit = 2;
    settings.extCheck = false;
    settings.preview = true;
    settings.duplicate = false; // JuuhukuCheck off: a series may take its own names
    settings.saveMethodText = "RENAME";
    return settings;
}

class RunWindow : public ::testing::Test
{
protected:
    RunWindow()
    {
        form.show();
        settle();
        // What the person saw on the status line, text by text.
        QObject::connect(status(), &StatusLine::drawPanel, &form,
                         [this](QPainter*, int, const QRect&) {
                             const QString text = status()->panelText(1);
                             if (painted.isEmpty() || painted.back() != text) {
                                 painted << text;
                             }
                         });
        form.runFeedback().setFailureBox([this](const QString& text) {
            failures << text;
            statusAtFailureBox = status()->panelText(1);
        });
        form.runFeedback().setTrashBox([this](const QString& path) {
            asked << path;
            if (whileAsked) {
                whileAsked();
            }
            if (answers.empty()) {
                return TrashAnswer::No;
            }
            const TrashAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        });
    }

    // Files with their own names as contents, chosen as the file selection
    // chooses them, and the grid drawn with their new names.
    void choose(const Names& names)
    {
        for (const std::string& name : names) {
            if (!src.has(name)) {
                src.write(name, name);
            }
        }
        form.SelectedFiles = names;
        form.SearchDirChange(src.path());
        form.FileProp();
        form.RadioButtonIndex(form.SaveMethod);
        form.StringGrid1Write(true);
    }

    // The destination chosen in the folder tree, as a click there does.
    void chooseDestination(const std::string& folder)
    {
        auto* tree = child<TFoldertreeEX>(form, "DirTree");
        tree->Reload(); // a folder made since the tree was filled
        tree->SelectPath(folder);
        ASSERT_EQ(form.ChangeDir, folder);
    }

    Names column(int column) const
    {
        Names cells;
        const PreviewGrid& grid = form.previewGrid();
        for (int row = 1; row < grid.RowCount(); ++row) {
            cells.push_back(grid.cell(column, row));
        }
        return cells;
    }

    StatusLine* status() const { return child<StatusLine>(form, "StatusBar1"); }
    QToolButton* runButton() const { return child<QToolButton>(form, "TorvelButton"); }
    QAction* runItem() const { return child<QAction>(form, "R2"); }
    QRadioButton* radio(const char* name) const { return child<QRadioButton>(form, name); }

    // No file is left under a temporary name of the rename.
    static bool noTemporaryNames(const ScratchDir& folder)
    {
        for (const std::string& name : folder.names()) {
            if (name.rfind("_jd[", 0) == 0) {
                return false;
            }
        }
        return true;
    }

    TemporaryTrash trash;
    ScratchDir src;
    ScratchDir dst;
    TestForm form{runSettings(src.path())};
    QStringList painted;
    QStringList failures;
    QString statusAtFailureBox;
    QStringList asked;
    std::deque<TrashAnswer> answers;
    std::function<void()> whileAsked;
};

TEST_F(RunWindow, RenamingInPlaceRenumbersASeriesAndListsTheFilesUnderTheirNewNames)
{
    choose({"TOR00.txt", "TOR01.txt", "TOR02.txt"});
    ASSERT_EQ(column(1), (Names{"TOR01.txt", "TOR02.txt", "TOR03.txt"}));
    ASSERT_TRUE(runButton()->isEnabled());

    runButton()->click();

    EXPECT_EQ(src.names(), (Names{"TOR01.txt", "TOR02.txt", "TOR03.txt"}));
    EXPECT_EQ(src.read("TOR01.txt"), "TOR00.txt");
    EXPECT_EQ(src.read("TOR02.txt"), "TOR01.txt");
    EXPECT_EQ(src.read("TOR03.txt"), "TOR02.txt");

    EXPECT_EQ(form.SelectedFiles, (Names{"TOR01.txt", "TOR02.txt", "TOR03.txt"}));
    EXPECT_EQ(column(0), (Names{"TOR01.txt", "TOR02.txt", "TOR03.txt"}));
    EXPECT_EQ(form.SearchDir, src.path());
    EXPECT_EQ(form.SaveMethod, SaveMode::Rename);
    EXPECT_TRUE(painted.contains(QStringLiteral("3個のファイルを変換しました。")))
        << painted.join('|').toStdString();
    // The count stays readable after the grid is drawn again.
    EXPECT_EQ(status()->panelText(1),
              QStringLiteral("3個のファイルを変換しました。（Ctrl+Z で元に戻せます）"));
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_TRUE(failures.isEmpty());
    EXPECT_FALSE(status()->progressBar()->isVisible());
    EXPECT_FALSE(form.runUnderWay());

    // The count waits for the person: its mark has the button face.
    const QImage shot = testing::grabShot(form, QStringLiteral("window-after-run.png"));
    EXPECT_EQ(shot.pixel(status()->mapTo(&form, QPoint(25, 11))),
              status()->palette().color(QPalette::Button).rgb());
}

// Ctrl+Z asks first, then takes the run back and lists the files under
// their old names; at start a run a crash cut short is finished on request.
TEST_F(RunWindow, TakingBackAndFinishingRuns)
{
    const auto click = [](const QString& caption) {
        return [caption](QMessageBox& box) {
            for (QAbstractButton* button : box.buttons()) {
                if (button->text() == caption)
                    button->click();
            }
        };
    };
    choose({"TOR00.txt", "TOR01.txt", sjisPhoto});
    runButton()->click();
    ASSERT_EQ(src.names(), (Names{"TOR01.txt", "TOR02.txt", "TOR03.jpg"}));

    form.answerBox = click(QStringLiteral("いいえ"));
    child<QAction>(form, "Undo1")->trigger();
    ASSERT_EQ(form.questions.size(), 1);
    EXPECT_TRUE(
        form.questions[0].contains(QStringLiteral("3 個のファイルの名前の変更を元に戻しますか？")))
        << form.questions[0].toStdString();
    EXPECT_EQ(src.names().size(), 3u);
    EXPECT_FALSE(src.has("TOR00.txt"));

    form.answerBox = click(QStringLiteral("はい"));
    child<QAction>(form, "Undo1")->trigger();
    EXPECT_EQ(src.read("TOR00.txt"), "TOR00.txt");
    EXPECT_EQ(src.read(sjisPhoto), sjisPhoto);
    EXPECT_EQ(src.names().size(), 3u);
    EXPECT_EQ(column(0).size(), 3u);
    EXPECT_TRUE(std::count(form.SelectedFiles.begin(), form.SelectedFiles.end(), sjisPhoto));
    child<QAction>(form, "Undo1")->trigger();
    EXPECT_EQ(status()->panelText(1), QStringLiteral("元に戻せる実行はありません。"))
        << status()->panelText(1).toStdString();

    // A rename cut short between its two phases.
    src.write("a.txt", "A");
    struct stat st
    {};
    ASSERT_EQ(::stat((src / "a.txt").c_str(), &st), 0);
    RunJournal journal(stateFolder());
    JournalRecord plan;
    plan.kind = JournalKind::Rename;
    plan.from = src.path();
    plan.to = src.path();
    plan.files = {{"a.txt", "_jd[000a.txt", "z.txt", st.st_ino, 0, 0, 0}};
    ASSERT_EQ(journal.begin(plan), 0);
    ASSERT_EQ(::rename((src / "a.txt").c_str(), (src / "_jd[000a.txt").c_str()), 0);
    form.answerBox = click(QStringLiteral("続行(&C)"));
    form.offerRecovery();
    EXPECT_EQ(src.read("z.txt"), "A");
    EXPECT_TRUE(noTemporaryNames(src));
    EXPECT_EQ(column(0), Names{"z.txt"});
    form.questions.clear();
    form.offerRecovery();
    EXPECT_TRUE(form.questions.isEmpty());
}

// A row whose new name a file outside the batch holds is marked before the run.
TEST_F(RunWindow, ARowThatWouldNotGoThroughIsMarked)
{
    src.write("TOR02.txt", "outside");
    choose({"a.txt", "b.txt"});
    const PreviewGrid& grid = form.previewGrid();
    EXPECT_EQ(grid.conflict(1), RowConflict::None);
    ASSERT_EQ(grid.conflict(2), RowConflict::NameTaken);
    EXPECT_TRUE(grid.data(grid.index(1, 1), Qt::BackgroundRole).isValid());
    EXPECT_FALSE(grid.data(grid.index(0, 1), Qt::BackgroundRole).isValid());
    EXPECT_TRUE(grid.data(grid.index(1, 0), Qt::ToolTipRole)
                    .toString()
                    .contains(QStringLiteral("新しい名前のファイルがすでにあります。")));
    EXPECT_TRUE(status()->panelText(1).endsWith(
        QStringLiteral("1 件のファイルは、このままでは変換できません。")))
        << status()->panelText(1).toStdString();
}

TEST_F(RunWindow, TwoFilesSwapTheirNamesWithoutAQuestion)
{
    child<QComboBox>(form, "MaeSort")->setCurrentIndex(1); // names backwards
    form.MaeSortClick();
    choose({"TOR01.txt", "TOR02.txt"});
    ASSERT_EQ(column(0), (Names{"TOR02.txt", "TOR01.txt"}));
    ASSERT_EQ(column(1), (Names{"TOR01.txt", "TOR02.txt"}));

    runItem()->trigger();

    EXPECT_EQ(src.read("TOR01.txt"), "TOR02.txt");
    EXPECT_EQ(src.read("TOR02.txt"), "TOR01.txt");
    EXPECT_TRUE(noTemporaryNames(src));
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_TRUE(failures.isEmpty());
    EXPECT_TRUE(painted.contains(QStringLiteral("2個のファイルを変換しました。")));
}

// After a rename in place the list is not read from the folder again: it
// takes the new names, in the order they sort in, and the window shows what
// a list read afresh would show.
TEST_F(RunWindow, AfterARenameInPlaceTheListFollowsTheNewNamesInItsOrder)
{
    child<QComboBox>(form, "MaeSort")->setCurrentIndex(1); // names backwards
    form.MaeSortClick();
    child<QCheckBox>(form, "ExtCheck")->setChecked(true);
    choose({"a.txt", sjisPhoto, "c.jpg"});
    child<QLineEdit>(form, "Edit3")->setText(QStringLiteral("DAT"));
    form.StringGrid1Write(true);
    const Names before = column(0);
    ASSERT_EQ(column(1), (Names{"TOR01.DAT", "TOR02.DAT", "TOR03.DAT"}));

    runButton()->click();

    EXPECT_EQ(src.read("TOR01.DAT"), before[0]);
    EXPECT_EQ(src.read("TOR03.DAT"), before[2]);
    EXPECT_EQ(form.SelectedFiles, (Names{"TOR01.DAT", "TOR02.DAT", "TOR03.DAT"}));
    EXPECT_EQ(column(0), (Names{"TOR03.DAT", "TOR02.DAT", "TOR01.DAT"}));
    // The box shows the first file's extension in lower case, as after any
    // choice of files, and the names are made with it.
    EXPECT_EQ(child<QLineEdit>(form, "Edit3")->text(), QStringLiteral("dat"));
    EXPECT_EQ(column(1), (Names{"TOR01.dat", "TOR02.dat", "TOR03.dat"}));
}

TEST_F(RunWindow, ACopyListsTheCopiesInTheFormerDestination)
{
    choose({"b.jpg", "a.jpg"});
    ASSERT_NO_FATAL_FAILURE(chooseDestination(dst.path()));
    ASSERT_EQ(form.SaveMethod, SaveMode::Copy) << "leaving the folder while renaming copies";
    form.StringGrid1Write(true);
    ASSERT_EQ(column(1), (Names{"TOR01.jpg", "TOR02.jpg"}));

    runButton()->click();

    EXPECT_EQ(src.read("a.jpg"), "a.jpg") << "a copy leaves its source";
    EXPECT_EQ(src.read("b.jpg"), "b.jpg");
    EXPECT_EQ(dst.read("TOR01.jpg"), "a.jpg");
    EXPECT_EQ(dst.read("TOR02.jpg"), "b.jpg");

    EXPECT_EQ(form.SelectedFiles, (Names{"TOR01.jpg", "TOR02.jpg"}));
    EXPECT_EQ(form.SearchDir, dst.path());
    EXPECT_EQ(form.ChangeDir, dst.path());
    EXPECT_EQ(form.SaveMethod, SaveMode::Rename);
    EXPECT_TRUE(radio("RadioButton1")->isChecked());
    EXPECT_FALSE(radio("RadioButton2")->isEnabled());
    EXPECT_FALSE(radio("RadioButton3")->isEnabled());
    EXPECT_EQ(column(0), (Names{"TOR01.jpg", "TOR02.jpg"}));
    EXPECT_TRUE(painted.contains(QStringLiteral("2個のファイルを変換しました。")));
}

TEST_F(RunWindow, AShiftJisFileIsMovedUnderItsNewName)
{
    choose({sjisPhoto});
    ASSERT_NO_FATAL_FAILURE(chooseDestination(dst.path()));
    radio("RadioButton2")->click();
    ASSERT_EQ(form.SaveMethod, SaveMode::Move);
    form.StringGrid1Write(true);
    ASSERT_EQ(column(1), (Names{"TOR01.jpg"}));

    runButton()->click();

    EXPECT_FALSE(src.has(sjisPhoto));
    EXPECT_EQ(dst.read("TOR01.jpg"), sjisPhoto);
    EXPECT_TRUE(painted.contains(QStringLiteral("写真.jpg を TOR01.jpg に転送しています。")))
        << painted.join('|').toStdString();
    EXPECT_EQ(form.SelectedFiles, (Names{"TOR01.jpg"}));
    EXPECT_EQ(form.SearchDir, dst.path());
    EXPECT_TRUE(failures.isEmpty());
}

TEST_F(RunWindow, OneFileOfFiveFailingIsReportedAndDropsOutOfTheSelection)
{
    choose({"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"});
    ASSERT_EQ(column(1), (Names{"TOR01.txt", "TOR02.txt", "TOR03.txt", "TOR04.txt", "TOR05.txt"}));
    // Something takes one new name between the preview and the run.
    src.makeFolder("TOR03.txt");

    runButton()->click();

    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(
        failures[0].startsWith(QStringLiteral("次の 1 個のファイルは変換できませんでした。")))
        << failures[0].toStdString();
    EXPECT_TRUE(failures[0].contains(QStringLiteral("c.txt → TOR03.txt")))
        << failures[0].toStdString();
    EXPECT_EQ(statusAtFailureBox, QStringLiteral("4個のファイルを変換しました。"));
    EXPECT_FALSE(painted.contains(QStringLiteral("5個のファイルを変換しました。")));

    EXPECT_EQ(src.read("c.txt"), "c.txt") << "the file that failed keeps its own name";
    EXPECT_TRUE(noTemporaryNames(src));
    EXPECT_EQ(form.SelectedFiles, (Names{"TOR01.txt", "TOR02.txt", "TOR04.txt", "TOR05.txt"}));
    EXPECT_EQ(column(0), form.SelectedFiles);
    EXPECT_EQ(status()->panelText(1),
              QStringLiteral("4個のファイルを変換しました。1個は失敗。（Ctrl+Z で元に戻せます）"));
}

TEST_F(RunWindow, ADestinationThatCannotBeOpenedTouchesNothing)
{
    const std::string gone = dst / "gone/";
    dst.makeFolder("gone");
    choose({"a.txt", "b.txt"});
    ASSERT_NO_FATAL_FAILURE(chooseDestination(gone));
    form.StringGrid1Write(true);
    ASSERT_TRUE(runButton()->isEnabled());
    ASSERT_EQ(::rmdir(gone.c_str()), 0);
    const QStringList paintedBefore = painted;

    runButton()->click();

    EXPECT_EQ(form.messages, QStringList{QStringLiteral("ﾌｧｲﾙが見つかりません")});
    EXPECT_EQ(src.read("a.txt"), "a.txt");
    EXPECT_EQ(src.read("b.txt"), "b.txt");
    EXPECT_EQ(form.SelectedFiles, (Names{"a.txt", "b.txt"}));
    EXPECT_EQ(form.SearchDir, src.path());
    EXPECT_EQ(form.SaveMethod, SaveMode::Copy);
    EXPECT_EQ(column(1), (Names{"TOR01.txt", "TOR02.txt"}));
    for (qsizetype i = paintedBefore.size(); i < painted.size(); ++i) {
        EXPECT_FALSE(painted[i].contains(QStringLiteral("変換しました")))
            << painted[i].toStdString();
    }
    EXPECT_TRUE(failures.isEmpty());
    EXPECT_FALSE(status()->progressBar()->isVisible());
    EXPECT_TRUE(runButton()->isEnabled()) << "the command is back as the grid had it";
    EXPECT_TRUE(runItem()->isEnabled());
}

TEST_F(RunWindow, ATimeStampRunKeepsTheSelectionAndCountsOnlyTheFilesChanged)
{
    choose({"a.txt", "b.txt", "c.txt"});
    child<QAction>(form, "D1")->trigger();
    form.TSheetDate(QDateTime(QDate(2020, 5, 6), QTime(7, 8, 10)));
    // One file goes before the run.
    ASSERT_EQ(::unlink((src / "b.txt").c_str()), 0);

    runButton()->click();

    EXPECT_EQ(statOf(src / "a.txt").st_mtime, localInstant(2020, 5, 6, 7, 8, 10));
    EXPECT_EQ(statOf(src / "c.txt").st_mtime, localInstant(2020, 5, 6, 7, 8, 10));
    EXPECT_EQ(failures.size(), 1);
    EXPECT_TRUE(painted.contains(QStringLiteral("2個のファイルを変換しました。")))
        << painted.join('|').toStdString();
    EXPECT_FALSE(painted.contains(QStringLiteral("3個のファイルを変換しました。")));
    EXPECT_EQ(form.SelectedFiles, (Names{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(form.SearchDir, src.path());
    EXPECT_EQ(column(0), (Names{"a.txt", "c.txt"}));
}

// The count a run leaves on the status line stands whole in the panel, with
// the way to take the run back, whichever page ran it: the time stamp and
// attribute runs are journaled as a rename is.
TEST_F(RunWindow, TheCountOfARunWithAFailureStandsWholeWithTheWayToTakeItBack)
{
    const auto wholeInPanel = [this](const QString& text) {
        return QFontMetrics(status()->font()).horizontalAdvance(text)
               <= status()->textArea().width();
    };
    struct Case
    {
        const char* name;
        const char* pageItem; // the menu item that shows the page
        std::function<void()> setUp;
    };
    const std::vector<Case> cases = {
        {"rename", "R1", [] {}},
        {"time stamp", "D1",
         [this] { form.TSheetDate(QDateTime(QDate(2020, 5, 6), QTime(7, 8, 10))); }},
        {"attributes", "P1", [this] { child<QRadioButton>(form, "RadioGroup5Item0")->click(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        choose({"a.txt", "b.txt", "c.txt"});
        child<QAction>(form, c.pageItem)->trigger();
        c.setUp();
        ASSERT_EQ(::unlink((src / "b.txt").c_str()), 0); // gone before the run

        runButton()->click();

        const QString shown = status()->panelText(1);
        EXPECT_EQ(shown.toStdString(),
                  "2個のファイルを変換しました。1個は失敗。（Ctrl+Z で元に戻せます）");
        EXPECT_TRUE(wholeInPanel(shown)) << shown.toStdString();
    }
    testing::grabShot(form, QStringLiteral("window-count-with-failure.png"));

    // The widest count of a run of 100,000 files.
    const QString widest = utf8Text(runSummary(50000, 50000, ctrlZHint));
    EXPECT_TRUE(wholeInPanel(widest)) << widest.toStdString();
}

TEST_F(RunWindow, AnOutsideFileHoldingANewNameGoesToTheTrashWhenThePersonSaysYes)
{
    src.write("TOR02.txt", "outside");
    choose({"a.txt", "b.txt"});
    ASSERT_EQ(column(1), (Names{"TOR01.txt", "TOR02.txt"}));
    answers = {TrashAnswer::Yes};
    bool barShown = false;
    whileAsked = [&] {
        barShown = status()->progressBar()->isVisible();
        testing::grabShot(form, QStringLiteral("window-during-run.png"));
    };

    runButton()->click();

    EXPECT_TRUE(barShown) << "the bar stands while the run waits for the answer";
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].endsWith(QStringLiteral("/TOR02.txt"))) << asked[0].toStdString();
    EXPECT_EQ(trash.files(), Names{"TOR02.txt"});
    EXPECT_EQ(trash.data.read("Trash/files/TOR02.txt"), "outside");
    EXPECT_EQ(src.read("TOR02.txt"), "b.txt");
    EXPECT_EQ(form.SelectedFiles, (Names{"TOR01.txt", "TOR02.txt"}));
    EXPECT_TRUE(failures.isEmpty());
}

TEST_F(RunWindow, YesToAllHoldsForOneRunOnly)
{
    src.write("TOR01.txt", "outside 1");
    src.write("TOR02.txt", "outside 2");
    choose({"a.txt", "b.txt"});
    answers = {TrashAnswer::YesToAll};
    runButton()->click();
    EXPECT_EQ(asked.size(), 1) << "one answer for the whole run";
    EXPECT_EQ(trash.files().size(), 2u);

    // The next run asks again.
    src.write("NEW01.txt", "outside 3");
    child<QLineEdit>(form, "Edit1")->setText("NEW");
    form.StringGrid1Write(true);
    ASSERT_EQ(column(1), (Names{"NEW01.txt", "NEW02.txt"}));
    answers = {TrashAnswer::No};
    runButton()->click();
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(src.read("NEW01.txt"), "outside 3");
    EXPECT_EQ(trash.files().size(), 2u);
}

TEST_F(RunWindow, TheRunCommandDoesNothingWhileARunIsUnderWay)
{
    src.write("TOR01.txt", "outside");
    choose({"a.txt", "b.txt"});
    bool commandOffDuringRun = false;
    whileAsked = [&] {
        commandOffDuringRun =
            !runButton()->isEnabled() && !runItem()->isEnabled() && form.runUnderWay();
        // The person's second press, and the menu item, from inside the box.
        form.TorvelButtonClick();
        runItem()->trigger();
    };
    answers = {TrashAnswer::No};

    runButton()->click();

    EXPECT_TRUE(commandOffDuringRun);
    EXPECT_EQ(asked.size(), 1) << "no second run asked anything";
    EXPECT_EQ(src.read("TOR01.txt"), "outside");
    EXPECT_EQ(src.read("a.txt"), "a.txt") << "declined: the row's file keeps its own name";
    EXPECT_EQ(src.read("TOR02.txt"), "b.txt");
    EXPECT_TRUE(noTemporaryNames(src));
    ASSERT_EQ(failures.size(), 1) << "one report, from the one run";
    EXPECT_TRUE(failures[0].contains(QStringLiteral("a.txt → TOR01.txt")));
    EXPECT_EQ(form.SelectedFiles, Names{"TOR02.txt"});
    EXPECT_FALSE(form.runUnderWay());
}

TEST_F(RunWindow, AnEmptyListRunsNothing)
{
    const QString before = status()->panelText(1);
    const int paintedBefore = static_cast<int>(painted.size());
    form.TorvelButtonClick();
    EXPECT_EQ(status()->panelText(1), before);
    EXPECT_EQ(painted.size(), paintedBefore);
    EXPECT_TRUE(src.names().empty());
}

// A run of another process under way is neither offered for recovery nor
// raced by Ctrl+Z, and its journal stays; once it is cut short, several runs
// are asked about in one question.
TEST_F(RunWindow, RecoveryAsksOnceAndNeverForARunUnderWay)
{
    for (int i = 0; i < 3; ++i) {
        const std::string name = "a" + std::to_string(i) + ".txt";
        src.write(name, name);
        struct stat st
        {};
        ASSERT_EQ(::stat((src / name).c_str(), &st), 0);
        RunJournal journal(stateFolder());
        JournalRecord plan;
        plan.kind = JournalKind::Rename;
        plan.from = plan.to = src.path();
        plan.files = {{name, "_jd[00" + name, "z" + name, st.st_ino, 0, 0, 0}};
        ASSERT_EQ(journal.begin(plan), 0);
        ASSERT_EQ(::rename((src / name).c_str(), (src / ("_jd[00" + name)).c_str()), 0);
    }
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t other = ::fork();
    ASSERT_GE(other, 0);
    if (other == 0) {
        const JournalFolder held(stateFolder(), {});
        (void)!::write(ready[1], "y", 1);
        ::pause();
        ::_exit(0);
    }
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    child<QAction>(form, "Undo1")->trigger();
    ASSERT_EQ(form.messages.size(), 1);
    EXPECT_TRUE(form.messages[0].contains(QStringLiteral("ほかの実行")))
        << form.messages[0].toStdString();
    form.offerRecovery();
    EXPECT_TRUE(form.questions.isEmpty());
    EXPECT_EQ(journalPaths(stateFolder()).size(), 3u);

    ::kill(other, SIGKILL); // the other run is cut short too
    ::waitpid(other, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    form.answerBox = [](QMessageBox& box) {
        for (QAbstractButton* button : box.buttons()) {
            if (button->text() == QStringLiteral("元に戻す(&U)"))
                button->click();
        }
    };
    form.offerRecovery();
    ASSERT_EQ(form.questions.size(), 1);
    EXPECT_TRUE(form.questions[0].contains(QStringLiteral("3 件")))
        << form.questions[0].toStdString();
    EXPECT_EQ(src.names(), (Names{"a0.txt", "a1.txt", "a2.txt"}));
}

} // namespace
} // namespace torvel::testing
