// The main window's heights, button side, pages, options, hints and help.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDate>
#include <QGroupBox>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>

#include "CuteBtn.h"
#include "HelpWindow.h"
#include "MainFormFixture.h"
#include "OwnerDrawnTabs.h"
#include "StatusLine.h"
#include "WindowHelp.h"
#include "common/ScratchDir.h"

namespace torvel {
namespace {

using testing::child;
using testing::TestForm;
using testing::tmpSettings;

int bottomOf(const QWidget* widget)
{
    return widget->y() + widget->height();
}

TEST(MainFormHeight, EachStepLaysOutTheLowerHalf)
{
    TestForm form(tmpSettings());
    const char* items[3] = {"N475", "N580", "N680"};
    const int heights[3] = {475, 580, 680};
    for (std::uint8_t state = 0; state < 3; ++state) {
        form.SizeChenge(state);
        EXPECT_EQ(form.frameGeometry().height(), heights[state]);
        EXPECT_EQ(form.windowLayout().heightSize(), state);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(child<QAction>(form, items[i])->isChecked(), i == state) << items[i];
        }
        const int client = child<QWidget>(form, "centralWidget")->height();
        const int b = client - StatusLine::kHeight - 1;
        auto* status = child<QWidget>(form, "StatusBar1");
        auto* lower = child<TPageControlEx>(form, "PageControl2");
        auto* tree = child<QWidget>(form, "DirTree");
        auto* filter = child<QWidget>(form, "CheckListBox1");
        auto* edit5 = child<QWidget>(form, "Edit5");
        auto* button3 = child<QWidget>(form, "CuteButton3");
        auto* source = child<QWidget>(form, "Label11");
        auto* label7 = child<QWidget>(form, "Label7");
        auto* grid = child<QWidget>(form, "StringGrid1");
        EXPECT_EQ(bottomOf(status), client);
        EXPECT_EQ(bottomOf(lower), b - 1);
        EXPECT_EQ(tree->height(), lower->DisplayRect().height() - 1);
        EXPECT_EQ(filter->height(), tree->height() - 2 * filter->y());
        EXPECT_EQ(edit5->y(), b - edit5->height() - 2);
        EXPECT_EQ(button3->geometry().top(), edit5->y());
        EXPECT_EQ(button3->height(), edit5->height());
        EXPECT_EQ(source->y(), edit5->y() - source->height() - 2);
        EXPECT_EQ(label7->y(), source->y());
        EXPECT_EQ(label7->height(), source->height() + 3);
        EXPECT_EQ(bottomOf(grid), label7->y() - 2);
        EXPECT_EQ(grid->y(), 170);
    }
    form.SizeChenge(9);
    EXPECT_EQ(form.frameGeometry().height(), 580) << "an unknown step is the medium height";
}

TEST(MainFormHeight, HeightItemsFollowTheScreen)
{
    TestForm form(tmpSettings());
    auto* small = child<QAction>(form, "N475");
    auto* medium = child<QAction>(form, "N580");
    auto* large = child<QAction>(form, "N680");

    form.screen = 1080;
    large->trigger();
    EXPECT_EQ(form.windowLayout().heightSize(), 2);
    EXPECT_EQ(form.height(), 680);

    form.screen = 600;
    medium->trigger();
    large->trigger();
    EXPECT_EQ(form.windowLayout().heightSize(), 1) << "a 600-pixel screen gets the medium height";
    EXPECT_TRUE(medium->isChecked());
    EXPECT_FALSE(large->isChecked());

    form.screen = 480;
    large->trigger();
    EXPECT_EQ(form.windowLayout().heightSize(), 0);
    EXPECT_EQ(form.height(), 475);
    for (QAction* item : {medium, large, small}) {
        item->trigger();
        EXPECT_EQ(form.windowLayout().heightSize(), 0);
        EXPECT_TRUE(small->isChecked()) << "nothing changes, the mark stays";
    }
}

// The window stays wholly on its screen with its status line in reach: on a
// screen lower than the smallest step (1366 x 768 at a scale factor of 2) it
// is as tall as the screen, and a taller step moves it up as far as needed.
TEST(MainFormHeight, TheWindowAlwaysFitsTheScreen)
{
    TestForm low(tmpSettings(), 370);
    low.show();
    testing::settle();
    EXPECT_EQ(low.frameGeometry().height(), 370);
    EXPECT_TRUE(low.area().contains(low.frameGeometry()));
    const auto* status = child<QWidget>(low, "StatusBar1");
    EXPECT_EQ(bottomOf(status), child<QWidget>(low, "centralWidget")->height())
        << "the status line is shown";
    EXPECT_GT(child<QWidget>(low, "StringGrid1")->height(), 0);

    SettingsRecord placed = tmpSettings();
    placed.formTop = 500;
    TestForm form(placed, 1080);
    EXPECT_EQ(form.y(), 500);
    child<QAction>(form, "N680")->trigger();
    EXPECT_EQ(form.frameGeometry().height(), 680);
    EXPECT_EQ(form.y(), 1080 - 680);
}

TEST(MainFormHeight, SavedHeightIsFittedToTheScreenAtStart)
{
    SettingsRecord given = tmpSettings();
    given.heightSize = 2;
    TestForm form(given, 600);
    EXPECT_EQ(form.windowLayout().heightSize(), 1);
    EXPECT_TRUE(child<QAction>(form, "N580")->isChecked());
    EXPECT_EQ(form.height(), 580);
    EXPECT_EQ(form.currentSettings().heightSize, 2) << "kept for a larger screen";

    // What the person picks in the menu is kept, also where the screen
    // allows less.
    child<QAction>(form, "N475")->trigger();
    EXPECT_EQ(form.currentSettings().heightSize, 0);
    child<QAction>(form, "N680")->trigger();
    EXPECT_EQ(form.windowLayout().heightSize(), 1);
    EXPECT_EQ(form.currentSettings().heightSize, 2);
}

TEST(MainFormSide, ButtonsStartRightAndTwoClicksRestoreTheLayout)
{
    SettingsRecord given = tmpSettings();
    given.buttonSide = 0;
    TestForm form(given);
    auto* column = child<QWidget>(form, "Panel3");
    auto* pages = child<QWidget>(form, "PageControl1");
    auto* item = child<QAction>(form, "ButtonSideCap");
    auto* grid = child<QWidget>(form, "StringGrid1");
    EXPECT_EQ(form.windowLayout().buttonSide(), 0);
    EXPECT_EQ(pages->x(), 1);
    EXPECT_EQ(column->x(), 561);
    EXPECT_EQ(item->text(), QStringLiteral("ボタンは左に"));

    item->trigger();
    EXPECT_EQ(form.windowLayout().buttonSide(), 1);
    EXPECT_EQ(column->x(), 1);
    EXPECT_EQ(pages->x(), 41);
    EXPECT_EQ(item->text(), QStringLiteral("ボタンは右に"));
    EXPECT_EQ(grid->x(), 236) << "the lower half stays";

    item->trigger();
    EXPECT_EQ(pages->x(), 1);
    EXPECT_EQ(column->x(), 561);
    EXPECT_EQ(item->text(), QStringLiteral("ボタンは左に"));
    form.close();
    EXPECT_EQ(form.currentSettings().buttonSide, 0);
}

class MainFormPages : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form.show();
        testing::settle();
        lower = child<TPageControlEx>(form, "PageControl2");
    }
    TestForm form{tmpSettings()};
    TPageControlEx* lower = nullptr;
};

