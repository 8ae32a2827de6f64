// The main window offscreen: its form, start-up and closing.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "CuteBtn.h"
#include "MainFormFixture.h"
#include "OwnerDrawnTabs.h"
#include "StatusLine.h"
#include "UpDown.h"
#include "UserFolders.h"
#include "Screenshot.h"

namespace torvel {
namespace {

using testing::child;
using testing::TestForm;
using testing::tmpSettings;

QRect geometryOf(const TForm1& form, const char* name)
{
    const QWidget* widget = child<QWidget>(form, name);
    return widget != nullptr ? widget->geometry() : QRect();
}

TEST(MainForm, PlacesTheControlsAtTheirDesignPositions)
{
    TestForm form(tmpSettings());
    EXPECT_EQ(form.width(), 602);
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "the frame cannot be resized";
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));

    EXPECT_EQ(geometryOf(form, "Panel3"), QRect(1, 0, 40, 165));
    EXPECT_EQ(geometryOf(form, "PageControl1"), QRect(41, 0, 560, 165));
    EXPECT_EQ(geometryOf(form, "TorvelButton"), QRect(5, 85, 30, 30));
    EXPECT_EQ(geometryOf(form, "MaeSort"), QRect(5, 25, 170, 23));
    EXPECT_EQ(geometryOf(form, "Bevel1"), QRect(180, 0, 371, 55));
    EXPECT_EQ(geometryOf(form, "CuteButton1"), QRect(193, 8, 85, 15));
    EXPECT_EQ(geometryOf(form, "Edit1"), QRect(190, 25, 135, 23));
    EXPECT_EQ(geometryOf(form, "Edit4"), QRect(335, 25, 50, 23));
    EXPECT_EQ(geometryOf(form, "UpDown2"), QRect(385, 25, 19, 23));
    EXPECT_EQ(geometryOf(form, "Edit3"), QRect(495, 25, 50, 23));
    EXPECT_EQ(geometryOf(form, "GroupBox2"), QRect(260, 60, 195, 65));
    EXPECT_EQ(geometryOf(form, "KetaName").topLeft(), QPoint(145, 110));
    EXPECT_EQ(geometryOf(form, "LowCheck").topLeft(), QPoint(470, 100));

    const QRect lower = geometryOf(form, "PageControl2");
    const QRect grid = geometryOf(form, "StringGrid1");
    EXPECT_EQ(lower.topLeft(), QPoint(1, 170));
    EXPECT_EQ(lower.width(), 231);
    EXPECT_EQ(grid.topLeft(), QPoint(236, 170));
    EXPECT_EQ(grid.width(), 365);
    EXPECT_EQ(geometryOf(form, "Label7").left(), grid.left());
    EXPECT_EQ(geometryOf(form, "Label7").width(), 50);
    EXPECT_EQ(geometryOf(form, "Label11").left(), grid.left() + 50);
    EXPECT_EQ(geometryOf(form, "Label11").width(), 315);
    EXPECT_EQ(geometryOf(form, "Edit5").width(), 315);
    EXPECT_EQ(geometryOf(form, "CheckListBox1").left(), 50);
    EXPECT_EQ(geometryOf(form, "CheckListBox1").width(), 141);
    EXPECT_EQ(geometryOf(form, "StatusBar1").height(), 23);
    EXPECT_FALSE(child<QLabel>(form, "Label8")->isVisibleTo(&form));
}

