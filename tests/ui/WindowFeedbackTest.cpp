// The window's side of a run: spaced repaints of the status line, the
// progress bar, the failure boxes and the question before the trash.
#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "StatusLine.h"
#include "WindowFeedback.h"
#include "common/SampleNames.h"

namespace torvel {
namespace {

using Answer = RunFeedback::TrashAnswer;

// Counts the paint events of the status line.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget* watched) { watched->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

class WindowFeedbackTest : public ::testing::Test
{
protected:
    WindowFeedbackTest()
    {
        owner.resize(500, 100);
        line->setGeometry(0, 70, 500, StatusLine::kHeight);
        owner.show();
        QApplication::processEvents();
        feedback.setClock([this] { return clock; });
        feedback.setFailureBox([this](const QString& text) {
            boxes.push_back(text);
            textWhenBoxOpened.push_back(line->panelText(1));
        });
    }

    QProgressBar* bar() const { return line->progressBar(); }

    QWidget owner;
    StatusLine* line = new StatusLine(&owner);
    WindowFeedback feedback{&owner, line};
    qint64 clock = 1000;
    std::vector<QString> boxes;
    std::vector<QString> textWhenBoxOpened;
};

TEST_F(WindowFeedbackTest, ARunRepaintsTheStatusLineAtMostEveryFiftyMilliseconds)
{
    feedback.beginRun(1000);
    PaintCounter counter(line);
    for (int i = 0; i < 1000; ++i) {
        feedback.showStatus(StatusKind::Working, QStringLiteral("file") + QString::number(i));
        feedback.progress(i + 1, 1000);
        if (i % 10 == 9)
            ++clock; // ten files a millisecond: 100 ms in all
    }
    EXPECT_EQ(counter.paints, 2) << "the first text, then one 50 ms later";
    EXPECT_EQ(line->panelText(1), "file500");
    EXPECT_EQ(bar()->value(), 500) << "the bar is painted with the text";

    feedback.endRun();
    EXPECT_EQ(line->panelText(1), "file999") << "the last text is always shown";
    EXPECT_EQ(counter.paints, 3);
}

TEST_F(WindowFeedbackTest, TheFirstTextOfARunAndAChangeOfKindAreShownAtOnce)
{
    feedback.showStatus(StatusKind::Working, QStringLiteral("before"));
    feedback.beginRun(3);
    feedback.showStatus(StatusKind::Working, QStringLiteral("first"));
    EXPECT_EQ(line->panelText(1), "first");
    feedback.showStatus(StatusKind::Working, QStringLiteral("second"));
    EXPECT_EQ(line->panelText(1), "first");
    feedback.showStatus(StatusKind::Warning, QStringLiteral("warning"));
    EXPECT_EQ(line->panelText(1), "warning");
    EXPECT_EQ(line->kind(), StatusKind::Warning);
    clock += WindowFeedback::kRepaintIntervalMs;
    feedback.showStatus(StatusKind::Warning, QStringLiteral("later"));
    EXPECT_EQ(line->panelText(1), "later");
    feedback.endRun();

    // Outside a run every text is shown at once.
    PaintCounter counter(line);
    feedback.showStatus(StatusKind::Waiting, QStringLiteral("one"));
    feedback.showStatus(StatusKind::Waiting, QStringLiteral("two"));
    EXPECT_EQ(line->panelText(1), "two");
    EXPECT_EQ(counter.paints, 2);
}

TEST_F(WindowFeedbackTest, TheProgressBarIsShownOnlyWhileARunIsUnderWay)
{
    EXPECT_FALSE(bar()->isVisible());
    {
        WindowFeedback::RunScope run(feedback, 4);
        EXPECT_TRUE(bar()->isVisible());
        EXPECT_EQ(bar()->maximum(), 4);
        EXPECT_EQ(bar()->value(), 0);
        feedback.progress(3, 4);
        EXPECT_EQ(bar()->value(), 3);
        EXPECT_LT(line->panelRect(1).right(), bar()->geometry().left())
            << "the text stops short of the bar";
    }
    EXPECT_FALSE(bar()->isVisible());

    try {
        WindowFeedback::RunScope run(feedback, 2);
        throw std::runtime_error("the run ends early");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(bar()->isVisible()) << "also when the run ends by an exception";
}

TEST_F(WindowFeedbackTest, AFailureBoxShowsTheFileTheRunHadGotTo)
{
    feedback.beginRun(3);
    feedback.status({RunActivity::ChangingStamp, "a", {}});
    feedback.status({RunActivity::ChangingStamp, "b", {}}); // not due yet
    feedback.fileFailed("bは、変更できませんでした。");
    feedback.endRun();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], QStringLiteral("bは、変更できませんでした。"));
    EXPECT_EQ(textWhenBoxOpened[0], QStringLiteral("b の 更新日時を変更しています。"));
}

TEST_F(WindowFeedbackTest, TheTrashQuestionsAnswersReachTheRun)
{
    std::vector<Answer> answers = {Answer::Yes, Answer::No, Answer::Cancel, Answer::YesToAll};
    std::vector<QString> asked;
    feedback.setTrashBox([&](const QString& shownPath) {
        asked.push_back(shownPath);
        const Answer answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    });
    feedback.beginRun(6);
    EXPECT_EQ(feedback.confirmTrash("/tmp/写真/" + sjisTable), Answer::Yes);
    EXPECT_EQ(feedback.confirmTrash("/tmp/x/b"), Answer::No);
    EXPECT_EQ(feedback.confirmTrash("/tmp/x/c"), Answer::Cancel);
    EXPECT_EQ(feedback.confirmTrash("/tmp/x/d"), Answer::YesToAll);
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[0], QStringLiteral("/tmp/写真/表.txt")) << "folder and name each decoded";
    feedback.endRun();
}