TEST_F(MainFormPages, TimeStampPageLocksTheDestinationAndFillsTheFields)
{
    child<QAction>(form, "D1")->trigger();
    EXPECT_EQ(child<TPageControlEx>(form, "PageControl1")->currentIndex(), 1);
    EXPECT_EQ(lower->currentIndex(), 1);
    EXPECT_FALSE(lower->isTabVisible(0));
    EXPECT_FALSE(child<QWidget>(form, "DirTree")->isEnabled());
    EXPECT_FALSE(child<QWidget>(form, "Edit5")->isEnabled());
    EXPECT_FALSE(child<QAction>(form, "NonPreCheck")->isEnabled());
    EXPECT_FALSE(child<QToolButton>(form, "PreViewButton")->isEnabled());
    EXPECT_EQ(child<QLineEdit>(form, "SpinEdit3")->text(),
              QString::number(QDate::currentDate().year()))
        << "an empty list gives today";

    bool allow = true;
    form.PageControl2Changing(&allow);
    EXPECT_FALSE(allow);
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QApplication::sendEvent(lower->tabBar(), &left);
    EXPECT_EQ(lower->currentIndex(), 1);

    child<QAction>(form, "R1")->trigger();
    EXPECT_TRUE(lower->isTabVisible(0));
    EXPECT_EQ(lower->currentIndex(), 0);
    EXPECT_TRUE(child<QWidget>(form, "DirTree")->isEnabled());
    EXPECT_TRUE(child<QWidget>(form, "Edit5")->isEnabled());
    EXPECT_TRUE(child<QAction>(form, "NonPreCheck")->isEnabled());
    form.PageControl2Changing(&allow);
    EXPECT_TRUE(allow);
}

