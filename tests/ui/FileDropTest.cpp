// The drop component's reading of text/uri-list, the file URI the file
// manager is given, and the component's life beside the control it serves.
#include <QByteArray>
#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QSysInfo>
#include <QTableView>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FileDrop.h"

namespace torvel {
namespace {

using Paths = std::vector<std::string>;

TEST(UriList, EachLocalFileUriGivesItsPathAsBytes)
{
    const QByteArray hostUri =
        "file://" + QSysInfo::machineHostName().toUtf8() + "/on/this/host\r\n";
    const QByteArray list = "# a comment line\r\n"
                            "file:///tmp/%8E%CA%90%5E.jpg\r\n"
                            "file://localhost/tmp/a%20b.txt\r\n"
                            "FILE:/tmp/no-authority\n"
                            "file://otherhost/tmp/remote.txt\r\n"
                            "http://example.com/a.txt\r\n"
                            "file:///tmp/bad%00name\r\n"
                            "file:///tmp/query?x=1#part\r\n"
                            "file:///tmp/100%25%2x\r\n"
                            "\r\n"
                            + hostUri;
    EXPECT_EQ(filePathsFromUriList(list),
              (Paths{"/tmp/\x8e\xca\x90\x5e.jpg", "/tmp/a b.txt", "/tmp/no-authority", "/tmp/query",
                     "/tmp/100%%2x", "/on/this/host"}));
    EXPECT_TRUE(filePathsFromUriList("").empty());
    EXPECT_EQ(filePathsFromUriList("file:///last/line/without/end"),
              (Paths{"/last/line/without/end"}));
}

TEST(UriList, EveryByteSurvivesTheFileUriOfAPath)
{
    std::string path = "/";
    for (int byte = 1; byte < 256; ++byte) {
        path += static_cast<char>(byte);
    }
    const QByteArray uri = fileUriOf(path);
    EXPECT_TRUE(uri.startsWith("file:///"));
    for (const char c : uri.mid(7)) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_TRUE(byte > 0x20 && byte < 0x7f && c != '#' && c != '?') << int(byte);
    }
    EXPECT_EQ(filePathsFromUriList(uri), (Paths{path}));
}

// Sends one drop of `list` to `target`; true when it was taken.
bool dropOn(QWidget* target, const QByteArray& list)
{
    QMimeData mime;
    mime.setData(QStringLiteral("text/uri-list"), list);
    QDragEnterEvent enter(QPoint(5, 7), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(5, 7), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

TEST(FileDrop, OneEventPerDropWithThePathsAndThePoint)
{
    QTableView grid;
    grid.show();
    TFileDrop drop(&grid);
    drop.setControl(&grid);
    EXPECT_TRUE(grid.viewport()->acceptDrops());
    std::vector<Paths> seen;
    QPoint at;
    QObject::connect(&drop, &TFileDrop::OnFileDrop,
                     [&](QObject* sender, int num, const Paths& files, int x, int y) {
                         EXPECT_EQ(sender, &drop);
                         EXPECT_EQ(num, static_cast<int>(files.size()));
                         seen.push_back(files);
                         at = QPoint(x, y);
                     });
    EXPECT_TRUE(dropOn(grid.viewport(), "file:///a/b.txt\r\nfile:///a/c.txt\r\n"));
    ASSERT_EQ(seen.size(), 1U);
    EXPECT_EQ(seen.front(), (Paths{"/a/b.txt", "/a/c.txt"}));
    EXPECT_EQ(at, QPoint(5, 7));

    drop.setAccept(false);
    EXPECT_FALSE(grid.viewport()->acceptDrops());
    EXPECT_FALSE(dropOn(grid.viewport(), "file:///a/d.txt\r\n"));
    EXPECT_EQ(seen.size(), 1U);
}

TEST(FileDrop, AControlThatGoesAwayTakesTheComponentOffIt)
{
    auto grid = std::make_unique<QTableView>();
    TFileDrop drop(nullptr);
    drop.setControl(grid.get());
    grid.reset();
    EXPECT_EQ(drop.Control(), nullptr);
    EXPECT_FALSE(drop.Accept());

    // Without a control, the component serves the window that owns it; a
    // component owned by no window has nothing to serve.
    QWidget window;
    TFileDrop own(&window);
    own.Loaded();
    EXPECT_TRUE(window.acceptDrops());
    EXPECT_THROW(drop.Loaded(), std::logic_error);
}

} // namespace
} // namespace torvel