TEST(MainForm, CaptionsAndHintsAreWrittenExactly)
{
    TestForm form(tmpSettings());
    auto* pages = child<TPageControlEx>(form, "PageControl1");
    EXPECT_EQ(pages->tabText(0), QStringLiteral(" トルベル変換　"));
    EXPECT_EQ(pages->tabText(1), QStringLiteral("　更新日時　"));
    EXPECT_EQ(pages->tabText(2), QStringLiteral("　属性の変更　"));
    EXPECT_TRUE(pages->ownerDraw());
    auto* lower = child<TPageControlEx>(form, "PageControl2");
    EXPECT_EQ(lower->tabText(0), QStringLiteral("　保存先　"));
    EXPECT_EQ(lower->tabText(1), QStringLiteral("フィルター"));
    EXPECT_FALSE(lower->ownerDraw());

    auto* grid = child<QTableView>(form, "StringGrid1");
    EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(),
              QStringLiteral("   変換前ファイル"));
    EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(),
              QStringLiteral("   変換後ファイル"));
    EXPECT_EQ(grid->toolTip(), QStringLiteral("このようにファイル名を変換します。"));
    EXPECT_EQ(grid->verticalHeader()->defaultSectionSize(), 20);
    EXPECT_FALSE(grid->wordWrap());

    EXPECT_EQ(child<QToolButton>(form, "SpeedButton1")->toolTip(),
              QStringLiteral("変換するファイルを選択します。"));
    EXPECT_EQ(child<QToolButton>(form, "PreViewButton")->toolTip(),
              QStringLiteral("変換後の名称を表示します。"));
    EXPECT_EQ(child<QToolButton>(form, "TorvelButton")->toolTip(),
              QStringLiteral("トルベルを実行します。"));
    EXPECT_EQ(child<QToolButton>(form, "EndButton")->toolTip(), QStringLiteral("終了します。"));
    EXPECT_EQ(child<QLabel>(form, "Label4")->toolTip(),
              QStringLiteral("変換前ファイルの整列方法 "));
    EXPECT_EQ(child<QGroupBox>(form, "GroupBox2")->title(),
              QStringLiteral(" ファイルの保存方法  "));
    EXPECT_EQ(child<QRadioButton>(form, "RadioButton3")->toolTip(),
              QStringLiteral("元のファイルは削除しません。同一フォルダでは、選択できません。"));
    EXPECT_EQ(child<TCuteButton>(form, "CuteButton2")->caption(), QStringLiteral("拡張子"));
    EXPECT_EQ(child<TCuteButton>(form, "Label7")->caption(), QStringLiteral("変換元"));
    EXPECT_EQ(child<QGroupBox>(form, "RadioGroup4")->title(), QStringLiteral(" 読み取り専用 "));
    EXPECT_EQ(child<QWidget>(form, "TabSheet3")->toolTip(),
              QStringLiteral("変更する更新日時を入力してください。"));

    const QStringList orders = {
        QStringLiteral("ファイル名・正順"),   QStringLiteral("ファイル名・逆順"),
        QStringLiteral("新しい順"),           QStringLiteral("古い順"),
        QStringLiteral("サイズ順・小→大"),    QStringLiteral("サイズ順・大→小"),
        QStringLiteral("ファイル名・自然順"), QStringLiteral("ファイル名・自然逆順"),
        QStringLiteral("撮影日時・古い順"),   QStringLiteral("撮影日時・新しい順")};
    auto* sort = child<QComboBox>(form, "MaeSort");
    ASSERT_EQ(sort->count(), orders.size());
    for (int i = 0; i < orders.size(); ++i) {
        EXPECT_EQ(sort->itemText(i), orders[i]);
    }
}

// A run never overwrites a file that holds a new name: the file goes to the
// trash only after the person says yes, or the row is not converted. No hint
// may promise otherwise, and the one of 重複名回避 tells where such a file goes.
TEST(MainForm, NoHintSaysAFileIsOverwritten)
{
    TestForm form(tmpSettings());
    QStringList hints;
    for (const QWidget* widget : form.findChildren<QWidget*>())
        hints << widget->objectName() + QStringLiteral(": ") + widget->toolTip();
    for (const QAction* action : form.findChildren<QAction*>())
        hints << action->objectName() + QStringLiteral(": ") + action->toolTip();
    for (const QString& hint : hints)
        EXPECT_FALSE(hint.contains(QStringLiteral("上書き"))) << hint.toStdString();
    const QString duplicates = child<QCheckBox>(form, "JuuhukuCheck")->toolTip();
    EXPECT_TRUE(duplicates.contains(QStringLiteral("ごみ箱に移動するか確認")))
        << duplicates.toStdString();
}

