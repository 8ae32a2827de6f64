// The main window's folders offscreen: the destination chosen in the tree or
// typed, the shortened folder fields, and the save method that follows them.
#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QRadioButton>
#include <QHeaderView>
#include <QScrollBar>

#include <cstdlib>
#include <sys/stat.h>
#include <optional>
#include <string>
#include <vector>

#include "CuteBtn.h"
#include "FolderIdentity.h"
#include "MainFormFixture.h"
#include "StatusLine.h"
#include "UFolderTree.h"
#include "common/ScratchDir.h"
#include "platform/FolderTestTree.h"
#include "common/SampleNames.h"
#include "Screenshot.h"

namespace torvel {
namespace {

using testing::child;

// "テスト" in Shift-JIS, which is not UTF-8.

// What a message box asked, and how the test answered it.
struct AskedBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

class FolderForm : public testing::TestForm
{
public:
    using TestForm::TestForm;
    std::vector<AskedBox> asked;
    int answer = QMessageBox::Yes;

protected:
    int messageBox(QMessageBox& box) override
    {
        AskedBox seen{box.windowTitle(), box.text(), box.icon(), {}};
        for (QAbstractButton* button : box.buttons()) {
            seen.buttons << button->text();
        }
        asked.push_back(seen);
        return answer;
    }
};

QString text(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

class FolderPanel : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir.makeFolder("src");
        dir.makeFolder("dst");
        dir.makeFolder("other");
    }

    void open(int files = 0)
    {
        SettingsRecord settings = testing::tmpSettings();
        settings.searchDir = dir / "src/";
        settings.changeDir = dir / "src/";
        form.emplace(settings);
        form->files = files;
        form->show();
        testing::settle();
    }

    TFoldertreeEX* tree() { return child<TFoldertreeEX>(*form, "DirTree"); }
    QLineEdit* edit5() { return child<QLineEdit>(*form, "Edit5"); }
    TCuteButton* button3() { return child<TCuteButton>(*form, "CuteButton3"); }
    QRadioButton* radio(int method)
    {
        const char* names[3] = {"RadioButton1", "RadioButton2", "RadioButton3"};
        return child<QRadioButton>(*form, names[method]);
    }

    // Clicks the node named `name` below the folder `parent`, as a person
    // would, after the tree has opened the way to it.
    void clickInTree(const std::string& parent, const std::string& name,
                     Qt::MouseButton button = Qt::LeftButton)
    {
        tree()->SelectPath(parent);
        QTreeWidgetItem* above = tree()->currentItem();
        ASSERT_NE(above, nullptr) << parent;
        above->setExpanded(true);
        QTreeWidgetItem* node = nullptr;
        for (int i = 0; i < above->childCount(); ++i) {
            if (above->child(i)->text(0) == text(name)) {
                node = above->child(i);
            }
        }
        ASSERT_NE(node, nullptr) << name;
        tree()->scrollToItem(node);
        const QRect rect = tree()->visualItemRect(node);
        ASSERT_FALSE(rect.isEmpty());
        const QPoint at(qMax(rect.left(), 0) + 8, rect.center().y());
        ASSERT_TRUE(tree()->viewport()->rect().contains(at));
        QMouseEvent press(QEvent::MouseButtonPress, at, tree()->viewport()->mapToGlobal(at), button,
                          button, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, tree()->viewport()->mapToGlobal(at),
                            button, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(tree()->viewport(), &press);
        QApplication::sendEvent(tree()->viewport(), &release);
    }

    enum class Confirm
    {
        SetButton,
        EnterKey
    };

    // Focuses the destination field, types `typed` over its text and
    // presses "設定" (or Enter).
    void typeDestination(const QString& typed, Confirm confirm = Confirm::SetButton)
    {
        QApplication::setActiveWindow(&*form);
        edit5()->setFocus(Qt::MouseFocusReason);
        edit5()->selectAll();
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, typed);
        QApplication::sendEvent(edit5(), &key);
        if (confirm == Confirm::SetButton) {
            button3()->click();
        } else {
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(edit5(), &enter);
        }
    }

