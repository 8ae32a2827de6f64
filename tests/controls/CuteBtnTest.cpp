// The flat button: bevel states, mouse and keyboard presses, accelerator.
#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include "CuteBtn.h"

namespace torvel {
namespace {

using Bevel = TCuteButton::Bevel;

// A button whose idea of the left mouse button the test decides.
class HeldButton : public TCuteButton
{
public:
    using TCuteButton::TCuteButton;
    bool held = false;

protected:
    bool leftButtonDown() const override { return held; }
};

class CuteButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(200, 100);
        edit = new QLineEdit(&window);
        edit->setGeometry(5, 5, 100, 23);
        button = new HeldButton(&window);
        button->move(5, 40);
        button->setCaption(QStringLiteral("識別名"));
        QObject::connect(button, &TCuteButton::clicked, [this] { ++clicks; });
        window.show();
    }

    void enter()
    {
        QEnterEvent event(QPointF(5, 5), QPointF(5, 5), QPointF(10, 45));
        QApplication::sendEvent(button, &event);
    }
    void leave()
    {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(button, &event);
    }
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton which = Qt::LeftButton)
    {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonPress ? Qt::MouseButtons(which) : Qt::NoButton;
        QMouseEvent event(type, QPointF(at), button->mapToGlobal(QPointF(at)), which, held,
                          Qt::NoModifier);
        QApplication::sendEvent(button, &event);
    }
    void key(int code)
    {
        QKeyEvent event(QEvent::KeyPress, code, Qt::NoModifier);
        QApplication::sendEvent(button, &event);
    }

    QWidget window;
    QLineEdit* edit = nullptr;
    HeldButton* button = nullptr;
    int clicks = 0;
};

TEST_F(CuteButtonTest, StartsAsARaisedPanelThatIsReachedByTabOnly)
{
    TCuteButton plain;
    EXPECT_EQ(plain.size(), QSize(75, 25));
    EXPECT_FALSE(plain.flat());
    EXPECT_EQ(plain.bevelInner(), Bevel::Raised);
    EXPECT_EQ(plain.bevelOuter(), Bevel::None);
    // Only the tab chain gives it the focus: a click leaves the focus where it
    // was, for example in the edit box beside it.
    EXPECT_EQ(plain.focusPolicy(), Qt::TabFocus);
}

TEST_F(CuteButtonTest, FlatRemovesTheInnerBevelOnce)
{
    button->setFlat(true);
    EXPECT_EQ(button->bevelInner(), Bevel::None);
    button->setFlat(true);
    EXPECT_EQ(button->bevelInner(), Bevel::None);
    button->setFlat(false);
    EXPECT_EQ(button->bevelInner(), Bevel::Raised);
}

TEST_F(CuteButtonTest, HoverRaisesAndDraggingInShowsPressed)
{
    button->setFlat(true);
    enter();
    EXPECT_EQ(button->bevelOuter(), Bevel::Raised);
    leave();
    EXPECT_EQ(button->bevelOuter(), Bevel::None);
    button->held = true;
    enter();
    EXPECT_EQ(button->bevelOuter(), Bevel::Lowered);
    EXPECT_EQ(clicks, 0);
}

TEST_F(CuteButtonTest, ClickFiresOnReleaseOverTheButtonAndLeavesItIdle)
{
    enter();
    mouse(QEvent::MouseButtonPress, QPoint(10, 10));
    EXPECT_EQ(button->bevelOuter(), Bevel::Lowered);
    EXPECT_EQ(clicks, 0);
    mouse(QEvent::MouseButtonRelease, QPoint(10, 10));
    EXPECT_EQ(clicks, 1);
    // Idle although the mouse is still over it.
    EXPECT_EQ(button->bevelOuter(), Bevel::None);

    mouse(QEvent::MouseButtonPress, QPoint(10, 10));
    mouse(QEvent::MouseButtonRelease, QPoint(300, 300));
    EXPECT_EQ(clicks, 1) << "released outside: no click";

    mouse(QEvent::MouseButtonPress, QPoint(10, 10), Qt::RightButton);
    mouse(QEvent::MouseButtonRelease, QPoint(10, 10), Qt::RightButton);
    EXPECT_EQ(clicks, 1) << "only the left button clicks";
}

TEST_F(CuteButtonTest, SpaceAndEnterClickOnceAndLeaveItRaised)
{
    key(Qt::Key_Space);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button->bevelOuter(), Bevel::Raised);
    key(Qt::Key_Return);
    key(Qt::Key_Enter);
    EXPECT_EQ(clicks, 3);
    key(Qt::Key_A);
    EXPECT_EQ(clicks, 3);
}

TEST_F(CuteButtonTest, DisabledButtonIgnoresKeysAndItsAccelerator)
{
    button->setCaption(QStringLiteral("&Go"));
    button->setEnabled(false);
    key(Qt::Key_Space);
    QApplication::setActiveWindow(&window);
    edit->setFocus();
    QKeyEvent alt(QEvent::KeyPress, Qt::Key_G, Qt::AltModifier, QStringLiteral("g"));
    QApplication::sendEvent(edit, &alt);
    EXPECT_EQ(clicks, 0);
}

TEST_F(CuteButtonTest, AltAcceleratorClicks)
{
    button->setCaption(QStringLiteral("&Go"));
    QApplication::setActiveWindow(&window);
    edit->setFocus();
    QKeyEvent alt(QEvent::KeyPress, Qt::Key_G, Qt::AltModifier, QStringLiteral("g"));
    QApplication::sendEvent(edit, &alt);
    EXPECT_EQ(clicks, 1);
}

TEST_F(CuteButtonTest, FocusRaisesAndLosingItFlattensAgain)
{
    QApplication::setActiveWindow(&window);
    button->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(button->hasFocus());
    EXPECT_EQ(button->bevelOuter(), Bevel::Raised);
    edit->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(button->bevelOuter(), Bevel::None);
}

TEST_F(CuteButtonTest, PaintsBevelsOfTheState)
{
    button->setFlat(true);
    button->setBevelWidth(2);
    const QRgb light = button->palette().color(QPalette::Light).rgb();
    const QRgb dark = button->palette().color(QPalette::Dark).rgb();
    QImage idle = button->grab().toImage();
    EXPECT_NE(idle.pixel(0, 0), light);
    enter();
    QImage hot = button->grab().toImage();
    EXPECT_EQ(hot.pixel(0, 0), light);
    EXPECT_EQ(hot.pixel(1, 1), light) << "bevel width 2";
    EXPECT_EQ(hot.pixel(74, 24), dark);
    mouse(QEvent::MouseButtonPress, QPoint(10, 10));
    QImage pressed = button->grab().toImage();
    EXPECT_EQ(pressed.pixel(0, 0), dark);
    EXPECT_EQ(pressed.pixel(74, 24), light);
}

} // namespace
} // namespace torvel
