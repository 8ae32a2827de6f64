#include "FolderNamespace.h"
#include "ItemIdList.h"
#include "UFolderTree.h"
#include "platform/FolderTestTree.h"
#include "common/SampleNames.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>

#include <gtest/gtest.h>

#include <memory>

namespace torvel {
namespace {

using test::FolderTestTree;
using test::ScopedEnv;

// A tree whose home and desktop are in a temporary folder tree.
struct FolderTreeTest : ::testing::Test
{
    FolderTestTree files;
    std::string home = files.folder("home/user");
    std::string desktop = files.folder("home/user/Desktop");
    ScopedEnv homeEnv{"HOME", files.path("home/user")};
    ScopedEnv configEnv{"XDG_CONFIG_HOME", files.folder("config")};
    std::unique_ptr<TFoldertreeEX> tree;
    std::vector<QTreeWidgetItem*> changes;

    void build()
    {
        tree = std::make_unique<TFoldertreeEX>();
        QObject::connect(tree.get(), &TFoldertreeEX::OnChange,
                         [this](QTreeWidgetItem* node) { changes.push_back(node); });
    }
    QTreeWidgetItem* root() const { return tree->topLevelItem(0); }
    QTreeWidgetItem* homeNode() const { return root()->child(0); }
    static QStringList texts(const QTreeWidgetItem* node)
    {
        QStringList list;
        for (int i = 0; i < node->childCount(); ++i)
            list << node->child(i)->text(0);
        return list;
    }
    static QTreeWidgetItem* childNamed(QTreeWidgetItem* node, const QString& text)
    {
        for (int i = 0; i < node->childCount(); ++i)
            if (node->child(i)->text(0) == text)
                return node->child(i);
        return nullptr;
    }
};

TEST_F(FolderTreeTest, StartsWithTheDesktopSelectedAndItsPlacesUnfilled)
{
    files.folder("home/user/docs");
    build();
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(root()->text(0), QStringLiteral("デスクトップ"));
    EXPECT_TRUE(root()->isExpanded());
    EXPECT_EQ(tree->currentItem(), root());
    EXPECT_EQ(tree->SelectedPath(), desktop);
    ASSERT_GE(root()->childCount(), 2);
    EXPECT_EQ(texts(root()).mid(0, 2),
              (QStringList{QStringLiteral("ホーム"), QStringLiteral("/")}));
    EXPECT_EQ(homeNode()->childCount(), 0);
    EXPECT_EQ(homeNode()->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    EXPECT_FALSE(tree->Filling());
    EXPECT_TRUE(tree->AbsoluteID(root()).hasNoItems());
    EXPECT_FALSE(tree->AbsoluteID(root()).isNull());
}

TEST_F(FolderTreeTest, ExpandingListsSubfoldersHiddenAndShiftJisIncluded)
{
    files.folder("home/user/docs/2024");
    files.folder("home/user/.config-like");
    files.folder("home/user/" + sjisShown);
    files.file("home/user/readme.txt");
    build();
    homeNode()->setExpanded(true);
    EXPECT_EQ(texts(homeNode()),
              (QStringList{".config-like", "Desktop", "docs", QStringLiteral("表示")}));

    QTreeWidgetItem* docs = childNamed(homeNode(), "docs");
    ASSERT_TRUE(docs);
    EXPECT_EQ(docs->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    EXPECT_EQ(docs->childCount(), 0); // not listed until it is expanded
    EXPECT_EQ(childNamed(homeNode(), "Desktop")->childIndicatorPolicy(),
              QTreeWidgetItem::DontShowIndicatorWhenChildless);

    tree->setCurrentItem(childNamed(homeNode(), QStringLiteral("表示")));
    EXPECT_EQ(tree->SelectedPath(), home + sjisShown + "/");
}

TEST_F(FolderTreeTest, AFolderWhoseSubfoldersWentAwayLosesItsExpandButton)
{
    files.folder("home/user/a/b");
    build();
    homeNode()->setExpanded(true);
    QTreeWidgetItem* a = childNamed(homeNode(), "a");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    ::rmdir(files.path("home/user/a/b").c_str());
    a->setExpanded(true);
    EXPECT_EQ(a->childCount(), 0);
    EXPECT_EQ(a->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

TEST_F(FolderTreeTest, AFolderThatCannotBeListedIsTriedAgainOnTheNextExpansion)
{
    files.folder("home/user/a/b");
    build();
    homeNode()->setExpanded(true);
    QTreeWidgetItem* a = childNamed(homeNode(), "a");
    ASSERT_TRUE(a);
    ::rename(files.path("home/user/a").c_str(), files.path("home/user/aside").c_str());
    a->setExpanded(true);
    EXPECT_EQ(a->childCount(), 0);
    EXPECT_FALSE(a->isExpanded());
    EXPECT_EQ(a->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);

    ::rename(files.path("home/user/aside").c_str(), files.path("home/user/a").c_str());
    a->setExpanded(true);
    EXPECT_EQ(texts(a), QStringList{"b"});
}

// Closing a folder and opening it again reads it again: folders made since
// appear in their place, removed ones go, and the nodes that stay keep what
// was open below them and the selection, without a word to the window.
TEST_F(FolderTreeTest, OpeningAFolderAgainShowsWhatWasMadeAndRemovedSince)
{
    const std::string deep = files.folder("home/user/a/m/deep");
    files.folder("home/user/a/gone");
    files.folder("home/user/a/z");
    build();
    tree->SelectPath(deep);
    QTreeWidgetItem* a = childNamed(homeNode(), "a");
    ASSERT_TRUE(a);
    QTreeWidgetItem* m = childNamed(a, "m");
    QTreeWidgetItem* z = childNamed(a, "z");
    ASSERT_TRUE(m && z);
    EXPECT_EQ(z->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);
    files.folder("home/user/a/b");
    files.folder("home/user/a/n");
    files.folder("home/user/a/z/inner");
    ::rmdir(files.path("home/user/a/gone").c_str());
    changes.clear();

    a->setExpanded(false);
    a->setExpanded(true);
    EXPECT_EQ(texts(a), (QStringList{"b", "m", "n", "z"}));
    EXPECT_EQ(childNamed(a, "m"), m) << "a folder still there keeps its node";
    EXPECT_TRUE(m->isExpanded());
    EXPECT_EQ(tree->SelectedPath(), deep);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(z->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator)
        << "a folder that gained a subfolder can be opened";
    z->setExpanded(true);
    EXPECT_EQ(texts(z), QStringList{"inner"});

    // The selected folder removed: its parent, read again, takes its place.
    ::rmdir(deep.c_str());
    m->setExpanded(false);
    m->setExpanded(true);
    EXPECT_EQ(m->childCount(), 0);
    EXPECT_EQ(tree->currentItem(), m);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], m);
    EXPECT_EQ(tree->CurrentNode(), m);
}

TEST_F(FolderTreeTest, SelectPathExpandsEveryAncestorAndReportsTheNode)
{
    files.folder("home/user/one/two/" + sjisShown + "/four");
    build();
    changes.clear();
    const std::string deep = home + "one/two/" + sjisShown + "/four/";
    tree->SelectPath(deep);
    QTreeWidgetItem* node = tree->currentItem();
    ASSERT_TRUE(node);
    EXPECT_EQ(node->text(0), "four");
    EXPECT_EQ(TFoldertreeEX::level(node), 5);
    for (QTreeWidgetItem* up = node->parent(); up; up = up->parent())
        EXPECT_TRUE(up->isExpanded()) << up->text(0).toStdString();
    EXPECT_EQ(node->parent()->text(0), QStringLiteral("表示"));
    EXPECT_EQ(node->parent()->parent()->parent()->parent(), homeNode()); // found under home
    EXPECT_EQ(tree->SelectedPath(), deep);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], node);
    EXPECT_EQ(tree->CurrentNode(), node);

    FolderNamespace names;
    EXPECT_EQ(tree->AbsoluteID(node), names.parsePath(deep));

    // The same path in another spelling selects the same node, without news.
    tree->SelectPath(home + "one//two/./" + sjisShown + "/four");
    EXPECT_EQ(tree->currentItem(), node);
    EXPECT_EQ(changes.size(), 1u);
}

TEST_F(FolderTreeTest, SelectPathOutsideHomeGoesThroughTheRoot)
{
    const std::string outside = files.folder("elsewhere/x");
    build();
    tree->SelectPath(outside);
    ASSERT_TRUE(tree->currentItem());
    EXPECT_EQ(tree->SelectedPath(), outside);
    QTreeWidgetItem* top = tree->currentItem();
    while (TFoldertreeEX::level(top) > 1)
        top = top->parent();
    EXPECT_EQ(top->text(0), "/");
}

// A deep folder is scrolled to just far enough for its name to end in view;
// one whose name is longer than the tree is wide, no further than its left.
// (A folder that fits is not scrolled at all: the window's tests see to it.)
TEST_F(FolderTreeTest, ScrollsSidewaysOnlyAsFarAsTheSelectedFolderNeeds)
{
    const std::string deep = "home/user/a/b/c/d/e/f/g/h/";
    const std::string longName(80, 'n');
    files.folder(deep + "end");
    files.folder(deep + longName);
    build();
    tree->header()->setStretchLastSection(false);
    tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tree->resize(220, 300);
    tree->show();
    const auto scrollTo = [this](const std::string& folder) {
        tree->SelectPath(files.path(folder) + "/");
        tree->resizeColumnToContents(0);
        tree->scrollSidewaysTo(tree->currentItem());
        return tree->visualItemRect(tree->currentItem()).left();
    };

    const int left = scrollTo(deep + "end");
    const int nameEnd = left + tree->style()->pixelMetric(QStyle::PM_SmallIconSize)
                        + tree->fontMetrics().horizontalAdvance(QStringLiteral("end"));
    const int room = tree->viewport()->width();
    EXPECT_GT(tree->horizontalScrollBar()->value(), 0);
    EXPECT_LE(nameEnd, room) << "the name ends in view";
    EXPECT_GT(nameEnd, room - 3 * tree->fontMetrics().horizontalAdvance(QLatin1Char('x')))
        << "and no further";

    EXPECT_EQ(scrollTo(deep + longName), 0) << "the long name starts at the left edge";
}

TEST_F(FolderTreeTest, SelectPathOfSomethingThatIsNoFolderChangesNothing)
{
    files.folder("home/user/a");
    files.file("home/user/a/file");
    build();
    tree->SelectPath(home + "a");
    QTreeWidgetItem* a = tree->currentItem();
    changes.clear();
    for (const std::string& path :
         {home + "missing", home + "a/file", std::string("relative/a"), std::string()}) {
        tree->SelectPath(path);
        EXPECT_EQ(tree->currentItem(), a) << path;
    }
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(homeNode()->childCount(), 2);
}

TEST_F(FolderTreeTest, AFolderNewerThanItsListingClearsTheSelectionUntilReload)
{
    build();
    tree->SelectPath(desktop);
    ASSERT_TRUE(tree->currentItem());
    const std::string made = files.folder("home/user/made later");
    changes.clear();
    tree->SelectPath(made);
    EXPECT_EQ(tree->currentItem(), nullptr);
    EXPECT_EQ(tree->SelectedPath(), "");
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], nullptr);

