#include "RunTypes.h"
#include "SettingRows.h"
#include "SettingsRecord.h"

#include "ProfileFile.h"
#include "common/SampleNames.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace torvel {
namespace {

namespace fs = std::filesystem;

class SettingsRecordTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/torvel-settings-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = std::string(pattern) + "/";
        m_ini = m_dir + "torvel.ini";
    }
    void TearDown() override { fs::remove_all(m_dir); }

    void put(const std::string& bytes) { std::ofstream(m_ini, std::ios::binary) << bytes; }
    std::string contents() const
    {
        std::ifstream in(m_ini, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }
    // The settings as the program reads them at start-up, the executable
    // lying in the temporary folder.
    SettingsRecord read() const { return readSettings(ProfileFile::load(m_ini), m_dir); }
    SettingsRecord readFrom(const std::string& bytes)
    {
        put(bytes);
        return read();
    }
    void writeAndSave(const SettingsRecord& record, std::vector<std::string> expectedKept = {})
    {
        ProfileFile profile = ProfileFile::load(m_ini);
        EXPECT_EQ(writeSettings(record, profile), expectedKept);
        ASSERT_FALSE(profile.save());
    }

    std::string m_dir;
    std::string m_ini;
};

std::string defaultFileText(const std::string& folder)
{
    return "[SEARCH]\nSEARCH_DIR=" + folder
           + "\nSEARCH_EXT=txt\nSORT=0\n\n"
             "[CHANGE]\nCHANGE_DIR="
           + folder
           + "\nCHANGE_NAME=TOR\nCHANGE_NOM=1\nCHANGE_DIGIT=5\n"
             "CHANGE_EXT=txt\nCHANGE_MOVE=MOVE\nUPPER=OFF\nLOWWER=OFF\nPREVIEW=ON\n"
             "EXT_CASE=NONE\nDATE_SOURCE=NONE\nDATE_FORMAT=yyyyMMdd\nDATE_AFTER=OFF\n"
             "DATE_NUMBER=OFF\n\n"
             "[OPTIONS]\nHELP_HINT=ON\nDUPLICATE=OFF\nSAMENAME=OFF\nCOLUMN=OFF\nCOLUMNNAME=OFF\n"
             "EXT_CHECK=OFF\nBUTTONSIDE=ON\nHEIGHTSIZE=M\nFORM_LEFT=233\nFORM_TOP=104\n";
}

TEST_F(SettingsRecordTest, MissingFileGivesEveryDefaultAndIsWrittenInKeyOrder)
{
    const SettingsRecord record = read();
    EXPECT_EQ(record.searchDir, m_dir);
    EXPECT_EQ(record.changeDir, m_dir);
    EXPECT_EQ(record.searchExt, "txt");
    EXPECT_EQ(record.rename.sortOrder, SortOrder::NameUp);
    EXPECT_EQ(record.rename.identifier, "TOR");
    EXPECT_EQ(record.rename.startNumber, 1);
    EXPECT_EQ(record.rename.digits, 5);
    EXPECT_EQ(record.rename.extension, "txt");
    EXPECT_EQ(saveMethodFromText(record.saveMethodText), SaveMode::Move) << "move";
    EXPECT_FALSE(record.rename.upperCase);
    EXPECT_FALSE(record.rename.lowerCase);
    EXPECT_TRUE(record.preview);
    EXPECT_TRUE(record.helpHint);
    EXPECT_FALSE(record.rename.avoidDuplicates || record.rename.carrySameNameFiles
                 || record.rename.keepNumber || record.rename.keepNumberIdentifier);
    EXPECT_FALSE(record.rename.changeExtension);
    EXPECT_EQ(record.buttonSide, 1);
    EXPECT_EQ(record.heightSize, 1);
    EXPECT_EQ(record.formLeft, 233);
    EXPECT_EQ(record.formTop, 104);

    writeAndSave(record);
    EXPECT_EQ(contents(), defaultFileText(m_dir));
    EXPECT_EQ(read(), record) << "what was written reads back the same";
}