TEST(MainForm, MenusKeepTheirCaptionsAndOrder)
{
    TestForm form(tmpSettings());
    QStringList bar;
    for (const QAction* item : form.menuBar()->actions()) {
        bar << item->text();
    }
    EXPECT_EQ(bar, (QStringList{QStringLiteral("ﾌｧｲﾙ(&F)"), QStringLiteral("表示(&V)"),
                                QStringLiteral("実行(&R)"), QStringLiteral("オプション(&O)"),
                                QStringLiteral("ﾍﾙﾌﾟ(&H)"), QStringLiteral("バージョン情報(&A)")}));
    EXPECT_EQ(child<QAction>(form, "Exit1")->text(), QStringLiteral("終了   (&X)"));
    EXPECT_EQ(child<QAction>(form, "O1")->text(), QStringLiteral("変換ファイルの選択(&O)"));
    EXPECT_EQ(child<QAction>(form, "S1")->text(), QStringLiteral("プレビュー(&S)"));
    EXPECT_EQ(child<QAction>(form, "NonPreCheck")->toolTip(),
              QStringLiteral("設定の変更をすぐに反映します。"));
    EXPECT_EQ(child<QAction>(form, "CheckBox2")->toolTip(), QStringLiteral("ヒント表示のON/OFF"));
    EXPECT_EQ(child<QAction>(form, "ButtonSideCap")->text(), QStringLiteral("ボタンを右に(&B)"));
    EXPECT_EQ(child<QMenu>(form, "N5")->title(), QStringLiteral("長さ調整"));
    EXPECT_EQ(child<QAction>(form, "N475")->text(), QStringLiteral("短い (475)"));
    EXPECT_EQ(child<QAction>(form, "N580")->text(), QStringLiteral("標準 (580)"));
    EXPECT_EQ(child<QAction>(form, "N680")->text(), QStringLiteral("長い (680)"));
    QStringList options;
    for (const QAction* item : child<QMenu>(form, "Option1")->actions()) {
        options << (item->isSeparator() ? QStringLiteral("-") : item->text());
    }
    EXPECT_EQ(options, (QStringList{QStringLiteral("即プレビュー(&P)"),
                                    QStringLiteral("ヒント表示(&H)"), QStringLiteral("-"),
                                    QStringLiteral("ボタンを右に(&B)"), QStringLiteral("長さ調整"),
                                    QStringLiteral("-"), QStringLiteral("日付と拡張子(&D)...")}));
}

TEST(MainForm, RenamePageTabOrderIsTheDesignOrder)
{
    TestForm form(tmpSettings());
    QWidget* page = child<QWidget>(form, "TabSheet1");
    QStringList order;
    QWidget* start = child<QWidget>(form, "MaeSort");
    QWidget* w = start;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) != 0 && page->isAncestorOf(w)) {
            order << w->objectName();
        }
        w = w->nextInFocusChain();
    } while (w != start);
    EXPECT_EQ(
        order.join(QLatin1Char(' ')),
        QStringLiteral("MaeSort Edit1 CuteButton1 Edit4 UpDown2 Edit2 UpDown1 Edit3 CuteButton2 "
                       "JuuhukuCheck ExtCheck DatePartButton CheckBox1 KetaCheck KetaName "
                       "RadioButton1 "
                       "RadioButton2 RadioButton3 UpCheck LowCheck"));
    EXPECT_EQ(child<TCuteButton>(form, "Label7")->focusPolicy(), Qt::NoFocus);
}

TEST(MainForm, FirstStartShowsTheDefaultsAndAsksForFiles)
{
    TestForm form;
    EXPECT_EQ(form.sourceFolder(), picturesFolder());
    EXPECT_EQ(form.destinationFolder(), picturesFolder());
    EXPECT_EQ(picturesFolder().back(), '/');
    EXPECT_EQ(child<QLineEdit>(form, "Edit1")->text(), QStringLiteral("TOR"));
    EXPECT_EQ(child<QLineEdit>(form, "Edit4")->text(), QStringLiteral("1"));
    EXPECT_EQ(child<QLineEdit>(form, "Edit2")->text(), QStringLiteral("5"));
    EXPECT_EQ(child<QLineEdit>(form, "Edit3")->text(), QStringLiteral("txt"));
    EXPECT_FALSE(child<QCheckBox>(form, "ExtCheck")->isChecked());
    EXPECT_FALSE(child<QLineEdit>(form, "Edit3")->isEnabled());
    EXPECT_FALSE(child<TCuteButton>(form, "CuteButton2")->isEnabled());
    EXPECT_FALSE(child<QCheckBox>(form, "KetaName")->isEnabled());
    EXPECT_TRUE(child<QAction>(form, "NonPreCheck")->isChecked());
    EXPECT_TRUE(child<QAction>(form, "CheckBox2")->isChecked());
    EXPECT_EQ(form.saveMethod(), SaveMode::Rename) << "files stay in their folder";
    EXPECT_TRUE(child<QRadioButton>(form, "RadioButton1")->isChecked());
    EXPECT_EQ(form.windowLayout().buttonSide(), 1);
    EXPECT_EQ(form.pos(), QPoint(233, 104));
    EXPECT_EQ(form.selectedFiles().capacity(), 5000u);

    auto* status = child<StatusLine>(form, "StatusBar1");
    EXPECT_EQ(status->kind(), StatusKind::Waiting);
    EXPECT_EQ(status->panelText(1), QStringLiteral("ファイルを選択してください。"));
    EXPECT_FALSE(child<QToolButton>(form, "TorvelButton")->isEnabled());
    EXPECT_FALSE(child<QAction>(form, "R2")->isEnabled());
    EXPECT_FALSE(child<QToolButton>(form, "PreViewButton")->isEnabled());
    EXPECT_FALSE(child<QAction>(form, "S1")->isEnabled());
    EXPECT_FALSE(child<TCuteButton>(form, "CuteButton3")->isEnabled());

    const QString title = form.windowTitle();
    EXPECT_TRUE(title.startsWith(QStringLiteral("ファイル保管機構  トルベリオ  ")));
    EXPECT_TRUE(
        title.endsWith(QString(20, QLatin1Char(' ')) + QStringLiteral("TORVEL 開発チーム")));
}

