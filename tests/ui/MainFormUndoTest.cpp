// Taking runs back and finishing runs a crash cut short, through the
// window on real files: what it asks, what it lists afterwards, and that the
// next run does what it then shows.
#include "RunWindowFixture.h"

#include <QAction>
#include <QMessageBox>

#include <sys/stat.h>

#include "common/HeldJournalFolder.h"
#include "TrashOperation.h"
#include "PosixFileSystem.h"
#include "RenameInPlace.h"
#include "common/FeedbackStandIn.h"
#include "common/SampleNames.h"
#include "RunUndo.h"

namespace torvel::testing {
namespace {

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
    EXPECT_TRUE(std::count(form.selectedFiles().begin(), form.selectedFiles().end(), sjisPhoto));
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
    test::HeldJournalFolder other(stateFolder());
    child<QAction>(form, "Undo1")->trigger();
    ASSERT_EQ(form.messages.size(), 1);
    EXPECT_TRUE(form.messages[0].contains(QStringLiteral("ほかの実行")))
        << form.messages[0].toStdString();
    form.offerRecovery();
    EXPECT_TRUE(form.questions.isEmpty());
    EXPECT_EQ(journalPaths(stateFolder()).size(), 3u);

    other.release(); // the other run is cut short too
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

// The repro of a user trial: the window renames in one folder; torvel-cli
// renames in another; Ctrl+Z in the window takes that run back and lists its
// files. The next 実行 renames them where they are, as the window shows; it
// copies nothing into the first folder.
TEST_F(RunWindow, AfterTakingBackARunElsewhereTheNextRunDoesWhatTheWindowShows)
{
    choose({"x1.jpg", "x2.jpg"});
    ScratchDir other;
    other.write("y1.jpg", "y1");
    other.write("y2.jpg", "y2");
    {
        PosixFileSystem fs;
        FeedbackStandIn nobody;
        TFileOperation operation(fs, &nobody);
        RunJournal journal(stateFolder());
        RunServices services{fs, nobody, operation, &journal};
        const RunSettings there{other.path(), other.path(), SaveMode::Rename, true, false};
        ASSERT_EQ(
            File_Rename({{"y1.jpg", "A1.jpg"}, {"y2.jpg", "A2.jpg"}}, there, services).converted,
            2);
    }
    form.answerBox = [](QMessageBox& box) {
        for (QAbstractButton* button : box.buttons()) {
            if (button->text() == QStringLiteral("はい"))
                button->click();
        }
    };
    child<QAction>(form, "Undo1")->trigger();
    ASSERT_EQ(other.names(), (Names{"y1.jpg", "y2.jpg"}));
    EXPECT_EQ(status()->panelText(1), QStringLiteral("2個のファイルを元に戻しました。"));
    EXPECT_EQ(form.sourceFolder(), other.path());
    EXPECT_EQ(form.destinationFolder(), other.path());
    EXPECT_EQ(form.saveMethod(), SaveMode::Rename);

    runButton()->click();
    EXPECT_EQ(other.names(), (Names{"TOR01.jpg", "TOR02.jpg"}));
    EXPECT_EQ(src.names(), (Names{"x1.jpg", "x2.jpg"}));
}

} // namespace
} // namespace torvel::testing
