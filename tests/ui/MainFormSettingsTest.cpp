// The main window with its settings file: what start-up makes of the file,
// and what closing writes back into it.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QToolButton>

#include <algorithm>
#include <string>

#include "MainFormFixture.h"
#include "UserFolders.h"
#include "platform/FolderTestTree.h"

namespace torvel {
namespace {

using testing::child;
using testing::TestForm;
using testing::tmpSettings;

bool checked(const TForm1& form, const char* name)
{
    if (auto* box = form.findChild<QCheckBox*>(QString::fromLatin1(name)))
        return box->isChecked();
    return child<QAction>(form, name)->isChecked();
}

// The value of one key in the file as the program reads it.
std::string valueIn(const TestForm& form, const char* section, const char* key)
{
    return ProfileFile::load(form.settingsPath()).readString(section, key, "(missing)");
}

TEST(MainFormSettings, MissingFileStartsWithTheDefaultsAndIsWrittenInKeyOrder)
{
    TestForm form;
    EXPECT_EQ(form.sourceFolder(), picturesFolder());
    EXPECT_EQ(form.destinationFolder(), picturesFolder());
    EXPECT_EQ(form.sourceExtension(), "txt");
    EXPECT_EQ(child<QComboBox>(form, "MaeSort")->currentIndex(), 0);
    EXPECT_EQ(child<QLineEdit>(form, "Edit1")->text(), QStringLiteral("TOR"));
    EXPECT_EQ(child<QLineEdit>(form, "Edit4")->text(), QStringLiteral("1"));
    EXPECT_EQ(child<QLineEdit>(form, "Edit2")->text(), QStringLiteral("5"));
    EXPECT_EQ(child<QLineEdit>(form, "Edit3")->text(), QStringLiteral("txt"));
    EXPECT_EQ(form.saveMethod(), SaveMode::Rename);
    EXPECT_TRUE(child<QRadioButton>(form, "RadioButton1")->isChecked());
    for (const char* off :
         {"UpCheck", "LowCheck", "JuuhukuCheck", "CheckBox1", "KetaCheck", "KetaName", "ExtCheck"})
        EXPECT_FALSE(checked(form, off)) << off;
    EXPECT_TRUE(checked(form, "NonPreCheck"));
    EXPECT_TRUE(checked(form, "CheckBox2"));
    EXPECT_EQ(form.windowLayout().buttonSide(), 1);
    EXPECT_EQ(form.windowLayout().heightSize(), 1);
    EXPECT_TRUE(checked(form, "N580"));
    EXPECT_EQ(form.pos(), QPoint(233, 104));
    EXPECT_EQ(form.fileText(), "") << "nothing is written before closing";

    ASSERT_TRUE(form.close());
    EXPECT_TRUE(form.messages.isEmpty());
    const std::string folder = picturesFolder();
    EXPECT_EQ(
        form.fileText(),
        "[SEARCH]\nSEARCH_DIR=" + folder
            + "\nSEARCH_EXT=txt\nSORT=0\n\n"
              "[CHANGE]\nCHANGE_DIR="
            + folder
            + "\nCHANGE_NAME=TOR\nCHANGE_NOM=1\nCHANGE_DIGIT=5\n"
              "CHANGE_EXT=txt\nCHANGE_MOVE=RENAME\nUPPER=OFF\nLOWWER=OFF\nPREVIEW=ON\n"
              "EXT_CASE=NONE\nDATE_SOURCE=NONE\nDATE_FORMAT=yyyyMMdd\nDATE_AFTER=OFF\n"
              "DATE_NUMBER=OFF\n\n"
              "[OPTIONS]\nHELP_HINT=ON\nDUPLICATE=OFF\nSAMENAME=OFF\nCOLUMN=OFF\nCOLUMNNAME=OFF\n"
              "EXT_CHECK=OFF\nBUTTONSIDE=ON\nHEIGHTSIZE=M\nFORM_LEFT=233\nFORM_TOP=104\n");

    TestForm again(form.fileText());
    EXPECT_EQ(again.currentSettings(), form.currentSettings())
        << "the written file reads back the same";
}

TEST(MainFormSettings, OnlyCapitalOnIsOnWhateverTheDefault)
{
    TestForm form(std::string("[CHANGE]\nUPPER=on\nPREVIEW=\n"
                              "[OPTIONS]\nHELP_HINT=On\nDUPLICATE= ON \nEXT_CHECK=1\nCOLUMN=yes\n"
                              "BUTTONSIDE=on\n"));
    EXPECT_FALSE(checked(form, "UpCheck"));
    EXPECT_FALSE(checked(form, "NonPreCheck"))
        << "an empty PREVIEW is off although its default is on";
    EXPECT_FALSE(checked(form, "CheckBox2"));
    EXPECT_FALSE(child<QMenu>(form, "Option1")->toolTipsVisible()) << "hints follow the hint item";
    EXPECT_TRUE(checked(form, "JuuhukuCheck")) << "blanks around a value do not count";
    EXPECT_FALSE(checked(form, "ExtCheck"));
    EXPECT_FALSE(checked(form, "KetaCheck"));
    EXPECT_EQ(form.windowLayout().buttonSide(), 0);
    EXPECT_EQ(child<QWidget>(form, "Panel3")->x(), 561) << "the buttons start at the right";

    ASSERT_TRUE(form.close());
    EXPECT_EQ(valueIn(form, "CHANGE", "UPPER"), "OFF");
    EXPECT_EQ(valueIn(form, "CHANGE", "PREVIEW"), "OFF");
    EXPECT_EQ(valueIn(form, "OPTIONS", "HELP_HINT"), "OFF");
    EXPECT_EQ(valueIn(form, "OPTIONS", "DUPLICATE"), "ON");
    EXPECT_EQ(valueIn(form, "OPTIONS", "EXT_CHECK"), "OFF");
    EXPECT_EQ(valueIn(form, "OPTIONS", "BUTTONSIDE"), "OFF");
}

TEST(MainFormSettings, CheckBoxesRunTheirHandlersWhenTheFileChangesThem)
{
    TestForm both(
        std::string("[CHANGE]\nUPPER=ON\nLOWWER=ON\n[OPTIONS]\nCOLUMN=ON\nEXT_CHECK=ON\n"));
    EXPECT_FALSE(checked(both, "UpCheck")) << "LOWWER comes after UPPER and unchecks it";
    EXPECT_TRUE(checked(both, "LowCheck"));
    EXPECT_TRUE(child<QCheckBox>(both, "KetaName")->isEnabled())
        << "keeping numbers enables its name option";
    EXPECT_FALSE(child<QCheckBox>(both, "JuuhukuCheck")->isEnabled());
    EXPECT_TRUE(child<QLineEdit>(both, "Edit3")->isEnabled())
        << "the extension check enables its box";
    ASSERT_TRUE(both.close());
    EXPECT_EQ(valueIn(both, "CHANGE", "UPPER"), "OFF");
    EXPECT_EQ(valueIn(both, "CHANGE", "LOWWER"), "ON");

    TestForm upper(std::string("[CHANGE]\nUPPER=ON\nLOWWER=OFF\n"));
    EXPECT_TRUE(checked(upper, "UpCheck"));
    EXPECT_FALSE(checked(upper, "LowCheck"));
}

// A start on a small screen fits the window to it but leaves the height
// chosen for larger screens as the file has it.
TEST(MainFormSettings, HeightSizeIsReadFittedToTheScreenAndWrittenAsChosen)
{
    const struct
    {
        const char* value;
        int screen;
        int heightSize;
        const char* item;
        const char* written;
    } cases[] = {
        {"m", 1080, 2, "N680", "L"}, // lower case is no size letter
        {"", 1080, 2, "N680", "L"},  {"S", 1080, 0, "N475", "S"}, {"M", 1080, 1, "N580", "M"},
        {"m", 600, 1, "N580", "L"},  {"", 600, 1, "N580", "L"},   {"L", 600, 1, "N580", "L"},
        {"S", 600, 0, "N475", "S"},  {"L", 480, 0, "N475", "L"},  {"M", 480, 0, "N475", "M"},
        {"L", 489, 0, "N475", "L"},  {"L", 610, 2, "N680", "L"},
    };
    const int heights[3] = {475, 580, 680};
    for (const auto& c : cases) {
        const std::string where =
            std::string("HEIGHTSIZE=") + c.value + " on " + std::to_string(c.screen);
        TestForm form("[OPTIONS]\nHEIGHTSIZE=" + std::string(c.value) + "\n", c.screen);
        EXPECT_EQ(form.windowLayout().heightSize(), c.heightSize) << where;
        EXPECT_TRUE(checked(form, c.item)) << where;
        EXPECT_EQ(form.height(), std::min(heights[c.heightSize], c.screen))
            << where << ": no taller than the screen";
        ASSERT_TRUE(form.close());
        EXPECT_EQ(valueIn(form, "OPTIONS", "HEIGHTSIZE"), c.written) << where;
    }
}

// Photos opened from the file manager on the very first start are renamed
// in their folder, not moved into the pictures folder the window opens in.
TEST(MainFormSettings, AFirstStartRenamesOpenedPhotosWhereTheyAre)
{
    ScratchDir home;
    home.makeFolder("X");
    std::vector<std::string> photos;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
        home.write(std::string("X/") + name, name);
        photos.push_back(home / "X/" + name);
    }
    test::ScopedEnv homeEnv("HOME", home.path());
    test::ScopedEnv configEnv("XDG_CONFIG_HOME", home / "config");
    TestForm form(TestForm::AtPath{home / "config/torvel/torvel.ini"});
    ASSERT_EQ(form.sourceFolder(), home.path());
    form.openFiles(photos);
    child<QToolButton>(form, "TorvelButton")->click();
    EXPECT_EQ(home.names(), std::vector<std::string>{"X"});
    EXPECT_EQ(home.names("X"),
              (std::vector<std::string>{"TOR00001.jpg", "TOR00002.jpg", "TOR00003.jpg"}));
    EXPECT_TRUE(form.messages.isEmpty()) << form.messages.join('|').toStdString();
}

TEST(MainFormSettings, SaveMethodIsWrittenFromTheChoiceNeverFromTheTextRead)
{
    TestForm noKey(std::string("[CHANGE]\nCHANGE_NAME=TOR\n"));
    EXPECT_EQ(noKey.saveMethod(), SaveMode::Move) << "only a first start renames";

    TestForm copying(std::string("[CHANGE]\nCHANGE_MOVE=copy\n"));
    EXPECT_EQ(copying.saveMethod(), SaveMode::Copy);
    EXPECT_TRUE(child<QRadioButton>(copying, "RadioButton3")->isChecked());
    ASSERT_TRUE(copying.close());
    EXPECT_EQ(valueIn(copying, "CHANGE", "CHANGE_MOVE"), "COPY");

    TestForm unknown(std::string("[CHANGE]\nCHANGE_MOVE=Xerox\n"));
    EXPECT_EQ(unknown.saveMethod(), SaveMode::Rename);
    ASSERT_TRUE(unknown.close());
    EXPECT_EQ(valueIn(unknown, "CHANGE", "CHANGE_MOVE"), "RENAME");

    TestForm chosen(std::string("[CHANGE]\nCHANGE_MOVE=RENAME\n"));
    child<QRadioButton>(chosen, "RadioButton2")->click();
    ASSERT_TRUE(chosen.close());
    EXPECT_EQ(valueIn(chosen, "CHANGE", "CHANGE_MOVE"), "MOVE");
}

TEST(MainFormSettings, HandEditedFileKeepsEveryOtherByte)
{
    const std::string edited = "; TORVEL settings, edited by hand\r\n"
                               "[SEARCH]\r\n"
                               "search_dir = /tmp/\r\n"
                               "SEARCH_EXT=png\r\n"
                               "# sort: 0 to 5\r\n"
                               "SORT=3\r\n"
                               "LAST_USED=2020-01-01\r\n"
                               "\r\n"
                               "[Other Tool]\r\n"
                               "COLOR=blue\r\n"
                               "[change]\r\n"
                               "CHANGE_DIR=/tmp\r\n"
                               "CHANGE_NAME=IMG\r\n"
                               "UPPER=on\r\n"
                               "; preview stays off\r\n"
                               "PREVIEW=OFF\r\n"
                               "DATE_SOURCE=MODIFIED\r\n"
                               "DATE_FORMAT=yy.MM\r\n"
                               "DATE_AFTER=ON\r\n"
                               "DATE_NUMBER=ON\r\n"
                               "EXT_CASE=UPPER\r\n"
                               "[OPTIONS]\r\n"
                               "HELP_HINT=ON\r\n"
                               "FORM_LEFT=40\r\n"
                               "FORM_TOP=30\r\n"
                               "EXTRA=1\r\n";
    TestForm form(edited);
    EXPECT_EQ(form.sourceExtension(), "png");
    EXPECT_EQ(child<QComboBox>(form, "MaeSort")->currentIndex(), 3);
    EXPECT_EQ(child<QLineEdit>(form, "Edit1")->text(), QStringLiteral("IMG"));
    // The date dialog's controls, shut as it is, hold the file's choices.
    EXPECT_EQ(child<QComboBox>(form, "DateSourceBox")->currentIndex(), 2);
    EXPECT_EQ(child<QComboBox>(form, "DateFormatBox")->currentText(), QStringLiteral("yy.MM"));
    EXPECT_TRUE(checked(form, "DateAfterCheck"));
    EXPECT_TRUE(checked(form, "DateNumberCheck"));
    EXPECT_EQ(child<QComboBox>(form, "ExtCaseBox")->currentIndex(), 2);
    ASSERT_TRUE(form.close());
    EXPECT_EQ(form.fileText(), "; TORVEL settings, edited by hand\r\n"
                               "[SEARCH]\r\n"
                               "search_dir = /tmp/\r\n"
                               "SEARCH_EXT=png\r\n"
                               "# sort: 0 to 5\r\n"
                               "SORT=3\r\n"
                               "LAST_USED=2020-01-01\r\n"
                               "\r\n"
                               "[Other Tool]\r\n"
                               "COLOR=blue\r\n"
                               "[change]\r\n"
                               "CHANGE_DIR=/tmp/\r\n"
                               "CHANGE_NAME=IMG\r\n"
                               "UPPER=OFF\r\n"
                               "; preview stays off\r\n"
                               "PREVIEW=OFF\r\n"
                               "DATE_SOURCE=MODIFIED\r\n"
                               "DATE_FORMAT=yy.MM\r\n"
                               "DATE_AFTER=ON\r\n"
                               "DATE_NUMBER=ON\r\n"
                               "EXT_CASE=UPPER\r\n"
                               "CHANGE_NOM=1\r\n"
                               "CHANGE_DIGIT=5\r\n"
                               "CHANGE_EXT=txt\r\n"
                               "CHANGE_MOVE=MOVE\r\n"
                               "LOWWER=OFF\r\n"
                               "[OPTIONS]\r\n"
                               "HELP_HINT=ON\r\n"
                               "FORM_LEFT=40\r\n"
                               "FORM_TOP=30\r\n"
                               "EXTRA=1\r\n"
                               "DUPLICATE=OFF\r\n"
                               "SAMENAME=OFF\r\n"
                               "COLUMN=OFF\r\n"
                               "COLUMNNAME=OFF\r\n"
                               "EXT_CHECK=OFF\r\n"
                               "BUTTONSIDE=ON\r\n"
                               "HEIGHTSIZE=M\r\n");
}

TEST(MainFormSettings, EditsMadeWhileTheProgramRunsSurviveClosing)
{
    TestForm form(tmpSettings());
    const std::string atStart = form.fileText();
    form.scratch.write("torvel.ini", "; added while running\n[Other Tool]\nCOLOR=red\n" + atStart);
    child<QLineEdit>(form, "Edit1")->setText(QStringLiteral("DSC"));
    ASSERT_TRUE(form.close());
    const std::string text = form.fileText();
    EXPECT_EQ(text.rfind("; added while running\n[Other Tool]\nCOLOR=red\n[SEARCH]\n", 0), 0u)
        << text;
    EXPECT_EQ(valueIn(form, "CHANGE", "CHANGE_NAME"), "DSC");
}

TEST(MainFormSettings, CP932FileFromTheWindowsBuildIsReadAndWrittenBackAsUtf8)
{
    // "写真" in Shift-JIS.
    TestForm form(std::string("[CHANGE]\r\nCHANGE_NAME=\x8e\xca\x90\x5e\r\n"));
    EXPECT_EQ(child<QLineEdit>(form, "Edit1")->text(), QStringLiteral("写真"));
    ASSERT_TRUE(form.close());
    EXPECT_EQ(valueIn(form, "CHANGE", "CHANGE_NAME"), "写真");
    EXPECT_EQ(form.fileText().find("\x8e\xca"), std::string::npos);
}

TEST(MainFormSettings, PlaceOffEveryScreenIsBroughtBackAndWrittenWhereTheWindowIs)
{
    TestForm form(std::string("[OPTIONS]\nFORM_LEFT=-5000\nFORM_TOP=9000\n"));
    const QRect area = form.area();
    EXPECT_EQ(form.x(), area.left()) << "moved onto the screen the shortest way";
    EXPECT_EQ(form.y(), qMax(area.top(), area.bottom() + 1 - 580));
    EXPECT_EQ(form.size(), QSize(602, 580)) << "keeping its size";
    ASSERT_TRUE(form.close());
    EXPECT_EQ(valueIn(form, "OPTIONS", "FORM_LEFT"), std::to_string(form.x()));
    EXPECT_EQ(valueIn(form, "OPTIONS", "FORM_TOP"), std::to_string(form.y()));
}

TEST(MainFormSettings, FileThatCannotBeWrittenIsReportedAndTheWindowStillCloses)
{
    ScratchDir place;
    place.makeFolder("folder.ini");
    place.write("file", "");
    place.write("\x8e\xca\x90\x5e", "");
    const struct
    {
        std::string path;
        QString shown;
    } cases[] = {
        {place / "file/torvel/torvel.ini",
         QString::fromStdString(place / "file/torvel/torvel.ini")},
        {place / "folder.ini", QString::fromStdString(place / "folder.ini")},
        // A name in Shift-JIS ("写真") is shown decoded.
        {place / "\x8e\xca\x90\x5e/torvel.ini",
         QString::fromStdString(place.path()) + QStringLiteral("写真/torvel.ini")},
    };
    for (const auto& c : cases) {
        TestForm form(TestForm::AtPath{c.path});
        EXPECT_EQ(child<QLineEdit>(form, "Edit1")->text(), QStringLiteral("TOR")) << c.path;
        form.show();
        EXPECT_TRUE(form.close()) << c.path;
        EXPECT_FALSE(form.isVisible()) << c.path;
        EXPECT_EQ(form.messages, QStringList{c.shown + QStringLiteral(" に書き込めません")})
            << c.path;
    }
    EXPECT_EQ(place.names(), (std::vector<std::string>{"file", "folder.ini", "\x8e\xca\x90\x5e"}))
        << "nothing was left behind";
    EXPECT_TRUE(place.names("folder.ini").empty());
}

// The per-user settings folder does not exist before the first close.
TEST(MainFormSettings, FirstCloseMakesTheSettingsFolder)
{
    ScratchDir home;
    TestForm form(TestForm::AtPath{home / ".config/torvel/torvel.ini"});
    ASSERT_TRUE(form.close());
    EXPECT_TRUE(form.messages.isEmpty());
    EXPECT_NE(home.read(".config/torvel/torvel.ini").find("CHANGE_NAME=TOR"), std::string::npos);
}

} // namespace
} // namespace torvel