TEST(MainForm, SettingsValuesReachTheControlsAndComeBackAtClosing)
{
    SettingsRecord given = tmpSettings();
    given.rename.identifier = "IMG";
    given.rename.startNumber = 7;
    given.rename.digits = 3;
    given.rename.extension = "jpg";
    given.rename.sortOrder = SortOrder::SmallestFirst;
    given.preview = false;
    given.rename.avoidDuplicates = true;
    given.rename.carrySameNameFiles = true;
    given.rename.changeExtension = true;
    given.rename.keepNumber = true;
    given.rename.keepNumberIdentifier = true;
    given.searchExt = "png";
    TestForm form(given);
    EXPECT_EQ(child<QLineEdit>(form, "Edit1")->text(), QStringLiteral("IMG"));
    EXPECT_EQ(child<QLineEdit>(form, "Edit4")->text(), QStringLiteral("7"));
    EXPECT_EQ(child<QLineEdit>(form, "Edit2")->text(), QStringLiteral("3"));
    EXPECT_EQ(child<QComboBox>(form, "MaeSort")->currentIndex(), 4);
    EXPECT_TRUE(child<QCheckBox>(form, "KetaName")->isEnabled());
    EXPECT_FALSE(child<QCheckBox>(form, "JuuhukuCheck")->isEnabled());
    EXPECT_EQ(form.sourceExtension(), "png");

    form.close();
    const SettingsRecord written = form.currentSettings();
    EXPECT_EQ(written.rename.identifier, "IMG");
    EXPECT_EQ(written.rename.startNumber, 7);
    EXPECT_EQ(written.rename.digits, 3);
    EXPECT_EQ(written.rename.extension, "jpg");
    EXPECT_EQ(written.rename.sortOrder, SortOrder::SmallestFirst);
    EXPECT_FALSE(written.preview);
    EXPECT_TRUE(written.rename.avoidDuplicates && written.rename.carrySameNameFiles
                && written.rename.changeExtension);
    EXPECT_TRUE(written.rename.keepNumber && written.rename.keepNumberIdentifier);
    EXPECT_EQ(written.formLeft, form.x());
    EXPECT_EQ(written.formTop, form.y());
    EXPECT_EQ(written.saveMethodText, "MOVE");
}

TEST(MainForm, SaveMethodIsReadByItsFirstLetterAndWrittenFromTheChoice)
{
    EXPECT_EQ(saveMethodFromText("COPY"), SaveMode::Copy);
    EXPECT_EQ(saveMethodFromText("copy"), SaveMode::Copy);
    EXPECT_EQ(saveMethodFromText("Move"), SaveMode::Move);
    EXPECT_EQ(saveMethodFromText("rename"), SaveMode::Rename);
    EXPECT_EQ(saveMethodFromText("XYZ"), SaveMode::Rename);
    EXPECT_EQ(saveMethodFromText(""), SaveMode::Rename);

    SettingsRecord given = tmpSettings();
    given.saveMethodText = "copy";
    TestForm form(given);
    EXPECT_EQ(form.saveMethod(), SaveMode::Copy);
    EXPECT_TRUE(child<QRadioButton>(form, "RadioButton3")->isChecked());
    form.close();
    EXPECT_EQ(form.currentSettings().saveMethodText, "COPY");

    given.saveMethodText = "";
    TestForm renaming(given);
    EXPECT_EQ(renaming.saveMethod(), SaveMode::Rename);
    EXPECT_TRUE(child<QRadioButton>(renaming, "RadioButton1")->isChecked());
    child<QRadioButton>(renaming, "RadioButton2")->click();
    EXPECT_EQ(renaming.saveMethod(), SaveMode::Move) << "with no files every choice is accepted";
    renaming.close();
    EXPECT_EQ(renaming.currentSettings().saveMethodText, "MOVE");
}