TEST_F(MainFormPages, ClickingATabDoesWhatTheMenuDoes)
{
    QTabBar* tabs = child<TPageControlEx>(form, "PageControl1")->tabBar();
    const QPointF at = tabs->tabRect(1).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, tabs->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tabs, &press);
    EXPECT_EQ(lower->currentIndex(), 1);
    EXPECT_FALSE(lower->isTabVisible(0));
}

TEST_F(MainFormPages, AttributePageStartsFromArchiveOnlyAndMarksChangedGroups)
{
    child<QAction>(form, "P1")->trigger();
    EXPECT_TRUE(child<QRadioButton>(form, "RadioGroup4Item1")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(form, "RadioGroup5Item1")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(form, "RadioGroup6Item0")->isChecked());
    auto tag = [&](const char* name) {
        return child<QGroupBox>(form, name)->property("Tag").toInt();
    };
    EXPECT_EQ(tag("RadioGroup4"), 1);
    EXPECT_EQ(tag("RadioGroup5"), 2);
    EXPECT_EQ(tag("RadioGroup6"), 3);

    child<QRadioButton>(form, "RadioGroup6Item0")->click();
    EXPECT_EQ(tag("RadioGroup6"), 13) << "the item shown already is a choice too";
    child<QRadioButton>(form, "RadioGroup5Item0")->click();
    EXPECT_EQ(tag("RadioGroup5"), 12);
    EXPECT_EQ(tag("RadioGroup4"), 1);

    form.SetRadio5();
    EXPECT_EQ(tag("RadioGroup5"), 2);
    EXPECT_TRUE(child<QRadioButton>(form, "RadioGroup5Item1")->isChecked());
}

TEST_F(MainFormPages, PreviewCommandsNeedFilesTheRenamePageAndPreviewOff)
{
    auto* preview = child<QToolButton>(form, "PreViewButton");
    auto* menuItem = child<QAction>(form, "S1");
    auto* immediate = child<QAction>(form, "NonPreCheck");
    form.files = 3;
    ASSERT_TRUE(immediate->isChecked());
    immediate->trigger();
    EXPECT_FALSE(immediate->isChecked());
    EXPECT_TRUE(preview->isEnabled());
    EXPECT_TRUE(menuItem->isEnabled());
    form.D1Click();
    EXPECT_FALSE(preview->isEnabled());
    form.R1Click();
    EXPECT_TRUE(preview->isEnabled());
    immediate->trigger();
    EXPECT_FALSE(preview->isEnabled());
    EXPECT_FALSE(menuItem->isEnabled());

    form.files = 0;
    immediate->trigger();
    EXPECT_FALSE(preview->isEnabled()) << "nothing to preview";
}

TEST_F(MainFormPages, TheTabsAreDrawnByTheWindow)
{
    auto* pages = child<TPageControlEx>(form, "PageControl1");
    pages->setCurrentIndex(0);
    const QImage shot = pages->tabBar()->grab().toImage();
    const QRect selected = pages->tabBar()->tabRect(0).adjusted(4, 3, -2, -2);
    const QRect other = pages->tabBar()->tabRect(2).adjusted(2, 3, -2, -2);
    EXPECT_EQ(shot.pixel(selected.bottomRight()),
              pages->palette().color(QPalette::Highlight).rgb());
    EXPECT_EQ(shot.pixel(other.bottomRight()), pages->palette().color(QPalette::Button).rgb());
}