    // With files listed: rename exactly when the two are one folder, move
    // and copy usable exactly when one of them is chosen.
    void expectInvariants(const char* row)
    {
        const bool same = sameFolder(form->sourceFolder(), form->destinationFolder());
        const bool renaming = form->saveMethod() == SaveMode::Rename;
        EXPECT_EQ(renaming, same) << row;
        EXPECT_EQ(radio(1)->isEnabled(), !renaming) << row;
        EXPECT_EQ(radio(2)->isEnabled(), !renaming) << row;
        for (int method = 0; method < 3; ++method) {
            EXPECT_EQ(radio(method)->isChecked(),
                      form->saveMethod() == static_cast<SaveMode>(method))
                << row;
        }
    }

    ScratchDir dir;
    std::optional<FolderForm> form;
};

TEST_F(FolderPanel, ChoosingAFolderInTheTreeMakesItTheDestination)
{
    open();
    const SaveMode method = form->saveMethod();
    clickInTree(dir.path(), "dst");
    EXPECT_EQ(form->destinationFolder(), dir / "dst/");
    EXPECT_EQ(edit5()->text(), text(dir / "dst/"));
    EXPECT_EQ(edit5()->toolTip(), text(dir / "dst/"));
    EXPECT_EQ(form->sourceFolder(), dir / "src/") << "the source stays";
    EXPECT_EQ(form->saveMethod(), method) << "no files listed: the method is left alone";
}

TEST_F(FolderPanel, AShiftJisFolderKeepsItsBytes)
{
    dir.makeFolder(sjisTest);
    open();
    clickInTree(dir.path(), "テスト");
    EXPECT_EQ(form->destinationFolder(), dir / (sjisTest + "/"));
    EXPECT_EQ(edit5()->text(), text(dir.path() + "テスト/"));
    form->SearchDirChange(dir / sjisTest);
    EXPECT_EQ(form->sourceFolder(), dir / (sjisTest + "/"));
    EXPECT_EQ(child<QLabel>(*form, "Label11")->text(), text(dir.path() + "テスト/"));

    // Each name is read on its own: a UTF-8 folder above a Shift-JIS one.
    form->SearchDirChange(dir.path() + "写真/" + sjisTest + "/");
    EXPECT_EQ(child<QLabel>(*form, "Label11")->text(), text(dir.path() + "写真/テスト/"));
}

TEST_F(FolderPanel, RightClickChoosesTheFolderBeforeItsMenuOpens)
{
    open();
    EXPECT_EQ(tree()->SelectedPath(), dir / "src/") << "the destination is selected at start";
    clickInTree(dir.path(), "dst", Qt::RightButton);
    EXPECT_EQ(form->destinationFolder(), dir / "dst/");
    QMenu* menu = tree()->Popup();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    QStringList items;
    for (const QAction* item : menu->actions()) {
        items << item->text();
    }
    EXPECT_EQ(items,
              (QStringList{QStringLiteral("ファイルを開く"), QStringLiteral("エクスプローラー")}));
    menu->close();
}

TEST_F(FolderPanel, FoldersDifferingOnlyInLetterCaseAreTwo)
{
    dir.makeFolder("Data");
    dir.makeFolder("data");
    open(3);
    form->SearchDirChange(dir / "Data/");
    clickInTree(dir.path(), "Data");
    EXPECT_EQ(form->saveMethod(), SaveMode::Rename);
    clickInTree(dir.path(), "data");
    EXPECT_EQ(form->destinationFolder(), dir / "data/");
    EXPECT_EQ(form->saveMethod(), SaveMode::Copy) << "another folder: copy";
    expectInvariants("Data / data");
}

// Every row of the save method's transitions, with files listed.
TEST_F(FolderPanel, SaveMethodFollowsTheFoldersRowByRow)
{
    open(3);
    form->RadioButtonIndex(form->saveMethod());
    expectInvariants("start: one folder");

    clickInTree(dir.path(), "dst");
    EXPECT_EQ(form->saveMethod(), SaveMode::Copy)
        << "destination elsewhere while renaming: copy, not move";
    expectInvariants("destination to another folder");

    radio(1)->click();
    EXPECT_EQ(form->saveMethod(), SaveMode::Move) << "move accepted while the folders differ";
    expectInvariants("move picked");
    radio(2)->click();
    EXPECT_EQ(form->saveMethod(), SaveMode::Copy);
    expectInvariants("copy picked");

    clickInTree(dir.path(), "other");
    EXPECT_EQ(form->saveMethod(), SaveMode::Copy) << "another folder again: copy stays";
    clickInTree(dir.path(), "src");
    EXPECT_EQ(form->saveMethod(), SaveMode::Rename) << "destination is the source: rename";
    expectInvariants("destination to the source");

    clickInTree(dir.path(), "dst");
    radio(1)->click();
    radio(0)->click();
    EXPECT_EQ(form->destinationFolder(), dir / "src/")
        << "rename picked: the destination jumps to the source";
    EXPECT_EQ(tree()->SelectedPath(), dir / "src/");
    expectInvariants("rename picked while the folders differ");

    // Files selected in the destination folder while "移動" is chosen.
    clickInTree(dir.path(), "dst");
    radio(1)->click();
    form->SearchDirChange(dir / "dst/");
    form->RadioButtonIndex(form->saveMethod());
    EXPECT_EQ(form->saveMethod(), SaveMode::Rename) << "move within one folder is refused";
    expectInvariants("files selected from the destination");

    // Files selected from a third folder keep the chosen method.
    clickInTree(dir.path(), "other");
    radio(1)->click();
    form->SearchDirChange(dir / "src/");
    form->RadioButtonIndex(form->saveMethod());
    EXPECT_EQ(form->saveMethod(), SaveMode::Move);
    expectInvariants("files selected elsewhere");

    // A run that moved the files makes the destination the source.
    form->SearchDirChange(form->destinationFolder());
    form->RadioButtonIndex(SaveMode::Rename);
    EXPECT_EQ(form->destinationFolder(), dir / "other/");
    expectInvariants("after a run");
}

TEST_F(FolderPanel, WithoutFilesEveryChoiceIsTakenAndNothingIsDisabled)
{
    open(0);
    radio(2)->click();
    EXPECT_EQ(form->saveMethod(), SaveMode::Copy) << "copy in one folder: no files, so not refused";
    EXPECT_EQ(form->destinationFolder(), dir / "src/");
    clickInTree(dir.path(), "dst");
    EXPECT_EQ(form->saveMethod(), SaveMode::Copy);
    radio(0)->click();
    EXPECT_EQ(form->saveMethod(), SaveMode::Rename);
    EXPECT_EQ(form->destinationFolder(), dir / "dst/") << "the destination stays where it is";
    EXPECT_TRUE(radio(1)->isEnabled());
    EXPECT_TRUE(radio(2)->isEnabled());

    // Files then come from the destination while copy is chosen.
    radio(2)->click();
    form->files = 2;
    form->SearchDirChange(dir / "dst/");
    form->RadioButtonIndex(form->saveMethod());
    expectInvariants("files from the destination");
}

TEST_F(FolderPanel, EditingShowsTheWholePathAndTheButtonSet)
{
    open();
    clickInTree(dir.path(), "dst");
    EXPECT_FALSE(button3()->isEnabled());
    QApplication::setActiveWindow(&*form);
    edit5()->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(button3()->isEnabled());
    EXPECT_FALSE(button3()->flat());
    EXPECT_EQ(button3()->caption(), QStringLiteral("設定"));
    EXPECT_EQ(edit5()->text(), text(dir / "dst/"));
    EXPECT_FALSE(edit5()->property("showHint").toBool()) << "no hint while editing";

    // Tab goes on to 設定 with the editing under way, and then on round the
    // window; leaving by a click shows the folder in the tree.
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(edit5(), &tab);
    EXPECT_TRUE(button3()->hasFocus());
    EXPECT_TRUE(button3()->isEnabled());
    QApplication::sendEvent(button3(), &tab);
    EXPECT_FALSE(tree()->hasFocus());
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("SpeedButton1"));
    edit5()->setFocus(Qt::TabFocusReason);
    child<QWidget>(*form, "Edit1")->setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(tree()->hasFocus()) << "leaving the field goes to the tree";
    EXPECT_FALSE(button3()->isEnabled());
    EXPECT_TRUE(button3()->flat());
    EXPECT_EQ(button3()->caption(), QStringLiteral("保存先"));
    EXPECT_TRUE(edit5()->property("showHint").toBool());
    EXPECT_EQ(form->typedFolder(), dir / "dst/") << "the text of the field is kept";
    EXPECT_EQ(form->destinationFolder(), dir / "dst/") << "leaving without 設定 changes nothing";
}