TEST_F(SettingsRecordTest, ExecutableFolderGetsItsSlashAndEmptyFoldersCountAsMissing)
{
    put("[SEARCH]\nSEARCH_DIR=\n[CHANGE]\nCHANGE_DIR=   \n");
    SettingsRecord record = readSettings(ProfileFile::load(m_ini), "/opt/torvel");
    EXPECT_EQ(record.searchDir, "/opt/torvel/");
    EXPECT_EQ(record.changeDir, "/opt/torvel/");

    put("[SEARCH]\nSEARCH_DIR=/srv/photos\n[CHANGE]\nCHANGE_DIR=/srv/out/\n");
    record = readSettings(ProfileFile::load(m_ini), "/");
    EXPECT_EQ(record.searchDir, "/srv/photos/");
    EXPECT_EQ(record.changeDir, "/srv/out/");

    EXPECT_EQ(folderOfFile("/opt/torvel/torvel"), "/opt/torvel/");
    EXPECT_EQ(folderOfFile("/torvel"), "/");
}

TEST_F(SettingsRecordTest, OnlyCapitalOnIsOnWhateverTheDefault)
{
    const SettingsRecord record =
        readFrom("[CHANGE]\nUPPER=on\nLOWWER=On\nPREVIEW=\n"
                 "[OPTIONS]\nHELP_HINT=1\nDUPLICATE=yes\nSAMENAME=ON\n"
                 "COLUMN=ON \nCOLUMNNAME=ＯＮ\nEXT_CHECK=ON\nBUTTONSIDE=on\n");
    EXPECT_FALSE(record.rename.upperCase);
    EXPECT_FALSE(record.rename.lowerCase);
    EXPECT_FALSE(record.preview) << "present but empty is off, although the default is on";
    EXPECT_FALSE(record.helpHint);
    EXPECT_FALSE(record.rename.avoidDuplicates);
    EXPECT_TRUE(record.rename.carrySameNameFiles);
    EXPECT_TRUE(record.rename.keepNumber) << "the blank after the value is not part of it";
    EXPECT_FALSE(record.rename.keepNumberIdentifier) << "full-width letters are other letters";
    EXPECT_TRUE(record.rename.changeExtension);
    EXPECT_EQ(record.buttonSide, 0);
}

TEST_F(SettingsRecordTest, UpperAndLowerBothOnAreBothKeptForTheWindowToResolve)
{
    SettingsRecord record = readFrom("[CHANGE]\nUPPER=ON\nLOWWER=ON\n");
    EXPECT_TRUE(record.rename.upperCase);
    EXPECT_TRUE(record.rename.lowerCase);

    // After the window's handlers only lower case is left; that is written.
    record.rename.upperCase = false;
    writeAndSave(record);
    EXPECT_EQ(read().rename.upperCase, false);
    EXPECT_NE(contents().find("UPPER=OFF\nLOWWER=ON\n"), std::string::npos) << contents();
}

TEST_F(SettingsRecordTest, HeightSizeIsLargeForAnythingButCapitalSOrM)
{
    const std::pair<const char*, int> cases[] = {{"S", 0}, {"M", 1}, {"L", 2},  {"m", 2},
                                                 {"", 2},  {"s", 2}, {"MM", 2}, {"1", 2}};
    for (const auto& [text, heightSize] : cases)
        EXPECT_EQ(readFrom(std::string("[OPTIONS]\nHEIGHTSIZE=") + text + "\n").heightSize,
                  heightSize)
            << "HEIGHTSIZE=" << text;

    SettingsRecord record;
    for (const auto& [heightSize, text] : {std::pair{0, "S"}, {1, "M"}, {2, "L"}, {7, "M"}}) {
        record.heightSize = heightSize;
        writeAndSave(record);
        EXPECT_NE(contents().find(std::string("HEIGHTSIZE=") + text + "\n"), std::string::npos)
            << heightSize;
    }
}

TEST_F(SettingsRecordTest, SaveMethodComesFromTheFirstLetterAndIsWrittenInCapitals)
{
    SettingsRecord record = readFrom("[CHANGE]\nCHANGE_MOVE=copy\n");
    EXPECT_EQ(record.saveMethodText, "copy");
    const SaveMode saveMethod = saveMethodFromText(record.saveMethodText);
    EXPECT_EQ(saveMethod, SaveMode::Copy);

    // At closing the text is made from the save method, never kept as read.
    record.saveMethodText = saveMethodToText(saveMethod);
    writeAndSave(record);
    EXPECT_NE(contents().find("CHANGE_MOVE=COPY\n"), std::string::npos) << contents();

    EXPECT_EQ(saveMethodFromText("Move"), SaveMode::Move);
    EXPECT_EQ(saveMethodFromText("MOVE"), SaveMode::Move);
    EXPECT_EQ(saveMethodFromText("rename"), SaveMode::Rename);
    EXPECT_EQ(saveMethodFromText("Cx"), SaveMode::Copy);
    EXPECT_EQ(saveMethodFromText(""), SaveMode::Rename);
    EXPECT_EQ(saveMethodFromText("delete"), SaveMode::Rename);
    EXPECT_EQ(saveMethodFromText("コピー"), SaveMode::Rename);
    EXPECT_EQ(saveMethodToText(SaveMode::Rename), "RENAME");
    EXPECT_EQ(saveMethodToText(SaveMode::Move), "MOVE");
}