TEST_F(MainFormPages, StatusMarksAreDrawnThroughTheWindow)
{
    auto* status = child<StatusLine>(form, "StatusBar1");
    form.StatusWrite(StatusKind::Ready, QStringLiteral("3個のファイルが選択されています。"));
    EXPECT_EQ(status->grab().toImage().pixel(25, 11), qRgb(0, 255, 0));
    form.StatusWrite(StatusKind::Warning, QStringLiteral("【注意】連番が指定桁数を超えています。"));
    EXPECT_EQ(status->grab().toImage().pixel(25, 11), qRgb(255, 0, 0));
}

class MainFormOptions : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form.show();
        testing::settle();
    }
    QCheckBox* box(const char* name) { return child<QCheckBox>(form, name); }
    StatusLine* status() { return child<StatusLine>(form, "StatusBar1"); }
    TestForm form{tmpSettings()};
};

TEST_F(MainFormOptions, UpperAndLowerCaseExcludeEachOther)
{
    box("UpCheck")->click();
    EXPECT_TRUE(box("UpCheck")->isChecked());
    box("LowCheck")->click();
    EXPECT_TRUE(box("LowCheck")->isChecked());
    EXPECT_FALSE(box("UpCheck")->isChecked());
    box("UpCheck")->click();
    EXPECT_FALSE(box("LowCheck")->isChecked());

    SettingsRecord both = tmpSettings();
    both.rename.upperCase = true;
    both.rename.lowerCase = true;
    TestForm started(both);
    EXPECT_FALSE(child<QCheckBox>(started, "UpCheck")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(started, "LowCheck")->isChecked());
    started.close();
    EXPECT_FALSE(started.currentSettings().rename.upperCase);
}

TEST_F(MainFormOptions, KeepNumberRulesOutTheOptionsThatChangeNumbers)
{
    box("KetaCheck")->click();
    EXPECT_TRUE(box("KetaName")->isEnabled());
    EXPECT_FALSE(box("JuuhukuCheck")->isEnabled());
    EXPECT_FALSE(box("ExtCheck")->isEnabled());
    EXPECT_FALSE(box("CheckBox1")->isEnabled());
    box("KetaCheck")->click();
    EXPECT_FALSE(box("KetaName")->isEnabled());
    EXPECT_TRUE(box("JuuhukuCheck")->isEnabled());
    EXPECT_TRUE(box("ExtCheck")->isEnabled());
    EXPECT_TRUE(box("CheckBox1")->isEnabled());
}

TEST_F(MainFormOptions, ExtensionCheckEnablesTheExtensionBoxAndButton)
{
    box("ExtCheck")->click();
    EXPECT_TRUE(child<QLineEdit>(form, "Edit3")->isEnabled());
    EXPECT_TRUE(child<TCuteButton>(form, "CuteButton2")->isEnabled());
    box("ExtCheck")->click();
    EXPECT_FALSE(child<QLineEdit>(form, "Edit3")->isEnabled());
    EXPECT_FALSE(child<TCuteButton>(form, "CuteButton2")->isEnabled());
}

TEST_F(MainFormOptions, EmptiedNumberBoxesGetTheirDefaultBack)
{
    auto* digits = child<QLineEdit>(form, "Edit2");
    auto* start = child<QLineEdit>(form, "Edit4");
    digits->clear();
    EXPECT_EQ(digits->text(), QStringLiteral("2"));
    start->clear();
    EXPECT_EQ(start->text(), QStringLiteral("1"));
    digits->setText(QStringLiteral("3"));
    EXPECT_EQ(form.currentSettings().rename.digits, 3);
    digits->setText(QStringLiteral("9"));
    EXPECT_EQ(form.currentSettings().rename.digits, 3) << "out of range keeps the last position";
}

TEST_F(MainFormOptions, IdentifierRedrawsOnlyForThePersonsOwnEdits)
{
    auto* identifier = child<QLineEdit>(form, "Edit1");
    form.StatusWrite(StatusKind::Ready, QStringLiteral("marker"));
    identifier->setText(QStringLiteral("ABC"));
    EXPECT_EQ(status()->panelText(1), QStringLiteral("marker")) << "set by the program";

    QApplication::setActiveWindow(&form);
    identifier->setFocus();
    QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("あ"));
    QApplication::sendEvent(identifier, &typed);
    EXPECT_EQ(identifier->text(), QStringLiteral("ABCあ"));
    EXPECT_EQ(status()->panelText(1), QStringLiteral("ファイルを選択してください。"));
}

