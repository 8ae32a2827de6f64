// The main window with real files: choosing them, the new names in the
// preview grid as the person sets the options, the status line, the run
// commands, the time stamp and attribute pages, and the two buttons that fill
// the identifier and extension boxes.
#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <fcntl.h>
#include <sys/stat.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CuteBtn.h"
#include "DosDateTime.h"
#include "FilesList.h"
#include "MainFormFixture.h"
#include "OwnerDrawnTabs.h"
#include "PreviewGrid.h"
#include "StatusLine.h"

namespace torvel {
namespace {

using testing::child;
using testing::TestForm;
using Names = std::vector<std::string>;

const QString kChosen = QStringLiteral("個のファイルが選択されています。");

// The worked examples' settings: identifier CHGN, start 1, two digits, the
// extension changed to txt, names shown at once.
SettingsRecord exampleSettings(const std::string& folder)
{
    SettingsRecord settings;
    settings.searchDir = folder;
    settings.changeDir = folder;
    settings.rename.identifier = "CHGN";
    settings.rename.startNumber = 1;
    settings.rename.digits = 2;
    settings.rename.extension = "txt";
    settings.rename.changeExtension = true;
    settings.preview = true;
    return settings;
}

void setModified(const std::string& path, const LocalDateTime& when)
{
    std::int64_t seconds = 0;
    ASSERT_TRUE(instantFromLocal(when, seconds));
    const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

class PreviewWindow : public ::testing::Test
{
public:
    ScratchDir folder;
    std::unique_ptr<TestForm> form = std::make_unique<TestForm>(exampleSettings(folder.path()));
    // Every change the window makes to the grid's model is checked as it
    // happens; an inconsistent model ends the test run.
    QAbstractItemModelTester modelCheck{child<QTableView>(*form, "StringGrid1")->model(),
                                        QAbstractItemModelTester::FailureReportingMode::Fatal};

    // Chooses files of the folder, made empty first where missing, as the
    // file selection does: the selection, the list read again, a redraw.
    void choose(const Names& names)
    {
        for (const std::string& name : names) {
            if (!folder.has(name)) {
                folder.write(name, "");
            }
        }
        form->setSelectedFiles(names);
        form->FileProp();
        form->StringGrid1Write(immediate()->isChecked());
    }

    const PreviewGrid& grid() const { return form->previewGrid(); }

    Names column(int column) const
    {
        Names cells;
        for (int row = 1; row < grid().RowCount(); ++row) {
            cells.push_back(grid().cell(column, row));
        }
        return cells;
    }
    Names currentNames() const { return column(0); }
    Names newNames() const { return column(1); }

    QLineEdit* box(const char* name) const { return child<QLineEdit>(*form, name); }
    QCheckBox* check(const char* name) const { return child<QCheckBox>(*form, name); }
    QAction* immediate() const { return child<QAction>(*form, "NonPreCheck"); }
    StatusLine* status() const { return child<StatusLine>(*form, "StatusBar1"); }
    QString statusText() const { return status()->panelText(1); }

    // Types into a box over all it holds, one key at a time; an empty text
    // clears it.
    void type(const char* name, const QString& text) const
    {
        QLineEdit* edit = box(name);
        edit->selectAll();
        if (text.isEmpty()) {
            QKeyEvent erase(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
            QApplication::sendEvent(edit, &erase);
        }
        for (const QChar c : text) {
            QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(edit, &key);
        }
    }

    // Puts a whole text over all a box holds in one edit, as a paste or an
    // input method does.
    void enter(const char* name, const QString& text) const
    {
        QLineEdit* edit = box(name);
        edit->selectAll();
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, text);
        QApplication::sendEvent(edit, &key);
    }

    void press(const char* cuteButton) const
    {
        QTest::mouseClick(child<TCuteButton>(*form, cuteButton), Qt::LeftButton);
    }

    bool runEnabled() const
    {
        const bool button = child<QToolButton>(*form, "TorvelButton")->isEnabled();
        EXPECT_EQ(child<QAction>(*form, "R2")->isEnabled(), button);
        return button;
    }

    void expectReady(int files) const
    {
        EXPECT_EQ(statusText(), QString::number(files) + kChosen);
        EXPECT_EQ(status()->kind(), StatusKind::Ready);
        EXPECT_TRUE(runEnabled());
    }
};

// ---------------------------------------------------------------------------
// The worked examples of the name rule, set up in the window

struct Example
{
    const char* title;
    Names files;
    std::function<void(PreviewWindow&)> setUp;
    Names expected;
};

class WorkedExample : public PreviewWindow, public ::testing::WithParamInterface<Example>
{
public:
    void setOptions() { GetParam().setUp(*this); }
};

TEST_P(WorkedExample, GivesTheNamesOfTheExample)
{
    choose(GetParam().files);
    type("Edit3", QStringLiteral("txt")); // selecting put the first file's extension there
    setOptions();
    EXPECT_EQ(currentNames(), GetParam().files);
    EXPECT_EQ(newNames(), GetParam().expected);
    expectReady(static_cast<int>(GetParam().files.size()));
}

const Example kExamples[] = {
    {"Defaults",
     {"memo.doc", "photo.jpg", "readme"},
     [](PreviewWindow&) {},
     {"CHGN01.txt", "CHGN02.txt", "CHGN03.txt"}},
    {"OwnExtensions",
     {"memo.doc", "photo.jpg", "readme"},
     [](PreviewWindow& w) { w.check("ExtCheck")->click(); },
     {"CHGN01.doc", "CHGN02.jpg", "CHGN03"}},
    {"StartZeroThreeDigits",
     {"a.txt", "b.txt"},
     [](PreviewWindow& w) {
         w.type("Edit4", QStringLiteral("0"));
         w.type("Edit2", QStringLiteral("3"));
     },
     {"CHGN000.txt", "CHGN001.txt"}},
    {"TakenInTheDestination",
     {"a.txt", "b.txt", "c.txt"},
     [](PreviewWindow& w) {
         static ScratchDir destination;
         destination.write("CHGN02.txt", "");
         w.form->ChangeDirChange(destination.path());
         w.check("JuuhukuCheck")->click();
     },
     {"CHGN01.txt", "CHGN03.txt", "CHGN04.txt"}},
    {"AlreadyNamedInPlace",
     {"CHGN01.txt", "CHGN02.txt"},
     [](PreviewWindow& w) { w.check("JuuhukuCheck")->click(); },
     {"CHGN03.txt", "CHGN04.txt"}},
    {"UpperCase",
     {"Photo.jpg"},
     [](PreviewWindow& w) {
         w.type("Edit1", QStringLiteral("Trip"));
         w.check("ExtCheck")->click();
         w.check("UpCheck")->click();
     },
     {"TRIP01.JPG"}},
    {"KeepNumbers",
     {"scan012.png", "scan20.png", "scan7.png"},
     [](PreviewWindow& w) {
         w.type("Edit2", QStringLiteral("3"));
         w.check("KetaCheck")->click();
     },
     {"scan012.png", "scan020.png", "scan007.png"}},
    {"KeepNumbersWithIdentifier",
     {"scan012.png", "scan20.png", "scan7.png"},
     [](PreviewWindow& w) {
         w.type("Edit2", QStringLiteral("3"));
         w.type("Edit1", QStringLiteral("IMG"));
         w.check("KetaCheck")->click();
         w.check("KetaName")->click();
     },
     {"IMG012.png", "IMG020.png", "IMG007.png"}},
    {"KeepNumbersInPlace",
     {"a01.txt", "a1.txt"},
     [](PreviewWindow& w) { w.check("KetaCheck")->click(); },
     {"a01.txt", "a01-01.txt"}},
};

INSTANTIATE_TEST_SUITE_P(NameRule, WorkedExample, ::testing::ValuesIn(kExamples),
                         [](const auto& example) { return std::string(example.param.title); });

// ---------------------------------------------------------------------------
// Redraws, the status line and the run commands

TEST_F(PreviewWindow, NoFilesAskForFilesAndForbidTheRun)
{
    choose({"gone.txt"});
    ASSERT_EQ(newNames(), Names{"CHGN01.txt"});
    ASSERT_TRUE(runEnabled());

    ASSERT_EQ(::unlink((folder / "gone.txt").c_str()), 0);
    form->FileProp();
    form->StringGrid1Write(true);
    EXPECT_EQ(statusText(), QStringLiteral("ファイルを選択してください。"));
    EXPECT_EQ(status()->kind(), StatusKind::Waiting);
    EXPECT_FALSE(runEnabled());
    EXPECT_EQ(grid().RowCount(), 2) << "the header and one empty row";
    EXPECT_FALSE(child<QToolButton>(*form, "PreViewButton")->isEnabled());
}

TEST_F(PreviewWindow, ImmediatePreviewRecomputesAtEveryChange)
{
    choose({"a.txt", "b.txt"});
    type("Edit3", QStringLiteral("txt"));
    type("Edit1", QStringLiteral("NEW"));
    EXPECT_EQ(newNames(), (Names{"NEW01.txt", "NEW02.txt"}));
    expectReady(2);
    check("LowCheck")->click();
    EXPECT_EQ(newNames(), (Names{"new01.txt", "new02.txt"}));
    expectReady(2);
}

TEST_F(PreviewWindow, WithoutImmediatePreviewTheRunWaitsForThePreviewCommand)
{
    choose({"a.txt", "b.txt"});
    type("Edit3", QStringLiteral("txt"));
    auto* preview = child<QToolButton>(*form, "PreViewButton");
    EXPECT_FALSE(preview->isEnabled()) << "names are shown at once";

    immediate()->trigger();
    EXPECT_TRUE(preview->isEnabled());
    EXPECT_TRUE(child<QAction>(*form, "S1")->isEnabled());
    EXPECT_EQ(newNames(), (Names{"", ""})) << "the names shown before are cleared";
    EXPECT_FALSE(runEnabled());
    EXPECT_EQ(statusText(), QStringLiteral("2") + kChosen);
    EXPECT_EQ(status()->kind(), StatusKind::Waiting);

    QTest::mouseClick(preview, Qt::LeftButton);
    EXPECT_EQ(newNames(), (Names{"CHGN01.txt", "CHGN02.txt"}));
    expectReady(2);

    type("Edit1", QStringLiteral("X"));
    EXPECT_EQ(newNames(), (Names{"", ""})) << "stale names must not reach the run";
    EXPECT_FALSE(runEnabled());
    child<QAction>(*form, "S1")->trigger();
    EXPECT_EQ(newNames(), (Names{"X01.txt", "X02.txt"}));
    expectReady(2);

    immediate()->trigger();
    EXPECT_FALSE(preview->isEnabled());
    expectReady(2);
}

TEST_F(PreviewWindow, AnEmptyIdentifierWarnsAndComputesNothing)
{
    choose({"a.txt", "b.txt"});
    ASSERT_EQ(newNames(), (Names{"CHGN01.txt", "CHGN02.txt"}));
    type("Edit1", QString());
    EXPECT_EQ(statusText(), QStringLiteral("【注意】 識別名を入力してください。"));
    EXPECT_EQ(status()->kind(), StatusKind::Warning);
    EXPECT_EQ(newNames(), (Names{"", ""}));
    EXPECT_FALSE(runEnabled());

    type("Edit1", QStringLiteral("   "));
    EXPECT_EQ(status()->kind(), StatusKind::Warning) << "blanks alone are no identifier";

    // Keeping the files' own numbers needs no identifier.
    choose({"a1.txt"});
    check("KetaCheck")->click();
    EXPECT_EQ(newNames(), Names{"a01.txt"});
    expectReady(1);
}

TEST_F(PreviewWindow, AnOverflowShowsNoNameAtAll)
{
    choose({"a.txt", "b.txt", "c.txt", "d.txt"});
    type("Edit3", QStringLiteral("txt"));
    ASSERT_EQ(newNames(), (Names{"CHGN01.txt", "CHGN02.txt", "CHGN03.txt", "CHGN04.txt"}));
    type("Edit4", QStringLiteral("98"));
    EXPECT_EQ(newNames(), (Names{"", "", "", ""})) << "not even the two that fit";
    EXPECT_EQ(statusText(), QStringLiteral("【注意】連番が指定桁数を超えています。"));
    EXPECT_EQ(status()->kind(), StatusKind::Warning);
    EXPECT_FALSE(runEnabled());

    // Ten files with one digit: the tenth number has two.
    type("Edit4", QStringLiteral("1"));
    type("Edit2", QStringLiteral("1"));
    choose(
        {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt", "f.txt", "g.txt", "h.txt", "i.txt", "j.txt"});
    EXPECT_EQ(newNames(), Names(10, ""));
    EXPECT_EQ(status()->kind(), StatusKind::Warning);
}

TEST_F(PreviewWindow, ASortOrderIsShownEvenWithoutNames)
{
    immediate()->trigger();
    choose({"b.txt", "a.txt", "c.txt"});
    EXPECT_EQ(currentNames(), (Names{"a.txt", "b.txt", "c.txt"}));
    auto* order = child<QComboBox>(*form, "MaeSort");
    QTest::keyClick(order, Qt::Key_Down); // "ファイル名・逆順"
    ASSERT_EQ(order->currentIndex(), 1);
    EXPECT_EQ(currentNames(), (Names{"c.txt", "b.txt", "a.txt"}));
    EXPECT_EQ(newNames(), (Names{"", "", ""}));
    EXPECT_FALSE(runEnabled());
}

TEST_F(PreviewWindow, ARowIsTheRunsInputInTheOrderShown)
{
    choose({"b.txt", "a.txt"});
    const std::vector<RunRow> rows = grid().rows();
    ASSERT_EQ(rows.size(), 2U);
    EXPECT_EQ(rows[0].current, "a.txt");
    EXPECT_EQ(rows[0].newName, "CHGN01.txt");
    EXPECT_EQ(rows[1].current, "b.txt");
    EXPECT_EQ(rows[1].newName, "CHGN02.txt");
    EXPECT_EQ(form->fileList().Count(), 2);
}

TEST_F(PreviewWindow, AShiftJisNameIsShownDecodedAndKeptAsBytes)
{
    const std::string shiftJis = "\x83\x65\x83\x58\x83\x67.txt"; // "テスト.txt"
    choose({shiftJis});
    EXPECT_EQ(grid().cell(0, 1), shiftJis);
    EXPECT_EQ(grid().rows().at(0).current, shiftJis);
    const QAbstractItemModel* model = child<QTableView>(*form, "StringGrid1")->model();
    EXPECT_EQ(model->data(model->index(0, 0)).toString(), QStringLiteral("テスト.txt"));
    EXPECT_EQ(newNames(), Names{"CHGN01.txt"});
}

// ---------------------------------------------------------------------------
// The time stamp and attribute pages

class PreviewPages : public PreviewWindow
{
protected:
    PreviewPages() { QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan)); }
    ~PreviewPages() override { QLocale::setDefault(m_previous); }

    QString header(int column) const
    {
        const QAbstractItemModel* model = child<QTableView>(*form, "StringGrid1")->model();
        return model->headerData(column, Qt::Horizontal).toString();
    }

private:
    QLocale m_previous;
};

TEST_F(PreviewPages, TheTimeStampPageListsByNameWhateverOrderIsShown)
{
    choose({"a.txt", "b.txt", "c.txt"});
    setModified(folder / "a.txt", {1999, 12, 31, 23, 59, 58, 0});
    setModified(folder / "b.txt", {2001, 1, 1, 0, 0, 0, 0});
    setModified(folder / "c.txt", {2010, 6, 15, 12, 30, 4, 0});
    choose({"a.txt", "b.txt", "c.txt"});
    auto* order = child<QComboBox>(*form, "MaeSort");
    QTest::keyClick(order, Qt::Key_Down);
    QTest::keyClick(order, Qt::Key_Down); // "新しい順"
    ASSERT_EQ(order->currentIndex(), 2);
    ASSERT_EQ(currentNames(), (Names{"c.txt", "b.txt", "a.txt"}));

    form->D1Click();
    EXPECT_EQ(header(1), QStringLiteral("     更新日時"));
    EXPECT_EQ(header(0), QStringLiteral("   変換前ファイル"));
    EXPECT_EQ(currentNames(), (Names{"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(newNames(), (Names{"1999/12/31 23:59:58", "2001/01/01", "2010/06/15 12:30:04"}))
        << "midnight with a ten-character date shows the date alone";
    expectReady(3);

    form->R1Click();
    EXPECT_EQ(header(1), QStringLiteral("   変換後ファイル"));
    EXPECT_EQ(currentNames(), (Names{"c.txt", "b.txt", "a.txt"}));
    EXPECT_EQ(newNames(), (Names{"CHGN01.txt", "CHGN02.txt", "CHGN03.txt"}));
}

TEST_F(PreviewPages, ATimeStampWithoutTextDoesNotStopTheRedraw)
{
    choose({"a.txt", "b.txt"});
    setModified(folder / "a.txt", {1975, 3, 1, 10, 0, 0, 0}); // before the packed form's first year
    setModified(folder / "b.txt", {2005, 3, 1, 10, 0, 0, 0});
    immediate()->trigger();
    choose({"a.txt", "b.txt"});
    QTest::keyClick(child<QComboBox>(*form, "MaeSort"), Qt::Key_Down);

    form->D1Click();
    EXPECT_EQ(newNames(), (Names{"", "2005/03/01 10:00:00"}));
    expectReady(2);

    // Back on the rename page the order shown is the combo box's again and
    // no page text is left in the new-name column, even though the first
    // row's time cell was empty.
    form->R1Click();
    EXPECT_EQ(currentNames(), (Names{"b.txt", "a.txt"}));
    EXPECT_EQ(newNames(), (Names{"", ""}));
    EXPECT_FALSE(runEnabled());
}

TEST_F(PreviewPages, TheAttributePageShowsReadOnlyHiddenAndArchiveInWords)
{
    choose({".hidden.txt", "locked.txt", "plain.txt"});
    ASSERT_EQ(::chmod((folder / "locked.txt").c_str(), 0444), 0);
    choose({".hidden.txt", "locked.txt", "plain.txt"});
    form->P1Click();
    EXPECT_EQ(header(1), QStringLiteral("         属性"));
    EXPECT_EQ(currentNames(), (Names{".hidden.txt", "locked.txt", "plain.txt"}));
    EXPECT_EQ(newNames(),
              (Names{"書可 隠し アーカイブ", "読専      アーカイブ", "書可      アーカイブ"}));
    expectReady(3);
    EXPECT_TRUE(child<QAbstractButton>(*form, "RadioGroup5Item0")->isChecked())
        << "the choices follow the first file, which is hidden";
}

// ---------------------------------------------------------------------------
// Cleaning the two boxes, and filling them from the first file

// Selecting files puts the first one's extension into the box: music keeps
// its type rather than being renamed to one no player knows.
TEST_F(PreviewWindow, TheExtensionIsCleanedAtEveryRedraw)
{
    choose({"song.mp3"});
    EXPECT_EQ(box("Edit3")->text(), QStringLiteral("mp3"));
    EXPECT_EQ(newNames(), Names{"CHGN01.mp3"});
    enter("Edit3", QStringLiteral(".txt"));
    EXPECT_EQ(box("Edit3")->text(), QStringLiteral("txt"));
    EXPECT_TRUE(form->messages.isEmpty());
    EXPECT_EQ(newNames(), Names{"CHGN01.txt"});

    enter("Edit3", QStringLiteral(" t x t "));
    EXPECT_EQ(box("Edit3")->text(), QStringLiteral("txt"));
    EXPECT_EQ(form->messages, QStringList{QStringLiteral(
                                  "識別文字に使えない文字が含まれていましたので、削除しました。")});

    form->messages.clear();
    type("Edit3", QStringLiteral("jの"));
    EXPECT_EQ(box("Edit3")->text(), QStringLiteral("j")) << "a double-byte character goes whole";
    EXPECT_EQ(form->messages.size(), 1) << "once, at the redraw that removed it";
    form->StringGrid1Write(true);
    EXPECT_EQ(form->messages.size(), 1) << "the cleaned text raises no second message";
    EXPECT_EQ(newNames(), Names{"CHGN01.j"});
}

// The names are made from the identifier without its outer blanks at once;
// the box itself is tidied only when the person leaves it or runs, so a
// blank typed between two words stays.
TEST_F(PreviewWindow, ABlankTypedInsideTheIdentifierStays)
{
    choose({"a.txt", "b.txt"});
    QLineEdit* identifier = box("Edit1");
    type("Edit1", QStringLiteral("旅 行"));
    EXPECT_EQ(identifier->text(), QStringLiteral("旅 行"));
    EXPECT_EQ(newNames(), (Names{"旅 行01.txt", "旅 行02.txt"}));

    type("Edit1", QStringLiteral(" ABC "));
    EXPECT_EQ(identifier->text(), QStringLiteral(" ABC "));
    EXPECT_EQ(newNames(), (Names{"ABC01.txt", "ABC02.txt"}));
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(identifier, &leave);
    EXPECT_EQ(identifier->text(), QStringLiteral("ABC"));

    type("Edit1", QStringLiteral("X "));
    form->TorvelButtonClick();
    EXPECT_EQ(identifier->text(), QStringLiteral("X"));
    EXPECT_EQ(folder.names(), (Names{"X01.txt", "X02.txt"}));
    EXPECT_TRUE(form->messages.isEmpty());
}

TEST_F(PreviewWindow, TheIdentifierButtonTakesTheFirstFilesLeadingLetters)
{
    choose({"DSC0001.JPG", "DSC0002.JPG"});
    type("Edit3", QStringLiteral("txt"));
    press("CuteButton1");
    EXPECT_EQ(box("Edit1")->text(), QStringLiteral("DSC"));
    EXPECT_EQ(newNames(), (Names{"DSC01.txt", "DSC02.txt"})) << "the button redraws";
    EXPECT_TRUE(form->plainMessages.isEmpty());

    choose({"2001trip.jpg"});
    press("CuteButton1");
    EXPECT_EQ(form->plainMessages, QStringList{QStringLiteral("識別用の文字がありませんでした。")});
    EXPECT_EQ(box("Edit1")->text(), QStringLiteral("DSC")) << "the identifier is kept";

    choose({"\x83\x65\x83\x58\x83\x67.txt"});
    press("CuteButton1");
    EXPECT_EQ(form->plainMessages.size(), 2) << "a double-byte first character is no letter";
}

TEST_F(PreviewWindow, TheExtensionButtonTakesTheFirstFilesExtension)
{
    choose({"Photo.JPG"});
    EXPECT_EQ(box("Edit3")->text(), QStringLiteral("jpg")) << "choosing files lower-cases";
    press("CuteButton2");
    EXPECT_EQ(box("Edit3")->text(), QStringLiteral("JPG")) << "the button keeps the case";
    EXPECT_EQ(newNames(), Names{"CHGN01.JPG"});

    choose({"readme"});
    type("Edit3", QStringLiteral("doc"));
    press("CuteButton2");
    EXPECT_EQ(box("Edit3")->text(), QString());
    EXPECT_EQ(newNames(), Names{"CHGN01"}) << "an empty extension keeps the file's own";

    // Without the extension change the button is off, and its handler too.
    choose({"x.png"});
    type("Edit3", QStringLiteral("txt"));
    check("ExtCheck")->click();
    press("CuteButton2");
    form->Button2Click();
    EXPECT_EQ(box("Edit3")->text(), QStringLiteral("txt"));
    EXPECT_EQ(newNames(), Names{"CHGN01.png"});
}

TEST_F(PreviewWindow, TheButtonsDoNothingWithoutFiles)
{
    const QString identifier = box("Edit1")->text();
    const QString extension = box("Edit3")->text();
    press("CuteButton1");
    press("CuteButton2");
    EXPECT_EQ(box("Edit1")->text(), identifier);
    EXPECT_EQ(box("Edit3")->text(), extension);
    EXPECT_TRUE(form->plainMessages.isEmpty());
    EXPECT_TRUE(form->messages.isEmpty());
}

// ---------------------------------------------------------------------------
// Choosing files

TEST_F(PreviewWindow, ChoosingFilesReadsTheFilesThereAndTheFirstChosenExtension)
{
    immediate()->trigger();
    choose({"Photo.JPG", "memo.txt"});
    form->setSelectedFiles({"memo.txt", "Photo.JPG", "vanished.png"});
    form->FileProp();
    form->StringGrid1Write(false);
    EXPECT_EQ(box("Edit3")->text(), QStringLiteral("txt"));
    EXPECT_EQ(form->sourceExtension(), "txt");
    EXPECT_EQ(form->selectedFiles().size(), 3U) << "the selection stays as chosen";
    EXPECT_EQ(currentNames(), (Names{"memo.txt", "Photo.JPG"}))
        << "a file that is gone is left out";
    EXPECT_TRUE(child<QToolButton>(*form, "PreViewButton")->isEnabled());

    form->setSelectedFiles({});
    form->FileProp();
    EXPECT_EQ(box("Edit3")->text(), QStringLiteral("txt")) << "an empty selection leaves the box";
    EXPECT_FALSE(child<QToolButton>(*form, "PreViewButton")->isEnabled());
}

TEST_F(PreviewWindow, TheExtensionFilterLeavesOutUntickedExtensions)
{
    auto* filter = child<QListWidget>(*form, "CheckListBox1");
    for (const char* extension : {".txt", ".doc"}) {
        auto* item = new QListWidgetItem(QString::fromUtf8(extension), filter);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(std::string(extension) == ".txt" ? Qt::Checked : Qt::Unchecked);
    }
    choose({"b.doc", "a.TXT", "c.txt"});
    EXPECT_EQ(currentNames(), (Names{"a.TXT", "c.txt"}));
    EXPECT_EQ(box("Edit3")->text(), QStringLiteral("doc"))
        << "the first chosen file's, whatever it is";
}

} // namespace
} // namespace torvel