TEST_F(SettingsRecordTest, NumbersThatAreNotDecimalIntegersInRangeGetTheirDefault)
{
    struct Case
    {
        const char* text;
        int sort, nom, digit;
    };
    // Defaults: SORT 0, CHANGE_NOM 1, CHANGE_DIGIT 5.
    const Case cases[] = {
        {"3", 3, 3, 3},
        {"0", 0, 0, 5},
        {"5", 5, 5, 5},
        {"6", 6, 6, 5}, // the orders added after the first six
        {"9", 9, 9, 5},
        {"10", 0, 10, 5},
        {"-1", 0, 1, 5},
        {"+2", 2, 2, 2},
        {"007", 7, 7, 5},
        {"abc", 0, 1, 5},
        {"3.0", 0, 1, 5},
        {"0x3", 0, 1, 5},
        {"3 4", 0, 1, 5},
        {"", 0, 1, 5},
        {"--3", 0, 1, 5},
        {"+-3", 0, 1, 5},
        {"-", 0, 1, 5},
        {"３", 0, 1, 5},
        {"32000", 0, 32000, 5},
        {"32001", 0, 1, 5},
        {"99999999999999999999", 0, 1, 5},
    };
    for (const Case& c : cases) {
        const std::string v = c.text;
        const SettingsRecord record = readFrom("[SEARCH]\nSORT=" + v + "\n[CHANGE]\nCHANGE_NOM=" + v
                                               + "\nCHANGE_DIGIT=" + v + "\n");
        EXPECT_EQ(itemOfSortOrder(record.rename.sortOrder), c.sort) << "SORT=" << v;
        EXPECT_EQ(record.rename.startNumber, c.nom) << "CHANGE_NOM=" << v;
        EXPECT_EQ(record.rename.digits, c.digit) << "CHANGE_DIGIT=" << v;
    }
}

TEST_F(SettingsRecordTest, DateAndExtensionCaseKeysReadAndWriteBack)
{
    struct Case
    {
        const char* name;
        const char* lines; // of the CHANGE section
        DateSource source;
        const char* pattern;
        bool after, perDate;
        ExtensionCase extensionCase;
    };
    using D = DateSource;
    using E = ExtensionCase;
    const Case cases[] = {
        {"a file from before the keys", "UPPER=ON\n", D::None, "yyyyMMdd", false, false, E::AsIs},
        {"every key set",
         "DATE_SOURCE=SHOT\nDATE_FORMAT=yyyy-MM-dd\nDATE_AFTER=ON\nDATE_NUMBER=ON\nEXT_CASE="
         "LOWER\n",
         D::Shot, "yyyy-MM-dd", true, true, E::Lower},
        {"the other choices", "DATE_SOURCE=MODIFIED\nEXT_CASE=UPPER\n", D::Modified, "yyyyMMdd",
         false, false, E::Upper},
        {"words in other letters count as missing", "DATE_SOURCE=shot\nEXT_CASE=Lower\n", D::None,
         "yyyyMMdd", false, false, E::AsIs},
        {"a pattern no name can hold counts as missing", "DATE_FORMAT=yyyy/MM/dd\n", D::None,
         "yyyyMMdd", false, false, E::AsIs},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(m_ini);
        const SettingsRecord record = readFrom(std::string("[CHANGE]\n") + c.lines);
        EXPECT_EQ(record.rename.dateSource, c.source);
        EXPECT_EQ(record.rename.datePattern, c.pattern);
        EXPECT_EQ(record.rename.dateAfterIdentifier, c.after);
        EXPECT_EQ(record.rename.numberPerDate, c.perDate);
        EXPECT_EQ(record.rename.extensionCase, c.extensionCase);
        writeAndSave(record);
        EXPECT_EQ(read(), record);
    }
}

