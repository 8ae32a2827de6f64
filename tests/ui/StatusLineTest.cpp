// The status line: texts, the colour mark of each kind, the immediate repaint.
#include <QCoreApplication>
#include <QPainter>
#include <QProgressBar>

#include <gtest/gtest.h>

#include "StatusLine.h"

namespace torvel {
namespace {

// A status line that counts its paints and draws its own kind mark, as the
// main window's handler does.
class CountingStatusLine : public StatusLine
{
public:
    CountingStatusLine()
    {
        connect(this, &StatusLine::drawPanel, this,
                [this](QPainter* painter, int panel, const QRect& rect) {
                    if (panel == 0) {
                        paintKindMark(*painter, rect);
                    }
                });
    }
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        StatusLine::paintEvent(event);
    }
};

class StatusLineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        bar.resize(602, StatusLine::kHeight);
        bar.show();
        // Let the window be exposed once, as it is long before any long step.
        QCoreApplication::processEvents();
    }
    QRgb at(int x, int y) { return bar.grab().toImage().pixel(x, y); }
    QRgb background() const { return bar.palette().color(QPalette::Window).rgb(); }

    CountingStatusLine bar;
};

TEST_F(StatusLineTest, WriteKeepsKindAndTextsOfBothPanels)
{
    bar.write(StatusKind::Warning, QStringLiteral("【注意】連番が指定桁数を超えています。"));
    EXPECT_EQ(bar.kind(), StatusKind::Warning);
    EXPECT_EQ(bar.panelText(0), QStringLiteral("2"));
    EXPECT_EQ(bar.panelText(1), QStringLiteral("【注意】連番が指定桁数を超えています。"));
    EXPECT_EQ(bar.panelRect(0), QRect(0, 0, 50, StatusLine::kHeight));
    EXPECT_EQ(bar.panelRect(1).left(), 50);
    EXPECT_EQ(bar.panelRect(1).right(), 601);
}

TEST_F(StatusLineTest, EachKindFillsItsMarkInsideTheMargins)
{
    const QRgb face = bar.palette().color(QPalette::Button).rgb();
    const struct
    {
        StatusKind kind;
        QRgb fill;
    } kinds[] = {{StatusKind::Ready, qRgb(0, 255, 0)},
                 {StatusKind::Warning, qRgb(255, 0, 0)},
                 {StatusKind::Waiting, face}};
    for (const auto& expected : kinds) {
        bar.write(expected.kind, QStringLiteral("x"));
        const QImage shot = bar.grab().toImage();
        // Filled from (3, 2) to (46, 20): shrunk 3 left and right, 2 top and bottom.
        EXPECT_EQ(shot.pixel(3, 2), expected.fill) << static_cast<int>(expected.kind);
        EXPECT_EQ(shot.pixel(46, 20), expected.fill) << static_cast<int>(expected.kind);
        EXPECT_EQ(shot.pixel(25, 11), expected.fill) << static_cast<int>(expected.kind);
        if (expected.fill != background()) {
            EXPECT_NE(shot.pixel(2, 11), expected.fill) << static_cast<int>(expected.kind);
            EXPECT_NE(shot.pixel(47, 11), expected.fill) << static_cast<int>(expected.kind);
            EXPECT_NE(shot.pixel(25, 1), expected.fill) << static_cast<int>(expected.kind);
            EXPECT_NE(shot.pixel(25, 21), expected.fill) << static_cast<int>(expected.kind);
        }
    }
}

TEST_F(StatusLineTest, WorkingHidesTheReadyMark)
{
    bar.write(StatusKind::Ready, QStringLiteral("12個のファイルが選択されています。"));
    EXPECT_EQ(at(25, 11), qRgb(0, 255, 0));
    bar.write(StatusKind::Working, QStringLiteral("ファイル名を変換中。しばらくお待ちください。"));
    EXPECT_EQ(at(25, 11), background());
}

TEST_F(StatusLineTest, WaitingReplacesTheWarningMark)
{
    bar.write(StatusKind::Warning, QStringLiteral("【注意】 識別名を入力してください。"));
    EXPECT_EQ(at(25, 11), qRgb(255, 0, 0));
    bar.write(StatusKind::Waiting, QStringLiteral("ファイルを選択してください。"));
    EXPECT_EQ(at(25, 11), bar.palette().color(QPalette::Button).rgb());
}

TEST_F(StatusLineTest, WriteRepaintsBeforeReturning)
{
    const int before = bar.paints;
    bar.write(StatusKind::Working, QStringLiteral("しばらくお待ちください。"));
    EXPECT_GT(bar.paints, before) << "no return to the event loop is needed";
}

TEST_F(StatusLineTest, ProgressBarTakesTheRightEndOnlyWhileShown)
{
    EXPECT_FALSE(bar.progressBar()->isVisible());
    bar.progressBar()->show();
    const QRect text = bar.panelRect(1);
    EXPECT_LT(text.right(), bar.progressBar()->geometry().left());
    EXPECT_GE(bar.progressBar()->geometry().right(), 590);
    bar.progressBar()->hide();
    EXPECT_EQ(bar.panelRect(1).right(), 601);
}

TEST_F(StatusLineTest, LongTextIsCutAtThePanelEdge)
{
    bar.progressBar()->show();
    bar.write(StatusKind::Working, QString(300, QChar(0x25A0)));
    const QImage shot = bar.grab().toImage();
    const int gap = bar.panelRect(1).right() + 1;
    // Between the panel and the progress bar only the bar's own background.
    for (int y = 4; y < StatusLine::kHeight - 4; ++y) {
        EXPECT_EQ(shot.pixel(gap, y), background()) << y;
    }
}

} // namespace
} // namespace torvel