TEST_F(FolderPanel, TypedExistingFolderIsSelectedWithoutAsking)
{
    dir.makeFolder(sjisTest);
    open();
    typeDestination(text(dir.path() + "other"));
    EXPECT_EQ(form->destinationFolder(), dir / "other/");
    EXPECT_EQ(tree()->SelectedPath(), dir / "other/");
    EXPECT_TRUE(form->asked.empty());
    EXPECT_TRUE(form->typedFolder().empty());
    EXPECT_EQ(edit5()->text(), text(dir / "other/"));

    // The shown name of a Shift-JIS folder, typed back, is that folder.
    typeDestination(text(dir.path() + "テスト"));
    EXPECT_EQ(form->destinationFolder(), dir / (sjisTest + "/"));
    EXPECT_TRUE(form->asked.empty());

    // Enter confirms the field as the button does.
    typeDestination(text(dir.path() + "dst"), Confirm::EnterKey);
    EXPECT_EQ(form->destinationFolder(), dir / "dst/");
    EXPECT_EQ(tree()->SelectedPath(), dir / "dst/");
    EXPECT_FALSE(button3()->isEnabled()) << "the field is no longer being edited";
}

TEST_F(FolderPanel, TypedRelativePathIsRefusedWithAWord)
{
    open();
    typeDestination(QStringLiteral("new/sub"));
    EXPECT_EQ(form->destinationFolder(), dir / "src/");
    EXPECT_TRUE(form->asked.empty());
    EXPECT_FALSE(dir.has("new"));
    const auto* status = child<StatusLine>(*form, "StatusBar1");
    EXPECT_TRUE(status->panelText(1).startsWith(QStringLiteral("【注意】")))
        << status->panelText(1).toStdString();
}