// Sees whether a hint request gets through to the control it was meant for.
class HintProbe : public QObject
{
public:
    bool reached = false;

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override
    {
        if (event->type() == QEvent::ToolTip) {
            reached = true;
            return true; // the probe shows nothing itself
        }
        return false;
    }
};

TEST_F(MainFormOptions, HintsFollowTheOptionButTheGridKeepsItsOwn)
{
    auto* identifier = child<QLineEdit>(form, "Edit1");
    auto* grid = child<QTableView>(form, "StringGrid1");
    auto* radio = child<QRadioButton>(form, "RadioButton2");
    auto hintShown = [](QWidget* widget) {
        HintProbe probe;
        widget->installEventFilter(&probe);
        QHelpEvent event(QEvent::ToolTip, QPoint(5, 5), widget->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(widget, &event);
        widget->removeEventFilter(&probe);
        return probe.reached;
    };
    EXPECT_TRUE(hintShown(identifier));
    EXPECT_TRUE(hintShown(radio));
    child<QAction>(form, "CheckBox2")->trigger();
    EXPECT_FALSE(child<QAction>(form, "CheckBox2")->isChecked());
    EXPECT_FALSE(hintShown(identifier));
    EXPECT_FALSE(hintShown(radio));
    EXPECT_TRUE(hintShown(grid)) << "the grid has its own hint setting";
    EXPECT_TRUE(hintShown(grid->viewport()));
    child<QAction>(form, "CheckBox2")->trigger();
    EXPECT_TRUE(hintShown(identifier));
    form.close();
    EXPECT_TRUE(form.currentSettings().helpHint);
}

// A long name is cut in its middle, keeping its start and extension; resting
// the pointer on its row shows the row's hint rather than the grid's own.
TEST_F(MainFormOptions, ALongNameIsCutInTheMiddleAndItsRowsHintHasItWhole)
{
    ScratchDir folder;
    const std::string name =
        "IMG_0001 taken on the long walk along the coast, late in the afternoon.jpg";
    folder.write(name, "");
    form.SearchDirChange(folder.path());
    form.setSelectedFiles({name});
    form.FileProp();
    form.StringGrid1Write(true);
    auto* view = child<QTableView>(form, "StringGrid1");
    EXPECT_EQ(view->textElideMode(), Qt::ElideMiddle);
    const QModelIndex first = view->model()->index(0, 0);
    const QPoint at = view->visualRect(first).center();
    QHelpEvent rest(QEvent::ToolTip, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &rest);
    EXPECT_EQ(QToolTip::text().toStdString(), first.data(Qt::ToolTipRole).toString().toStdString());
    EXPECT_TRUE(QToolTip::text().contains(QString::fromStdString(name)));
    QToolTip::hideText();
}

TEST_F(MainFormOptions, F1AsksForTheTopicOfTheFocusedControl)
{
    std::vector<int> topics;
    auto* help = form.findChild<WindowHelp*>();
    ASSERT_NE(help, nullptr);
    QObject::connect(help, &WindowHelp::topicRequested,
                     [&](int topic) { topics.push_back(topic); });
    int contents = 0;
    QObject::connect(help, &WindowHelp::contentsRequested, [&] { ++contents; });
    QApplication::setActiveWindow(&form);
    auto pressF1 = [](QWidget* widget) {
        widget->setFocus();
        QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QApplication::sendEvent(widget, &f1);
    };
    pressF1(child<QWidget>(form, "Edit4"));
    pressF1(child<QWidget>(form, "RadioButton2"));
    pressF1(child<QWidget>(form, "StringGrid1"));
    pressF1(child<QWidget>(form, "MaeSort"));
    EXPECT_EQ(topics, (std::vector<int>{3030, 4030, 1010, 3010}));
    child<QAction>(form, "Help1")->trigger();
    EXPECT_EQ(contents, 1);
}

// Closing the window ends the program: an open help window neither stays
// on the screen nor keeps the program running.
TEST_F(MainFormOptions, ClosingTheWindowClosesItsHelpAndEndsTheProgram)
{
    HelpWindow& help = form.helpWindow();
    help.showContents();
    ASSERT_TRUE(help.isVisible());
    QTimer::singleShot(0, &form, [this] { form.close(); });
    QTimer::singleShot(2000, &form, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0) << "still running after the window was closed";
    EXPECT_FALSE(help.isVisible());
}

} // namespace
} // namespace torvel
