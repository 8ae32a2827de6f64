// What a screen reader finds in the main window (a name for every control,
// and the status line's current text), and the keys a Linux desktop expects.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTabBar>

#include <map>

#include <unistd.h>

#include "FilesList.h"
#include "MainFormFixture.h"
#include "StatusLine.h"

namespace torvel {
namespace {

using testing::TestForm;

QString accessibleText(QWidget* widget, QAccessible::Text which)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr ? face->text(which) : QString();
}

// A part of a compound control (a spin box's editor, a view's header and
// scroll bars, a combo box's list, Qt's own menu bar extension) is named
// through the control itself.
bool isPartOfAControl(const QWidget* w, const QWidget* window)
{
    if (w->window() != window || w->objectName().startsWith(QLatin1String("qt_"))) {
        return true;
    }
    for (const QWidget* up = w->parentWidget(); up != window; up = up->parentWidget()) {
        if (qobject_cast<const QAbstractSpinBox*>(up) || qobject_cast<const QComboBox*>(up)
            || qobject_cast<const QAbstractItemView*>(up)) {
            return true;
        }
    }
    return false;
}

bool isControl(const QWidget* w)
{
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w)
           || qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QComboBox*>(w)
           || qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QTabBar*>(w);
}

TEST(Accessibility, EveryControlOfTheWindowHasAName)
{
    TestForm form;
    int controls = 0;
    for (QWidget* w : form.findChildren<QWidget*>()) {
        if (!isControl(w) || isPartOfAControl(w, &form)) {
            continue;
        }
        ++controls;
        EXPECT_FALSE(accessibleText(w, QAccessible::Name).trimmed().isEmpty())
            << w->metaObject()->className() << " " << w->objectName().toStdString() << " in "
            << w->parentWidget()->metaObject()->className() << " "
            << w->parentWidget()->objectName().toStdString();
    }
    EXPECT_GT(controls, 30);
}

TEST(Accessibility, StatusLineSaysItsCurrentText)
{
    TestForm form;
    auto* line = testing::child<StatusLine>(form, "StatusBar1");
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(line);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->role(), QAccessible::StatusBar);
    form.StatusWrite(StatusKind::Warning, QStringLiteral("ファイルを選択してください。"));
    EXPECT_EQ(face->text(QAccessible::Name), QStringLiteral("ファイルを選択してください。"));
    form.StatusWrite(StatusKind::Ready, QString());
    EXPECT_FALSE(face->text(QAccessible::Name).isEmpty());
}

TEST(Keyboard, StandardKeysEachDoOneThing)
{
    TestForm form;
    std::map<QString, QStringList> byKey;
    for (QAction* action : form.findChildren<QAction*>()) {
        for (const QKeySequence& key : action->shortcuts()) {
            byKey[key.toString()] << action->objectName();
        }
    }
    for (const char* key : {"Ctrl+O", "Ctrl+Q", "F5", "F1", "Ctrl+Z"}) {
        EXPECT_EQ(byKey[QString::fromLatin1(key)].size(), 1) << key;
    }
    for (const auto& [key, actions] : byKey) {
        EXPECT_EQ(actions.size(), 1) << key.toStdString() << " is taken twice";
    }
    EXPECT_EQ(byKey[QStringLiteral("Ctrl+O")], QStringList{QStringLiteral("O1")});
    EXPECT_EQ(byKey[QStringLiteral("Ctrl+Q")], QStringList{QStringLiteral("Exit1")});
}

// F5 reads the chosen files again: one deleted by another program leaves the list.
TEST(Keyboard, F5ReadsTheChosenFilesAgain)
{
    TestForm form;
    ScratchDir dir;
    dir.write("a.jpg", "x");
    dir.write("\x8e\xca\x90\x5e.jpg", "x");
    form.openFiles({dir / "a.jpg", dir / "\x8e\xca\x90\x5e.jpg"});
    ASSERT_EQ(form.fileList().Count(), 2);
    ASSERT_EQ(::unlink((dir / "a.jpg").c_str()), 0);
    testing::child<QAction>(form, "ReloadList")->trigger();
    EXPECT_EQ(form.fileList().Count(), 1);
    EXPECT_EQ(form.SelectedFiles.size(), 2u) << "the choice itself stays";
}

} // namespace
} // namespace torvel