TEST_F(FolderPanel, MissingFolderIsCreatedAfterYes)
{
    open();
    form->answer = QMessageBox::Yes;
    const std::string wanted = dir.path() + "新規/sub";
    typeDestination(text(wanted));
    ASSERT_EQ(form->asked.size(), 1u);
    const AskedBox& box = form->asked[0];
    EXPECT_EQ(box.title, QStringLiteral("確認"));
    EXPECT_EQ(box.icon, QMessageBox::Question);
    EXPECT_EQ(box.text, QStringLiteral("新しいフォルダを作成しますか？\n") + text(wanted + "/"));
    // The buttons stand in the order the desktop puts them.
    EXPECT_EQ(box.buttons.size(), 2);
    EXPECT_TRUE(box.buttons.contains(QStringLiteral("はい(&Y)")));
    EXPECT_TRUE(box.buttons.contains(QStringLiteral("ｷｬﾝｾﾙ")));
    EXPECT_TRUE(folderExists(wanted)) << "typed Japanese becomes UTF-8 names";
    EXPECT_EQ(form->destinationFolder(), wanted + "/");
    EXPECT_EQ(tree()->SelectedPath(), wanted + "/") << "the rebuilt tree shows the new folder";
}

TEST_F(FolderPanel, NothingIsCreatedAfterCancel)
{
    open();
    form->answer = QMessageBox::Cancel;
    typeDestination(text(dir.path() + "new/sub"));
    EXPECT_EQ(form->asked.size(), 1u);
    EXPECT_FALSE(dir.has("new"));
    EXPECT_EQ(form->destinationFolder(), dir / "src/");
}

TEST_F(FolderPanel, AFileInTheWayIsReportedAndChangesNothing)
{
    dir.write("taken", "keep");
    open();
    typeDestination(text(dir.path() + "taken/sub"));
    ASSERT_EQ(form->asked.size(), 2u);
    const AskedBox& report = form->asked[1];
    EXPECT_EQ(report.icon, QMessageBox::Warning);
    EXPECT_TRUE(report.text.startsWith(QStringLiteral("フォルダを作成できませんでした。")));
    EXPECT_TRUE(report.text.contains(text(dir.path() + "taken/sub/")));
    EXPECT_EQ(dir.read("taken"), "keep");
    EXPECT_EQ(form->destinationFolder(), dir / "src/");
}