TEST_F(SettingsRecordTest, WindowPositionMayBeNegativeButStaysWithinScreenCoordinates)
{
    SettingsRecord record = readFrom("[OPTIONS]\nFORM_LEFT=-1200\nFORM_TOP=32767\n");
    EXPECT_EQ(record.formLeft, -1200) << "a screen left of the main one";
    EXPECT_EQ(record.formTop, 32767);

    record = readFrom("[OPTIONS]\nFORM_LEFT=32768\nFORM_TOP=12px\n");
    EXPECT_EQ(record.formLeft, 233);
    EXPECT_EQ(record.formTop, 104);

    record.formLeft = -5;
    writeAndSave(record);
    EXPECT_EQ(read().formLeft, -5);
}

TEST_F(SettingsRecordTest, HandEditedFileKeepsEveryOtherByte)
{
    const std::string original = "; settings of my own\r\n"
                                 "[Search]\r\n"
                                 "search_dir = /srv/in/\r\n"
                                 "# the sort I like\r\n"
                                 "SORT=2\r\n"
                                 "MY_NOTE=keep me\r\n"
                                 "\r\n"
                                 "[MINE]\r\n"
                                 "UPPER=ON\r\n"
                                 "\r\n"
                                 "[CHANGE]\r\n"
                                 "UPPER  =\tON\r\n"
                                 "[OPTIONS]\r\n"
                                 "FORM_LEFT=10\r\n"
                                 "; end";
    const SettingsRecord record = readFrom(original);
    EXPECT_EQ(record.searchDir, "/srv/in/");
    EXPECT_EQ(record.rename.sortOrder, SortOrder::NewestFirst);
    EXPECT_TRUE(record.rename.upperCase) << "the key of [CHANGE], not the one of [MINE]";
    EXPECT_EQ(record.formLeft, 10);

    writeAndSave(record);
    const std::string expected = "; settings of my own\r\n"
                                 "[Search]\r\n"
                                 "search_dir = /srv/in/\r\n"
                                 "# the sort I like\r\n"
                                 "SORT=2\r\n"
                                 "MY_NOTE=keep me\r\n"
                                 "SEARCH_EXT=txt\r\n"
                                 "\r\n"
                                 "[MINE]\r\n"
                                 "UPPER=ON\r\n"
                                 "\r\n"
                                 "[CHANGE]\r\n"
                                 "UPPER  =\tON\r\n"
                                 "CHANGE_DIR="
                                 + m_dir
                                 + "\r\n"
                                   "CHANGE_NAME=TOR\r\n"
                                   "CHANGE_NOM=1\r\n"
                                   "CHANGE_DIGIT=5\r\n"
                                   "CHANGE_EXT=txt\r\n"
                                   "CHANGE_MOVE=MOVE\r\n"
                                   "LOWWER=OFF\r\n"
                                   "PREVIEW=ON\r\n"
                                   "EXT_CASE=NONE\r\n"
                                   "DATE_SOURCE=NONE\r\n"
                                   "DATE_FORMAT=yyyyMMdd\r\n"
                                   "DATE_AFTER=OFF\r\n"
                                   "DATE_NUMBER=OFF\r\n"
                                   "[OPTIONS]\r\n"
                                   "FORM_LEFT=10\r\n"
                                   "HELP_HINT=ON\r\n"
                                   "DUPLICATE=OFF\r\n"
                                   "SAMENAME=OFF\r\n"
                                   "COLUMN=OFF\r\n"
                                   "COLUMNNAME=OFF\r\n"
                                   "EXT_CHECK=OFF\r\n"
                                   "BUTTONSIDE=ON\r\n"
                                   "HEIGHTSIZE=M\r\n"
                                   "FORM_TOP=104\r\n"
                                   "; end";
    EXPECT_EQ(contents(), expected);
    EXPECT_EQ(read(), record);
}

TEST_F(SettingsRecordTest, FileFromTheWindowsBuildIsReadAsCp932AndWrittenBackAsUtf8)
{
    const SettingsRecord record = readFrom("[CHANGE]\r\nCHANGE_NAME=" + sjisPhotoBase
                                           + "\r\nCHANGE_NOM=12\r\n"
                                             "[OPTIONS]\r\nHEIGHTSIZE=S\r\n");
    EXPECT_EQ(record.rename.identifier, "写真");
    EXPECT_EQ(record.rename.startNumber, 12);
    EXPECT_EQ(record.heightSize, 0);

    writeAndSave(record);
    const std::string text = contents();
    EXPECT_EQ(text.find(sjisPhotoBase), std::string::npos);
    EXPECT_NE(text.find("[CHANGE]\r\nCHANGE_NAME=写真\r\nCHANGE_NOM=12\r\n"), std::string::npos)
        << text;
    EXPECT_EQ(read(), record);
}