    tree->Reload();
    tree->SelectPath(made);
    ASSERT_TRUE(tree->currentItem());
    EXPECT_EQ(tree->currentItem()->text(0), "made later");
    EXPECT_EQ(tree->SelectedPath(), made);
}

TEST_F(FolderTreeTest, ReloadKeepsTheSelectedFolderAndShowsNewOnes)
{
    const std::string kept = files.folder("home/user/a/kept");
    build();
    tree->SelectPath(kept);
    files.folder("home/user/a/new");
    changes.clear();
    tree->Reload();
    EXPECT_EQ(tree->SelectedPath(), kept);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], tree->currentItem());
    EXPECT_EQ(tree->CurrentNode(), tree->currentItem());
    ASSERT_TRUE(tree->currentItem() && tree->currentItem()->parent());
    EXPECT_EQ(texts(tree->currentItem()->parent()), (QStringList{"kept", "new"}));
}

TEST_F(FolderTreeTest, ReloadAfterTheSelectedFolderWentAwaySelectsWhatIsLeftAbove)
{
    const std::string gone = files.folder("home/user/a/b/gone");
    build();
    tree->SelectPath(gone);
    ::rmdir(gone.c_str());
    ::rmdir(files.path("home/user/a/b").c_str());
    tree->Reload();
    EXPECT_EQ(tree->SelectedPath(), home + "a/");

    tree->setCurrentItem(root());
    tree->Reload();
    EXPECT_EQ(tree->currentItem(), root());
    EXPECT_EQ(tree->SelectedPath(), desktop);
}

