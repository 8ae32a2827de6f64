#include "HelpWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTest>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>

#include <gtest/gtest.h>

namespace torvel {
namespace {

constexpr int kTopics[] = {1010, 3010, 3020, 3030, 3040, 3050, 3060, 4030, 5010, 6010};

// A help folder of our own, so that the window's finding of pages is tested
// apart from the pages' wording.
class HelpFolder
{
public:
    HelpFolder()
    {
        write(HelpWindow::contentsFile(), QStringLiteral("目次"));
        write(HelpWindow::topicFile(3020), QStringLiteral("識別名"));
        write(HelpWindow::topicFile(5010), QStringLiteral("更新日時の変更"));
    }
    QString path() const { return m_dir.path(); }
    void write(const QString& name, const QString& title)
    {
        QFile f(m_dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("<html><head><title>%1</title></head><body><h1>%1</h1>"
                               "<a href=\"%2\">次へ</a></body></html>")
                    .arg(title, HelpWindow::topicFile(5010))
                    .toUtf8());
    }

private:
    QTemporaryDir m_dir;
};

QString shownFile(const HelpWindow& w)
{
    return QFileInfo(w.browser()->source().toLocalFile()).fileName();
}

TEST(HelpWindow, ShowsATopicByNumberAndTheContents)
{
    HelpFolder folder;
    HelpWindow w;
    w.setHelpFolder(folder.path());
    EXPECT_TRUE(w.showTopic(3020));
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(shownFile(w), QStringLiteral("topic3020.html"));
    EXPECT_EQ(w.browser()->documentTitle(), QStringLiteral("識別名"));
    EXPECT_TRUE(w.windowTitle().endsWith(QStringLiteral("識別名")));

    EXPECT_TRUE(w.showContents());
    EXPECT_EQ(shownFile(w), QStringLiteral("index.html"));
}

TEST(HelpWindow, AnUnknownTopicShowsTheContentsAndSaysSo)
{
    HelpFolder folder;
    HelpWindow w;
    w.setHelpFolder(folder.path());
    EXPECT_FALSE(w.showTopic(4030)); // no page in this folder
    EXPECT_EQ(shownFile(w), QStringLiteral("index.html"));
    EXPECT_FALSE(w.showTopic(0));
    EXPECT_FALSE(w.showTopic(-1010));
    EXPECT_EQ(shownFile(w), QStringLiteral("index.html"));
}

TEST(HelpWindow, AMissingHelpFolderIsSaidInTheWindow)
{
    HelpWindow w;
    w.setHelpFolder(QStringLiteral("/nonexistent/help"));
    EXPECT_FALSE(w.showContents());
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(
        w.browser()->toPlainText().contains(QStringLiteral("/nonexistent/help/index.html")));
}

TEST(HelpWindow, LinksAndHistoryMoveBetweenPages)
{
    HelpFolder folder;
    HelpWindow w;
    w.setHelpFolder(folder.path());
    w.showContents();
    w.browser()->setSource(
        w.browser()->source().resolved(QUrl(HelpWindow::topicFile(5010)))); // a link's way
    EXPECT_EQ(shownFile(w), QStringLiteral("topic5010.html"));
    ASSERT_TRUE(w.browser()->isBackwardAvailable());
    w.browser()->backward();
    EXPECT_EQ(shownFile(w), QStringLiteral("index.html"));
}

TEST(HelpWindow, QuitClosesTheWindow)
{
    HelpFolder folder;
    HelpWindow w;
    w.setHelpFolder(folder.path());
    w.showTopic(5010);
    w.quit();
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.browser()->isBackwardAvailable());
    EXPECT_TRUE(w.showTopic(3020)); // and it can be opened again
}

// The tool bar's marked letters and Escape, pressed in turn as a person
// would, each with the page it leads to ("" when the window closes).
TEST(HelpWindow, WorksFromTheKeyboard)
{
    HelpFolder folder;
    HelpWindow w;
    w.setHelpFolder(folder.path());
    w.showTopic(3020);
    QApplication::setActiveWindow(&w);
    const struct
    {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QString shown;
    } steps[] = {
        {"contents", Qt::Key_C, Qt::AltModifier, QStringLiteral("index.html")},
        {"back", Qt::Key_B, Qt::AltModifier, QStringLiteral("topic3020.html")},
        {"forward", Qt::Key_N, Qt::AltModifier, QStringLiteral("index.html")},
        {"close", Qt::Key_X, Qt::AltModifier, QString()},
        {"escape", Qt::Key_Escape, Qt::NoModifier, QString()},
    };
    for (const auto& step : steps) {
        if (!w.isVisible()) {
            w.showContents();
            QApplication::setActiveWindow(&w);
        }
        QKeyEvent press(QEvent::KeyPress, step.key, step.modifiers);
        QApplication::sendEvent(w.browser(), &press);
        // A marked letter presses its button as a click does, a moment later.
        const auto done = [&] {
            return step.shown.isEmpty() ? !w.isVisible() : shownFile(w) == step.shown;
        };
        QElapsedTimer waited;
        waited.start();
        while (!done() && !waited.hasExpired(1000)) {
            QTest::qWait(10);
        }
        EXPECT_TRUE(done()) << step.name << ": " << shownFile(w).toStdString();
    }
}

TEST(HelpWindow, AControlTakesTheTopicOfItsNearestParent)
{
    QWidget window;
    auto* page = new QWidget(&window);
    auto* box = new QWidget(page);
    auto* inner = new QWidget(box);
    page->setProperty(HelpWindow::kHelpContextProperty, 3010);
    box->setProperty(HelpWindow::kHelpContextProperty, 3020);
    EXPECT_EQ(HelpWindow::helpContextOf(inner), 3020);
    EXPECT_EQ(HelpWindow::helpContextOf(page), 3010);
    EXPECT_EQ(HelpWindow::helpContextOf(&window), 0);
    EXPECT_EQ(HelpWindow::helpContextOf(nullptr), 0);
}

// The pages the program ships, found where the window looks by default: one
// for every topic number a control carries, each with a title, and every link
// among them leading to a page that exists.
TEST(HelpPages, EveryTopicHasAPageAndEveryLinkLeadsSomewhere)
{
    HelpWindow w;
    const QDir dir(w.helpFolder());
    ASSERT_TRUE(dir.exists(HelpWindow::contentsFile())) << dir.path().toStdString();
    EXPECT_TRUE(w.showContents());
    EXPECT_EQ(w.windowTitle().toStdString(), "トルベリオ ヘルプ")
        << "the contents page's title is the window's";
    for (int topic : kTopics) {
        EXPECT_TRUE(w.showTopic(topic)) << topic;
        EXPECT_FALSE(w.browser()->documentTitle().isEmpty()) << topic;
    }
    const QStringList pages = dir.entryList({QStringLiteral("*.html")});
    for (const QString& page : pages) {
        QFile f(dir.filePath(page));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(f.readAll());
        QTextDocument doc;
        doc.setHtml(html);
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QString target = it.fragment().charFormat().anchorHref();
                if (!target.isEmpty()) {
                    EXPECT_TRUE(dir.exists(target))
                        << page.toStdString() << " -> " << target.toStdString();
                }
            }
        }
        EXPECT_TRUE(html.contains(QStringLiteral("href=\"index.html\""))
                    || page == HelpWindow::contentsFile())
            << page.toStdString() << " has no way back to the contents";
    }
}

TEST(HelpPages, Picture)
{
    HelpWindow w;
    w.showTopic(3010);
    const QPixmap picture = w.grab();
    EXPECT_FALSE(picture.isNull());
    if (const QByteArray dir = qgetenv("TORVEL_GRAB_DIR"); !dir.isEmpty()) {
        picture.save(QString::fromLocal8Bit(dir) + QStringLiteral("/help-3010.png"));
        w.showContents();
        w.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/help-contents.png"));
    }
}

} // namespace
} // namespace torvel