// Answers the next modal box with `act` once it is open.
void answerNextBox(const std::function<void(QMessageBox&)>& act, QString* text = nullptr)
{
    QTimer::singleShot(0, [act, text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        if (text != nullptr)
            *text = box->text();
        act(*box);
    });
}

QAbstractButton* buttonNamed(QMessageBox& box, const QString& caption)
{
    for (QAbstractButton* button : box.buttons()) {
        if (button->text() == caption)
            return button;
    }
    ADD_FAILURE() << caption.toStdString();
    return nullptr;
}

TEST_F(WindowFeedbackTest, TheRealTrashBoxOffersYesNoAndYesToAllAndEscapeCancels)
{
    QString text;
    answerNextBox([](QMessageBox& box) { buttonNamed(box, "すべてはい")->click(); }, &text);
    EXPECT_EQ(WindowFeedback::askTrash(&owner, QStringLiteral("/tmp/表.txt")), Answer::YesToAll);
    EXPECT_TRUE(text.endsWith(QStringLiteral("\n/tmp/表.txt")));

    answerNextBox([](QMessageBox& box) { buttonNamed(box, "いいえ")->click(); });
    EXPECT_EQ(WindowFeedback::askTrash(&owner, "x"), Answer::No);
    answerNextBox([](QMessageBox& box) { buttonNamed(box, "はい")->click(); });
    EXPECT_EQ(WindowFeedback::askTrash(&owner, "x"), Answer::Yes);

    answerNextBox([](QMessageBox& box) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&box, &escape);
    });
    EXPECT_EQ(WindowFeedback::askTrash(&owner, "x"), Answer::Cancel);
    answerNextBox([](QMessageBox& box) { box.close(); });
    EXPECT_EQ(WindowFeedback::askTrash(&owner, "x"), Answer::Cancel);
}

TEST_F(WindowFeedbackTest, TheRealFailureBoxShowsTheNameAsPlainTextWithOneButton)
{
    int buttons = 0;
    QString caption;
    Qt::TextFormat format = Qt::AutoText;
    answerNextBox([&](QMessageBox& box) {
        buttons = static_cast<int>(box.buttons().size());
        caption = box.buttons().front()->text();
        format = box.textFormat();
        EXPECT_EQ(box.icon(), QMessageBox::Critical);
        box.buttons().front()->click();
    });
    WindowFeedback::showFailureBox(&owner, QStringLiteral("<b>x</b>は、変更できませんでした。"));
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(caption, "OK");
    EXPECT_EQ(format, Qt::PlainText);
}

} // namespace
} // namespace torvel