TEST_F(FolderPanel, TildeMeansTheHomeFolder)
{
    const char* savedHome = std::getenv("HOME");
    const std::string restore = savedHome != nullptr ? savedHome : "";
    ::setenv("HOME", dir.path().c_str(), 1);
    open();
    typeDestination(QStringLiteral("~/x"));
    if (savedHome != nullptr) {
        ::setenv("HOME", restore.c_str(), 1);
    } else {
        ::unsetenv("HOME");
    }
    EXPECT_EQ(form->asked.size(), 1u);
    EXPECT_TRUE(folderExists(dir / "x"));
    EXPECT_EQ(form->destinationFolder(), dir / "x/");
}

TEST_F(FolderPanel, LongFolderLosesItsLeadingFoldersFirst)
{
    open();
    form->ChangeDirChange(dir / "dst");
    EXPECT_EQ(form->destinationFolder(), dir / "dst/") << "a trailing / is added";

    std::string deep = "/";
    for (int level = 0; level < 12; ++level) {
        deep += "folder-" + std::to_string(level) + "/";
    }
    deep += "最後のフォルダ/";
    form->SearchDirChange(deep);
    auto* label = child<QLabel>(*form, "Label11");
    const QString shown = label->text();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("/.../"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("/folder-11/最後のフォルダ/")))
        << shown.toStdString();
    EXPECT_LT(label->fontMetrics().horizontalAdvance(shown), label->contentsRect().width());
    EXPECT_EQ(label->toolTip(), text(deep));
    EXPECT_EQ(form->sourceFolder(), deep);
    // The form with one folder more would not have fitted.
    const QString first = shown.section(QLatin1Char('/'), 2, 2);
    ASSERT_TRUE(first.startsWith(QStringLiteral("folder-"))) << first.toStdString();
    const int cut = first.mid(7).toInt();
    ASSERT_GT(cut, 0);
    QString longer = shown;
    longer.replace(0, 5, QStringLiteral("/.../folder-%1/").arg(cut - 1));
    const QFontMetrics metrics = label->fontMetrics();
    EXPECT_GT(metrics.horizontalAdvance(longer) + metrics.horizontalAdvance(QLatin1Char('x')),
              label->contentsRect().width());
    EXPECT_EQ(form->MiniDir("/a/"), QStringLiteral("/a/")) << "a path that fits is shown whole";
}

// A folder near the top of the tree opens unscrolled, however many folders
// its path has on the disk: home is one of the tree's top places.
TEST_F(FolderPanel, AFolderInHomeOpensWithoutScrollingSideways)
{
    dir.makeFolder("a folder whose name is far too long to be shown whole in the folder tree");
    test::ScopedEnv home("HOME", dir.path());
    SettingsRecord settings = testing::tmpSettings();
    settings.changeDir = dir / "dst/";
    form.emplace(settings);
    form->show();
    testing::settle();
    EXPECT_EQ(tree()->SelectedPath(), dir / "dst/");
    EXPECT_GT(tree()->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(tree()->horizontalScrollBar()->value(), 0);
}

TEST_F(FolderPanel, GrabsADeepDestination)
{
    std::string deep = "a/b/c/d/e/深い/フォルダ";
    std::string made = dir.path();
    for (const QString& name : text(deep).split(QLatin1Char('/'))) {
        made += name.toStdString() + "/";
        ::mkdir(made.c_str(), 0755);
    }
    open();
    clickInTree(made.substr(0, made.size() - std::string("フォルダ/").size()), "フォルダ");
    EXPECT_EQ(form->destinationFolder(), made);

    // Started with it as the destination, the tree opens on it.
    SettingsRecord settings = testing::tmpSettings();
    settings.changeDir = made;
    form.emplace(settings);
    form->show();
    testing::settle();
    EXPECT_EQ(form->destinationFolder(), made);
    EXPECT_EQ(tree()->SelectedPath(), made);
    EXPECT_GT(tree()->horizontalScrollBar()->value(), 0) << "scrolled towards the deep folder";
    testing::grabShot(*form, QStringLiteral("torvel-window-folders.png"));
}

} // namespace
} // namespace torvel
