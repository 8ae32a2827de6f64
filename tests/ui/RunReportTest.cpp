// What the window tells the person at the end of a run, through the run
// command on real files: the count on the status line, whole in its panel and
// with the way to take the run back, and the files that failed in one box.
#include <QDate>
#include <QDateTime>
#include <QFontMetrics>
#include <QTime>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include <unistd.h>

#include "PagesFixture.h"
#include "RunWindowFixture.h"
#include "Screenshot.h"
#include "UndoTexts.h"
#include "Utf8Text.h"

namespace torvel::testing {
namespace {

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
    EXPECT_EQ(form.selectedFiles(), (Names{"TOR01.txt", "TOR02.txt", "TOR04.txt", "TOR05.txt"}));
    EXPECT_EQ(column(0), form.selectedFiles());
    EXPECT_EQ(status()->panelText(1),
              QStringLiteral("4個のファイルを変換しました。1個は失敗。（Ctrl+Z で元に戻せます）"));
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
    EXPECT_EQ(form.selectedFiles(), (Names{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(form.sourceFolder(), src.path());
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

} // namespace
} // namespace torvel::testing
