// The page control with owner-drawn tabs: drawing and page changes.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include <gtest/gtest.h>

#include <vector>

#include "OwnerDrawnTabs.h"

namespace torvel {
namespace {

struct DrawCall
{
    int index;
    QRect rect;
    TOwnerDrawState state;
    bool hadCanvas;
};

class PageControlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        pages.resize(400, 160);
        for (const char* caption : {" トルベル変換　", "　更新日時　", "　属性の変更　"}) {
            pages.addTab(new QLabel, QString::fromUtf8(caption));
        }
        pages.show();
    }

    void recordDraws()
    {
        QObject::connect(
            &pages, &TPageControlEx::OnDrawTab,
            [this](TPageControlEx* control, int index, const QRect& rect, TOwnerDrawState state) {
                EXPECT_EQ(control, &pages);
                draws.push_back({index, rect, state, control->Canvas() != nullptr});
            });
    }

    void clickTab(int index)
    {
        QTabBar* bar = pages.tabBar();
        const QPointF at = bar->tabRect(index).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, bar->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(bar, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, bar->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(bar, &release);
    }

    TPageControlEx pages;
    std::vector<DrawCall> draws;
};

TEST_F(PageControlTest, WithoutOwnerDrawTheHandlerIsNeverCalled)
{
    recordDraws();
    pages.grab();
    EXPECT_TRUE(draws.empty());
}

TEST_F(PageControlTest, OwnerDrawCallsTheHandlerForEveryTabWithItsState)
{
    recordDraws();
    pages.setOwnerDraw(true);
    pages.setCurrentIndex(1);
    pages.grab();
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws.back().index, 1) << "the selected tab is drawn last";
    for (const DrawCall& call : draws) {
        EXPECT_TRUE(call.hadCanvas);
        const QRect item = pages.tabBar()->tabRect(call.index).adjusted(2, 2, -2, -2);
        const bool selected = call.index == 1;
        EXPECT_EQ(call.state.testFlag(TOwnerDrawFlag::odSelected), selected);
        // Moved down one pixel, the selected one also two to the right.
        EXPECT_EQ(call.rect.top(), item.top() + 1);
        EXPECT_EQ(call.rect.left(), item.left() + (selected ? 2 : 0));
        EXPECT_EQ(call.rect.bottom(), item.bottom());
    }
    EXPECT_EQ(pages.Canvas(), nullptr) << "the canvas is bound only while drawing";
}

TEST_F(PageControlTest, OwnerDrawWithoutHandlerWritesCaptionsOnButtonFace)
{
    pages.setOwnerDraw(true);
    pages.setCurrentIndex(0);
    const QImage shot = pages.tabBar()->grab().toImage();
    const QRect item = pages.tabBar()->tabRect(2).adjusted(2, 3, -2, -2);
    const QColor face = pages.palette().color(QPalette::Button);
    // The rectangle is filled, and the caption starts 2 pixels in.
    EXPECT_EQ(shot.pixelColor(item.topLeft()), face);
    EXPECT_EQ(shot.pixelColor(item.bottomRight()), face);
    bool textFound = false;
    for (int x = item.left() + 2; x < item.right() && !textFound; ++x) {
        for (int y = item.top() + 2; y < item.bottom() && !textFound; ++y) {
            textFound = shot.pixelColor(x, y) != face;
        }
    }
    EXPECT_TRUE(textFound);
}

TEST_F(PageControlTest, UserChangesRaiseOnChangeButProgramChangesDoNot)
{
    int changes = 0;
    QObject::connect(&pages, &TPageControlEx::OnChange, [&] { ++changes; });
    pages.setCurrentIndex(2);
    EXPECT_EQ(changes, 0);
    clickTab(1);
    EXPECT_EQ(pages.currentIndex(), 1);
    EXPECT_EQ(changes, 1);
    clickTab(1);
    EXPECT_EQ(changes, 1) << "clicking the active tab changes nothing";
}

TEST_F(PageControlTest, OnChangingCanRefuseEveryWayTheUserChangesPage)
{
    bool allow = false;
    int changes = 0;
    QObject::connect(&pages, &TPageControlEx::OnChanging,
                     [&](bool* allowChange) { *allowChange = allow; });
    QObject::connect(&pages, &TPageControlEx::OnChange, [&] { ++changes; });

    clickTab(2);
    EXPECT_EQ(pages.currentIndex(), 0);
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(pages.tabBar(), &right);
    EXPECT_EQ(pages.currentIndex(), 0);
    QKeyEvent ctrlTab(QEvent::KeyPress, Qt::Key_Tab, Qt::ControlModifier);
    QApplication::sendEvent(&pages, &ctrlTab);
    EXPECT_EQ(pages.currentIndex(), 0);
    EXPECT_EQ(changes, 0);

    pages.setCurrentIndex(1);
    EXPECT_EQ(pages.currentIndex(), 1) << "the program is not asked";

    allow = true;
    clickTab(2);
    EXPECT_EQ(pages.currentIndex(), 2);
    EXPECT_EQ(changes, 1);
}

TEST_F(PageControlTest, DisplayRectLiesBelowTheTabs)
{
    const QRect display = pages.DisplayRect();
    EXPECT_GE(display.top(), pages.tabBar()->geometry().bottom());
    EXPECT_LE(display.bottom(), pages.height());
    EXPECT_GT(display.width(), 350);
    EXPECT_EQ(display.size(), pages.currentWidget()->size());
}

} // namespace
} // namespace torvel