TEST_F(FolderTreeTest, TheDesktopFolderIsHomeWhenThereIsNone)
{
    ::rmdir(desktop.c_str());
    build();
    EXPECT_EQ(tree->SelectedPath(), home);
}

struct FolderTreeEditTest : FolderTreeTest
{
    QLineEdit* startEditing(QTreeWidgetItem* node)
    {
        tree->setCurrentItem(node);
        tree->editItem(node);
        return tree->viewport()->findChild<QLineEdit*>();
    }
    static void type(QLineEdit* editor, const QString& text)
    {
        editor->selectAll();
        QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QApplication::sendEvent(editor, &del);
        for (const QChar c : text) {
            QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(editor, &key);
        }
    }
    static void press(QWidget* editor, Qt::Key key)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(editor, &event);
        QApplication::processEvents();
    }
    QTreeWidgetItem* homeChild(const std::string& name)
    {
        tree->SelectPath(home + name);
        return tree->currentItem();
    }
};

TEST_F(FolderTreeEditTest, RenamingInPlaceRenamesTheFolder)
{
    files.folder("home/user/old/inside");
    build();
    tree->show();
    QTreeWidgetItem* node = homeChild("old");
    ASSERT_TRUE(node);
    int editEnds = 0;
    QObject::connect(tree.get(), &TFoldertreeEX::OnEditEnd, [&] { ++editEnds; });
    QLineEdit* editor = startEditing(node);
    ASSERT_TRUE(editor);
    type(editor, QStringLiteral("新しい名前"));
    changes.clear();
    press(editor, Qt::Key_Return);
    EXPECT_TRUE(files.isFolder("home/user/新しい名前/inside"));
    EXPECT_FALSE(files.exists("home/user/old"));
    EXPECT_EQ(node->text(0), QStringLiteral("新しい名前"));
    EXPECT_EQ(tree->SelectedPath(), home + "新しい名前/");
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], node);
    EXPECT_EQ(editEnds, 0);

    // Its subfolders are still found below the new name.
    tree->SelectPath(home + "新しい名前/inside");
    EXPECT_EQ(tree->SelectedPath(), home + "新しい名前/inside/");
}