class MissingFolders : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/torvel-ui-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root = std::string(pattern) + "/";
        photos = root + "写真";
        ASSERT_EQ(::mkdir(photos.c_str(), 0700), 0);
        file = root + "notes.txt";
        std::FILE* made = std::fopen(file.c_str(), "w");
        ASSERT_NE(made, nullptr);
        std::fclose(made);
    }
    void TearDown() override
    {
        ::unlink(file.c_str());
        ::rmdir(photos.c_str());
        ::rmdir(root.c_str());
    }
    std::string root;
    std::string photos;
    std::string file;
};

TEST_F(MissingFolders, BothGoneBecomeTheProgramFolder)
{
    SettingsRecord given = tmpSettings();
    given.searchDir = root + "gone-a/";
    given.changeDir = root + "gone-b/";
    TestForm form(given);
    EXPECT_EQ(form.sourceFolder(), picturesFolder());
    EXPECT_EQ(form.destinationFolder(), picturesFolder());
}

TEST_F(MissingFolders, AGoneDestinationBecomesTheSource)
{
    SettingsRecord given = tmpSettings();
    given.searchDir = photos; // no trailing separator
    given.changeDir = root + "gone/";
    TestForm form(given);
    EXPECT_EQ(form.sourceFolder(), photos + "/");
    EXPECT_EQ(form.destinationFolder(), photos + "/");
}

TEST_F(MissingFolders, AFileIsNoFolder)
{
    SettingsRecord given = tmpSettings();
    given.searchDir = file;
    given.changeDir = file + "/";
    TestForm form(given);
    EXPECT_EQ(form.sourceFolder(), picturesFolder());
    EXPECT_EQ(form.destinationFolder(), picturesFolder());
}

TEST_F(MissingFolders, EmptyFolderValuesFallBackToExistingFolders)
{
    SettingsRecord given = tmpSettings();
    given.searchDir.clear();
    given.changeDir = root;
    TestForm form(given);
    EXPECT_EQ(form.sourceFolder(), picturesFolder());
    EXPECT_EQ(form.destinationFolder(), root);
}

TEST(MainFormPlace, SavedPlaceOnAScreenIsUsedAsSaved)
{
    SettingsRecord given = tmpSettings();
    given.formLeft = 40;
    given.formTop = 30;
    TestForm form(given);
    EXPECT_EQ(form.pos(), QPoint(40, 30));
}

TEST(MainFormPlace, SavedPlaceOffEveryScreenMovesOntoTheNearest)
{
    SettingsRecord given = tmpSettings();
    given.formLeft = 5000;
    given.formTop = -3000;
    TestForm form(given);
    const QRect screen = form.area();
    EXPECT_TRUE(screen.contains(form.geometry()));
    EXPECT_EQ(form.x(), qMax(screen.left(), screen.right() + 1 - form.width()));
    EXPECT_EQ(form.y(), screen.top());
    EXPECT_EQ(form.width(), 602) << "the size is kept";
}

TEST(MainFormPlace, UnreadablePlaceGivesTheDefaultPlace)
{
    TestForm form(std::string("[OPTIONS]\nFORM_LEFT=abc\nFORM_TOP=\n"));
    EXPECT_EQ(form.pos(), QPoint(233, 104));
}

TEST(MainFormLook, GrabsEachPage)
{
    TestForm form(tmpSettings());
    form.show();
    testing::settle();
    auto* pages = child<TPageControlEx>(form, "PageControl1");
    const QString shots[] = {QStringLiteral("torvel-window.png"),
                             QStringLiteral("torvel-window-date.png"),
                             QStringLiteral("torvel-window-attr.png")};
    for (int page = 0; page < 3; ++page) {
        if (page == 1) {
            form.D1Click();
        } else if (page == 2) {
            form.P1Click();
        }
        const QImage shot = testing::grabShot(form, shots[page]);
        // The owner-drawn tab of the page in front is in the highlight colour.
        const QPoint tab = pages->tabBar()->mapTo(
            &form, pages->tabBar()->tabRect(page).adjusted(4, 3, -2, -2).bottomRight());
        EXPECT_EQ(shot.pixel(tab), pages->palette().color(QPalette::Highlight).rgb()) << page;
    }
    // The date dialog, and the page showing the date part it chose.
    form.R1Click();
    child<QAction>(form, "DateNameItem")->trigger();
    child<QComboBox>(form, "DateSourceBox")->setCurrentIndex(1);
    testing::settle();
    testing::grabShot(*child<QDialog>(form, "DateNameDialog"), QStringLiteral("torvel-date.png"));
    testing::grabShot(form, QStringLiteral("torvel-window-dated.png"));
}

} // namespace
} // namespace torvel