TEST_F(SettingsRecordTest, LongValueIsCutAtReadingButWrittenAsHeld)
{
    std::string longName;
    for (int i = 0; i < 5000; ++i)
        longName += "あ";
    SettingsRecord record = readFrom("[CHANGE]\nCHANGE_NAME=" + longName + "\nCHANGE_EXT=jpg\n");
    EXPECT_EQ(record.rename.identifier, longName.substr(0, 1023 * 3))
        << "1023 characters, none split";
    EXPECT_EQ(record.rename.extension, "jpg") << "the key after the long line is still found";

    record.rename.identifier = longName;
    writeAndSave(record);
    EXPECT_NE(contents().find("CHANGE_NAME=" + longName + "\n"), std::string::npos);
}

TEST_F(SettingsRecordTest, FolderThatIsNotUtf8KeepsTheValueOfTheFile)
{
    put("[SEARCH]\nSEARCH_DIR=/srv/old/\n");
    SettingsRecord record = read();
    record.searchDir = "/srv/" + sjisPhotoBase + "/";
    record.changeDir = "/srv/" + sjisPhotoBase + "/out/";
    record.rename.identifier = "TOR";
    record.rename.sortOrder = SortOrder::SmallestFirst;

    writeAndSave(record, {"SEARCH_DIR", "CHANGE_DIR"});
    const std::string text = contents();
    EXPECT_EQ(text.find(sjisPhotoBase), std::string::npos) << "the file stays UTF-8";
    const SettingsRecord again = read();
    EXPECT_EQ(again.searchDir, "/srv/old/");
    EXPECT_EQ(again.changeDir, m_dir) << "absent before, still absent";
    EXPECT_EQ(again.rename.sortOrder, SortOrder::SmallestFirst)
        << "the keys after a refused one are written";
    EXPECT_FALSE(ProfileFile::load(m_ini).hasKey("CHANGE", "CHANGE_DIR"));
}

TEST_F(SettingsRecordTest, TextWithALineBreakCannotInjectKeys)
{
    SettingsRecord record;
    record.searchDir = record.changeDir = m_dir;
    record.rename.identifier = "A\nUPPER=ON";
    writeAndSave(record, {"CHANGE_NAME"});
    const SettingsRecord again = read();
    EXPECT_EQ(again.rename.identifier, "TOR");
    EXPECT_FALSE(again.rename.upperCase);
}

// A settings file stores the sort box's item: every item of an older file
// keeps its order, and the box and the command line keep their words.
TEST(SortRows, ItemsKeepTheirOrdersLabelsAndWords)
{
    struct Item
    {
        SortOrder order;
        std::string_view label, word;
    };
    const Item items[] = {
        {SortOrder::NameUp, "ファイル名・正順", "name"},
        {SortOrder::NameDown, "ファイル名・逆順", "name-desc"},
        {SortOrder::NewestFirst, "新しい順", "newest"},
        {SortOrder::OldestFirst, "古い順", "oldest"},
        {SortOrder::SmallestFirst, "サイズ順・小→大", "smallest"},
        {SortOrder::LargestFirst, "サイズ順・大→小", "largest"},
        {SortOrder::NaturalUp, "ファイル名・自然順", "natural"},
        {SortOrder::NaturalDown, "ファイル名・自然逆順", "natural-desc"},
        {SortOrder::ShotOldestFirst, "撮影日時・古い順", "shot-oldest"},
        {SortOrder::ShotNewestFirst, "撮影日時・新しい順", "shot-newest"},
    };
    ASSERT_GE(sortRows().size(), std::size(items));
    for (int i = 0; i < static_cast<int>(std::size(items)); ++i) {
        const Item& item = items[i];
        EXPECT_EQ(sortOrderOfItem(i), item.order) << i;
        EXPECT_EQ(itemOfSortOrder(item.order), i) << i;
        EXPECT_EQ(sortRows()[static_cast<std::size_t>(i)].label, item.label) << i;
        EXPECT_EQ(sortOrderOfWord(item.word), item.order) << item.word;
    }
    EXPECT_EQ(sortOrderOfItem(-1), std::nullopt) << "the box with no item chosen";
    EXPECT_EQ(sortOrderOfItem(static_cast<int>(sortRows().size())), std::nullopt);
}

} // namespace
} // namespace torvel