TEST_F(FolderTreeEditTest, RenamingOntoAnExistingNameIsRefusedAndTheNameShownAgain)
{
    files.folder("home/user/a");
    files.folder("home/user/b/keep");
    build();
    tree->show();
    QTreeWidgetItem* node = homeChild("a");
    QLineEdit* editor = startEditing(node);
    ASSERT_TRUE(editor);
    type(editor, "b");
    changes.clear();
    press(editor, Qt::Key_Return);
    EXPECT_TRUE(files.isFolder("home/user/a"));
    EXPECT_TRUE(files.isFolder("home/user/b/keep"));
    EXPECT_EQ(node->text(0), "a");
    EXPECT_EQ(tree->SelectedPath(), home + "a/");
    EXPECT_EQ(changes.size(), 1u); // the host re-reads the path even so
}

TEST_F(FolderTreeEditTest, CancellingAnEditRenamesNothingAndSaysSo)
{
    files.folder("home/user/a");
    build();
    tree->show();
    QTreeWidgetItem* node = homeChild("a");
    int editEnds = 0;
    QObject::connect(tree.get(), &TFoldertreeEX::OnEditEnd, [&] { ++editEnds; });
    QLineEdit* editor = startEditing(node);
    ASSERT_TRUE(editor);
    type(editor, "zzz");
    press(editor, Qt::Key_Escape);
    EXPECT_EQ(editEnds, 1);
    EXPECT_TRUE(files.isFolder("home/user/a"));
    EXPECT_FALSE(files.exists("home/user/zzz"));
    EXPECT_EQ(node->text(0), "a");
}

TEST_F(FolderTreeEditTest, TheDesktopAndAReadOnlyTreeCannotBeEdited)
{
    files.folder("home/user/a");
    build();
    tree->show();
    EXPECT_FALSE(startEditing(root()));
    tree->setReadOnly(true);
    EXPECT_FALSE(startEditing(homeChild("a")));
    tree->setReadOnly(false);
    EXPECT_TRUE(startEditing(homeChild("a")));
}

struct FolderTreePopupTest : FolderTreeTest
{
    void rightClick(QTreeWidgetItem* node)
    {
        const QPoint at = tree->visualItemRect(node).center();
        const QPointF global = tree->viewport()->mapToGlobal(QPointF(at));
        QMouseEvent down(QEvent::MouseButtonPress, QPointF(at), global, Qt::RightButton,
                         Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &down);
        QMouseEvent up(QEvent::MouseButtonRelease, QPointF(at), global, Qt::RightButton,
                       Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(tree->viewport(), &up);
    }
};

TEST_F(FolderTreePopupTest, ARightClickSelectsTheNodeAndShowsThePopupExceptOnTheDesktop)
{
    build();
    tree->setRightClickSelect(true);
    QMenu menu;
    menu.addAction(QStringLiteral("ファイルを開く"));
    tree->setPopup(&menu);
    tree->show();

    rightClick(root());
    EXPECT_FALSE(menu.isVisible());

    rightClick(homeNode());
    EXPECT_EQ(tree->currentItem(), homeNode());
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(tree->SelectedPath(), home);
    menu.hide();

    tree->setPopup(nullptr);
    rightClick(homeNode()->parent()->child(1));
    EXPECT_FALSE(menu.isVisible());
}

TEST_F(FolderTreePopupTest, WithoutRightClickSelectTheSelectionStays)
{
    build();
    QMenu menu;
    tree->setPopup(&menu);
    tree->setRightClickSelect(false);
    tree->show();
    tree->setCurrentItem(homeNode());
    rightClick(root()->child(1));
    EXPECT_EQ(tree->currentItem(), homeNode());
    EXPECT_TRUE(menu.isVisible()); // for the selected node
    menu.hide();
}

} // namespace
} // namespace torvel
