// The up-down buttons beside a number box.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include <gtest/gtest.h>

#include "UpDown.h"

namespace torvel {
namespace {

class UpDownTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        arrows.setRange(1, 5);
        arrows.setBuddy(&box);
        arrows.setPosition(2);
    }
    QLineEdit box;
    UpDown arrows;
};

TEST_F(UpDownTest, StepsWithinTheRangeWithoutWrapping)
{
    EXPECT_EQ(box.text(), QStringLiteral("2"));
    arrows.stepDown();
    arrows.stepDown();
    EXPECT_EQ(arrows.position(), 1);
    EXPECT_EQ(box.text(), QStringLiteral("1"));
    for (int i = 0; i < 10; ++i) {
        arrows.stepUp();
    }
    EXPECT_EQ(arrows.position(), 5);
    EXPECT_EQ(box.text(), QStringLiteral("5"));
}

TEST_F(UpDownTest, FollowsTheBoxWhileItHoldsAWholeNumberInRange)
{
    box.setText(QStringLiteral("4"));
    EXPECT_EQ(arrows.position(), 4);
    box.setText(QStringLiteral("9"));
    EXPECT_EQ(arrows.position(), 4) << "out of range keeps the last valid position";
    box.setText(QStringLiteral("abc"));
    EXPECT_EQ(arrows.position(), 4);
    box.setText(QString());
    EXPECT_EQ(arrows.position(), 4);
    arrows.stepUp();
    EXPECT_EQ(box.text(), QStringLiteral("5")) << "a step writes a number back";
}

TEST_F(UpDownTest, ArrowKeysInTheBoxStep)
{
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(&box, &up);
    EXPECT_EQ(box.text(), QStringLiteral("3"));
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(&box, &down);
    QApplication::sendEvent(&box, &down);
    EXPECT_EQ(box.text(), QStringLiteral("1"));
}

TEST_F(UpDownTest, LargeRangeWritesNoThousandsSeparator)
{
    arrows.setRange(0, 32000);
    arrows.setPosition(31999);
    arrows.stepUp();
    arrows.stepUp();
    EXPECT_EQ(box.text(), QStringLiteral("32000"));
}

TEST_F(UpDownTest, WithoutBuddyOnlyReportsTheClicks)
{
    UpDown spin;
    int ups = 0;
    int downs = 0;
    QObject::connect(&spin, &UpDown::upClicked, [&] { ++ups; });
    QObject::connect(&spin, &UpDown::downClicked, [&] { ++downs; });
    spin.stepUp();
    spin.stepDown();
    spin.stepDown();
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(downs, 2);
}

} // namespace
} // namespace torvel
