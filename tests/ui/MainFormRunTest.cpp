// The run command through the window on real files: renaming in place, moving
// and copying into another folder, what the window lists afterwards, taking a
// run back, and a second run command while the first is under way.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "DurableFile.h"
#include "PreviewGrid.h"
#include "RunJournal.h"
#include "StatusLine.h"
#include "UFolderTree.h"
#include "WindowFeedback.h"
#include "common/SampleNames.h"
#include "RunWindowFixture.h"
#include "Screenshot.h"

namespace torvel::testing {
namespace {

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

    EXPECT_EQ(form.selectedFiles(), (Names{"TOR01.txt", "TOR02.txt", "TOR03.txt"}));
    EXPECT_EQ(column(0), (Names{"TOR01.txt", "TOR02.txt", "TOR03.txt"}));
    EXPECT_EQ(form.sourceFolder(), src.path());
    EXPECT_EQ(form.saveMethod(), SaveMode::Rename);
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
    EXPECT_TRUE(
        status()->panelText(1).endsWith(QStringLiteral("1個は、このままでは変換できません。")))
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
    EXPECT_EQ(form.selectedFiles(), (Names{"TOR01.DAT", "TOR02.DAT", "TOR03.DAT"}));
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
    ASSERT_EQ(form.saveMethod(), SaveMode::Copy) << "leaving the folder while renaming copies";
    form.StringGrid1Write(true);
    ASSERT_EQ(column(1), (Names{"TOR01.jpg", "TOR02.jpg"}));

    runButton()->click();

    EXPECT_EQ(src.read("a.jpg"), "a.jpg") << "a copy leaves its source";
    EXPECT_EQ(src.read("b.jpg"), "b.jpg");
    EXPECT_EQ(dst.read("TOR01.jpg"), "a.jpg");
    EXPECT_EQ(dst.read("TOR02.jpg"), "b.jpg");

    EXPECT_EQ(form.selectedFiles(), (Names{"TOR01.jpg", "TOR02.jpg"}));
    EXPECT_EQ(form.sourceFolder(), dst.path());
    EXPECT_EQ(form.destinationFolder(), dst.path());
    EXPECT_EQ(form.saveMethod(), SaveMode::Rename);
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
    ASSERT_EQ(form.saveMethod(), SaveMode::Move);
    form.StringGrid1Write(true);
    ASSERT_EQ(column(1), (Names{"TOR01.jpg"}));

    runButton()->click();

    EXPECT_FALSE(src.has(sjisPhoto));
    EXPECT_EQ(dst.read("TOR01.jpg"), sjisPhoto);
    EXPECT_TRUE(painted.contains(QStringLiteral("写真.jpg を TOR01.jpg に転送しています。")))
        << painted.join('|').toStdString();
    EXPECT_EQ(form.selectedFiles(), (Names{"TOR01.jpg"}));
    EXPECT_EQ(form.sourceFolder(), dst.path());
    EXPECT_TRUE(failures.isEmpty());
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
    EXPECT_EQ(form.selectedFiles(), (Names{"a.txt", "b.txt"}));
    EXPECT_EQ(form.sourceFolder(), src.path());
    EXPECT_EQ(form.saveMethod(), SaveMode::Copy);
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
    EXPECT_EQ(form.selectedFiles(), (Names{"TOR01.txt", "TOR02.txt"}));
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
    EXPECT_EQ(form.selectedFiles(), Names{"TOR02.txt"});
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

} // namespace
} // namespace torvel::testing
