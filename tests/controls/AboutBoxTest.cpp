#include "AboutBox.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace torvel {
namespace {

QLabel* label(const QWidget& box, const char* name)
{
    return box.findChild<QLabel*>(QString::fromLatin1(name));
}

TEST(TForm2, ShowsTheProductTheDescriptionAndTheCredit)
{
    TForm2 box;
    EXPECT_EQ(box.objectName(), QStringLiteral("Form2"));
    EXPECT_EQ(box.windowTitle(), QStringLiteral("トルベリオ  バージョン情報"));
    EXPECT_EQ(box.size(), QSize(418, 208));
    EXPECT_FALSE(box.windowIcon().isNull());
    EXPECT_EQ(label(box, "Label1")->text(), QStringLiteral("ファイル管理ユーティリティ"));
    EXPECT_EQ(label(box, "Label2")->text(), QStringLiteral("ト ル ベ リ オ"));
    EXPECT_EQ(label(box, "Label3")->text(), QStringLiteral("バージョン  ："));
    EXPECT_EQ(label(box, "Label5")->text(), QStringLiteral("制作者"));
    const QString credit = label(box, "Label6")->text() + label(box, "Label8")->text();
    EXPECT_TRUE(credit.contains(QStringLiteral("TORVEL")));
    EXPECT_FALSE(credit.contains(QLatin1Char('@'))) << "no e-mail address";

    const QFont name = label(box, "Label2")->font();
    EXPECT_EQ(name.pixelSize(), 27);
    EXPECT_TRUE(name.bold());
    EXPECT_FALSE(label(box, "Image1")->pixmap().isNull());

    auto* panel2 = box.findChild<QFrame*>(QStringLiteral("Panel2"));
    auto* panel1 = box.findChild<QFrame*>(QStringLiteral("Panel1"));
    ASSERT_NE(panel2, nullptr);
    ASSERT_NE(panel1, nullptr);
    EXPECT_EQ(panel2->geometry(), QRect(-1, 0, 417, 205));
    EXPECT_EQ(panel1->parentWidget(), panel2);
    EXPECT_EQ(label(box, "Label4")->parentWidget(), panel1);
    auto* button = box.findChild<QPushButton*>(QStringLiteral("Button1"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QStringLiteral("閉じる"));
    EXPECT_EQ(button->geometry(), QRect(154, 160, 94, 31));
}

// Every text must be seen whole: nothing may run past the panel that holds it.
TEST(TForm2, EveryTextFitsItsPanel)
{
    TForm2 box;
    for (QLabel* l : box.findChildren<QLabel*>()) {
        const QRect inParent = l->geometry();
        const QRect room = l->parentWidget()->contentsRect();
        EXPECT_TRUE(room.contains(inParent)) << l->objectName().toStdString();
        const int needed = l->fontMetrics().horizontalAdvance(l->text());
        EXPECT_LE(needed, l->width()) << l->objectName().toStdString();
    }
}

TEST(TForm2, TheCloseButtonEndsTheBoxWithOk)
{
    TForm2 box;
    box.open();
    ASSERT_TRUE(box.isVisible());
    box.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);
}

TEST(TForm2, OpensBesideTheMainWindowSizedToItsPanel)
{
    QWidget mainWindow;
    mainWindow.setGeometry(200, 150, 600, 480);
    mainWindow.show();
    QPoint shownAt;
    QSize shownSize;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<TForm2*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        modal = box->isModal();
        shownAt = box->pos();
        shownSize = box->size();
        box->findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    });
    TForm2::About1Click(&mainWindow);
    EXPECT_TRUE(modal);
    EXPECT_EQ(shownAt, mainWindow.pos() + QPoint(100, 110));
    EXPECT_EQ(shownSize, QSize(416, 205)); // the client area is exactly the panel
    EXPECT_EQ(mainWindow.findChild<TForm2*>(), nullptr) << "released after closing";
}

TEST(TForm2, Picture)
{
    TForm2 box;
    const QPixmap picture = box.grab();
    EXPECT_EQ(picture.size(), box.size());
    if (const QByteArray dir = qgetenv("TORVEL_GRAB_DIR"); !dir.isEmpty())
        picture.save(QString::fromLocal8Bit(dir) + QStringLiteral("/aboutbox.png"));
}

} // namespace
} // namespace torvel
