#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include "CliSession.h"
#include "common/HeldJournalFolder.h"
#include "RunJournal.h"
#include "SettingsRecord.h"
#include "common/SampleImages.h"
#include "common/SampleNames.h"
#include "common/ScratchDir.h"

using namespace torvel;

namespace {

using Names = std::vector<std::string>;

TEST(CliOptionsTest, WhatTheCommandLineSaysAndWhatItRefuses)
{
    struct Case
    {
        const char* name;
        Names args;
        const char* error; // "" when the line is good
    };
    const std::vector<Case> cases{
        {"a value after =, or as the next word", {"--start=7", "-d", "3", "a.jpg"}, ""},
        {"-- ends the options", {"--", "--start=7"}, ""},
        {"a start number outside 0..32000", {"--start=32001", "a"}, "開始番号は"},
        {"a digit count that is no number", {"-d", "3x", "a"}, "桁数は"},
        {"an unknown option", {"--frobnicate", "a"}, "不明なオプションです: --frobnicate"},
        {"a value missing at the end", {"a", "--identifier"}, "値がありません: --identifier"},
        {"an unknown order", {"--sort=random", "a"}, "並べ替えの順序がわかりません: random"},
        {"no files to work on", {"--upper"}, "ファイルまたはフォルダを指定してください。"},
        {"undo needs no files", {"--undo"}, ""},
        {"undo shows what it would do", {"--dry-run", "--undo"}, ""},
        {"undo takes back the last run, wherever", {"--undo", "photos"}, "--undo は"},
        {"a date from nowhere", {"--date=exif", "a"}, "日付の種類がわかりません: exif"},
        {"a date pattern no name can hold",
         {"--date-format=yyyy/MM/dd", "a"},
         "日付の書式にファイル名に使えない文字「/」があります: yyyy/MM/dd"},
        {"a date field that is none", {"--date-format", "yyyMMdd", "a"}, "日付の書式の「yyy」は"},
        {"a date pattern without a date", {"--date-format=photo", "a"}, "日付の書式に日付の部分"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string error;
        const std::optional<CliOptions> options = parseCliOptions(c.args, error);
        EXPECT_EQ(options.has_value(), std::string(c.error).empty());
        EXPECT_EQ(error.substr(0, std::string(c.error).size()), c.error);
    }
    std::string error;
    const auto options = parseCliOptions({"-s", "7", "--", "--start=7", "-e", ".PNG"}, error);
    ASSERT_TRUE(options);
    EXPECT_EQ(withOptions(commandLineDefaults(), *options).rename.startNumber, 7);
    EXPECT_EQ(options->paths, (Names{"--start=7", "-e", ".PNG"}));
}

class CommandLineTest : public ::testing::Test
{
protected:
    // answers: a terminal's lines; none, no terminal.
    CliExit run(const Names& args, std::istream* answers = nullptr)
    {
        out.str({});
        err.str({});
        std::string error;
        const std::optional<CliOptions> options = parseCliOptions(args, error);
        EXPECT_TRUE(options) << error;
        CliEnvironment env{settings.path() + "torvel.ini", settings.path(), state.path(),
                           files.path(), answers};
        return runCommandLine(*options, env, out, err);
    }

    ScratchDir files;
    ScratchDir settings;
    ScratchDir state;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(CommandLineTest, PreviewsRenamesAndTakesBackAFolderWithAShiftJisName)
{
    for (const std::string& name : {std::string("b.jpg"), std::string("a.jpg"), sjisPhoto})
        files.write(name, "from " + name);
    files.write("IMG03.jpg", "outside");

    const Names line{"-i", "IMG", "-d", "2", "--sort=name", "b.jpg", "a.jpg", files / sjisPhoto};
    Names preview = line;
    preview.push_back("--dry-run");
    EXPECT_EQ(run(preview), CliExit::Partly);
    EXPECT_EQ(out.str(), "a.jpg → IMG01.jpg\n"
                         "b.jpg → IMG02.jpg\n"
                         "写真.jpg → IMG03.jpg  ※新しい名前のファイルがすでにあります。実行すると、"
                         "ごみ箱に移動するか確認します。\n");
    EXPECT_EQ(files.names().size(), 4u); // a preview touches nothing

    // Nobody to ask: the outside file stays, and so does the row's file.
    EXPECT_EQ(run(line), CliExit::Partly);
    EXPECT_EQ(files.read("IMG01.jpg"), "from a.jpg");
    EXPECT_EQ(files.read("IMG02.jpg"), "from b.jpg");
    EXPECT_EQ(files.read("IMG03.jpg"), "outside");
    EXPECT_TRUE(files.has(sjisPhoto));
    EXPECT_NE(err.str().find("写真.jpg → IMG03.jpg"), std::string::npos) << err.str();
    EXPECT_EQ(out.str(),
              "2個のファイルを変換しました。1個は失敗。（torvel-cli --undo で元に戻せます）\n");

    EXPECT_EQ(run({"--undo", "--yes"}), CliExit::Done);
    EXPECT_EQ(files.names(), (Names{"IMG03.jpg", "a.jpg", "b.jpg", sjisPhoto}));
    EXPECT_EQ(run({"--undo"}), CliExit::Partly);
    EXPECT_EQ(err.str(), "元に戻せる実行はありません。\n");
}

TEST_F(CommandLineTest, MovesIntoAFolderAndStopsOnABadIdentifier)
{
    files.write("x.txt", "X");
    files.makeFolder("out");
    EXPECT_EQ(run({"-i", "a/b", "x.txt"}), CliExit::Partly);
    EXPECT_NE(err.str().find("識別名にファイル名に使えない文字"), std::string::npos) << err.str();
    EXPECT_EQ(run({"-i", "doc", "-d", "1", "--move", "out", "x.txt"}), CliExit::Done);
    EXPECT_EQ(files.names("out"), Names{"doc1.txt"});
    EXPECT_FALSE(files.has("x.txt"));
}

// --undo --dry-run touches nothing; a journal folder that is not the
// person's own, or that another run holds, stops a run before any file.
TEST_F(CommandLineTest, UndoPreviewsAndNothingRunsBesideAnotherRunOrInAFolderOfOthers)
{
    files.write("a.jpg", "A");
    ASSERT_EQ(run({"-i", "IMG", "-d", "1", "a.jpg"}), CliExit::Done);
    EXPECT_EQ(run({"--undo", "--dry-run"}), CliExit::Done);
    EXPECT_NE(out.str().find("IMG1.jpg → a.jpg"), std::string::npos) << out.str();
    EXPECT_EQ(files.names(), Names{"IMG1.jpg"});

    ASSERT_EQ(::chmod(state.path().c_str(), 0770), 0);
    EXPECT_EQ(run({"--undo"}), CliExit::Partly);
    EXPECT_NE(err.str().find(state.path()), std::string::npos) << err.str();
    EXPECT_EQ(run({"-i", "X", "IMG1.jpg"}), CliExit::Partly);
    EXPECT_EQ(files.names(), Names{"IMG1.jpg"});
    ASSERT_EQ(::chmod(state.path().c_str(), 0700), 0);

    test::HeldJournalFolder other(state.path());
    EXPECT_EQ(run({"--undo"}), CliExit::Partly);
    EXPECT_NE(err.str().find("ほかの実行"), std::string::npos) << err.str();
    EXPECT_EQ(run({"-i", "X", "IMG1.jpg"}), CliExit::Partly);
    EXPECT_EQ(files.names(), Names{"IMG1.jpg"});
    other.release();
    EXPECT_EQ(run({"--undo", "--yes"}), CliExit::Done);
    EXPECT_EQ(files.names(), Names{"a.jpg"});
}

// Options not given take the documented defaults, whatever the window left
// in its settings; a settings file is read only when named, and a preview
// says which.
TEST_F(CommandLineTest, StartsFromItsOwnDefaultsAndReadsSettingsOnlyWhenAsked)
{
    // The window left 桁を揃える on, numbering from 2 in two digits.
    settings.write("torvel.ini", "[CHANGE]\nCHANGE_NAME=WIN\nCHANGE_NOM=2\nCHANGE_DIGIT=2\n"
                                 "[OPTIONS]\nCOLUMN=ON\n");
    settings.write("other.ini", "[CHANGE]\nCHANGE_NOM=5\nCHANGE_DIGIT=3\n");
    files.write("p7.jpg", "7");
    files.write(sjisPhoto, "photo");
    const std::string defaults = "設定ファイルは使わず、既定値を使います。\n";
    struct Case
    {
        const char* name;
        Names args;
        CliExit exit;
        std::string out;
        std::string err;
    };
    const Case cases[] = {
        {"the defaults",
         {"-i", "CLI"},
         CliExit::Done,
         "p7.jpg → CLI00001.jpg\n写真.jpg → CLI00002.jpg\n",
         defaults},
        {"the window's settings",
         {"--settings", "-i", "CLI"},
         CliExit::Done,
         "p7.jpg → p07.jpg\n写真.jpg → 写真.jpg\n",
         "設定ファイル " + settings / "torvel.ini" + " の値を使います。\n"},
        {"a settings file named",
         {"--settings=" + settings / "other.ini", "-i", "CLI"},
         CliExit::Done,
         "p7.jpg → CLI005.jpg\n写真.jpg → CLI006.jpg\n",
         "設定ファイル " + settings / "other.ini" + " の値を使います。\n"},
        {"no identifier",
         {},
         CliExit::Usage,
         "",
         defaults + "識別名を -i で指定してください（ファイル名の末尾の数字を使うときは -k）。\n"},
        {"a settings file that is not there",
         {"--settings=" + settings / "none.ini", "-i", "CLI"},
         CliExit::Partly,
         "",
         "設定ファイルがありません: " + settings / "none.ini" + "\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Names args = c.args;
        args.insert(args.end(), {"--dry-run", files.path()});
        EXPECT_EQ(run(args), c.exit);
        EXPECT_EQ(out.str(), c.out);
        EXPECT_EQ(err.str(), c.err);
    }
}

// --undo names the run it would take back, with the program that made it,
// and takes it back only on a yes: never unasked, never without a terminal
// unless --yes says so.
TEST_F(CommandLineTest, UndoNamesTheRunAndItsProgramAndTakesItBackOnlyOnAYes)
{
    files.write(sjisPhoto, "photo");
    ASSERT_EQ(run({"-i", "IMG", "-d", "1", sjisPhoto}), CliExit::Done);
    // The run as the window's journal names it.
    const std::string journal = journalPaths(state.path()).back();
    std::string text = state.read(journal.substr(state.path().size()));
    const std::size_t by = text.find("\nby ");
    ASSERT_NE(by, std::string::npos);
    text.replace(by, text.find('\n', by + 1) - by, "\nby torvel");
    std::ofstream(journal, std::ios::trunc) << text;

    struct Case
    {
        const char* name;
        const char* answers; // none: no terminal
        CliExit exit;
        Names files;
        std::string said; // on stderr
    };
    const Case cases[] = {
        {"nobody to ask", nullptr, CliExit::Usage, {"IMG1.jpg"}, "--yes を付けてください。"},
        {"the person says no", "n\n", CliExit::Partly, {"IMG1.jpg"}, "元に戻しませんでした。"},
        {"the person says yes", "y\n", CliExit::Done, {sjisPhoto}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::istringstream answers(c.answers != nullptr ? c.answers : "");
        EXPECT_EQ(run({"--undo"}, c.answers != nullptr ? &answers : nullptr), c.exit);
        EXPECT_EQ(files.names(), c.files);
        for (const std::string& line :
             {std::string("で行った 1 個のファイルの名前の変更を元に戻しますか？"),
              std::string("実行したプログラム: TORVEL のウィンドウ (torvel)"), c.said})
            EXPECT_NE(err.str().find(line), std::string::npos) << err.str();
    }
    EXPECT_EQ(out.str(), "1個のファイルを元に戻しました。\n");
}

// Input that names nothing, or a name no file can hold, is named in the
// message, by a preview too, and no file is touched.
TEST_F(CommandLineTest, BadInputIsNamedAndTouchesNothing)
{
    files.write("a.jpg", "A");
    files.makeFolder("empty");
    struct Case
    {
        const char* name;
        Names args;
        CliExit exit;
        std::string err;
    };
    const Case cases[] = {
        {"a folder to move to that is not there, previewed",
         {"-n", "--move=gone", "a.jpg"},
         CliExit::Partly,
         "保存先のフォルダがありません: " + files / "gone"},
        {"a folder to copy to that is not there",
         {"--copy", "gone", "a.jpg"},
         CliExit::Partly,
         "保存先のフォルダがありません: " + files / "gone"},
        {"a file to move into",
         {"--move", "a.jpg", "a.jpg"},
         CliExit::Partly,
         "保存先はフォルダではありません: " + files / "a.jpg"},
        {"an extension a name cannot hold",
         {"-e", "j/p", "a.jpg"},
         CliExit::Usage,
         "拡張子にファイル名に使えない文字が含まれています: j/p"},
        {"a folder that is not there",
         {"gone/"},
         CliExit::Partly,
         "フォルダがありません: " + files / "gone/"},
        {"a file in a folder that is not there",
         {"gone/" + sjisPhoto},
         CliExit::Partly,
         "フォルダがありません: " + files / "gone/"},
        {"a name that is not there",
         {"b.jpg"},
         CliExit::Partly,
         "ファイルまたはフォルダがありません: " + files / "b.jpg"},
        {"an empty folder",
         {"empty"},
         CliExit::Partly,
         "フォルダにファイルがありません: " + files / "empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Names args{"-i", "X"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(run(args), c.exit);
        EXPECT_EQ(err.str(), c.err + "\n");
        EXPECT_EQ(out.str(), "");
        EXPECT_EQ(files.names(), (Names{"a.jpg", "empty"}));
    }
}

// A burst of photos within one second, numbered by their shooting date: the
// frames keep the camera's order, and a second run finds every name right.
TEST_F(CommandLineTest, ABurstKeepsTheCamerasOrderAndASecondRunRenamesNothing)
{
    const auto inode = [this](const std::string& name) {
        struct stat st
        {};
        return ::stat((files / name).c_str(), &st) == 0 ? st.st_ino : 0;
    };
    const test::ExifTags second = {{"Exif.Photo.DateTimeOriginal", "2023:08:01 12:00:00"}};
    test::ExifTags later = second; // its sub-second puts it after the others
    later.emplace("Exif.Photo.SubSecTimeOriginal", "50");
    std::map<std::string, ino_t> frames;
    for (const char* name : {"IMG_0102.jpg", "IMG_0100.jpg", "IMG_0103.jpg", "IMG_0101.jpg"}) {
        test::writeJpeg(files / name, name == std::string("IMG_0100.jpg") ? later : second);
        frames[name] = inode(name);
    }
    const Names line{"-i", "P", "-d", "1", "--sort=shot-oldest", files.path()};
    const std::vector<ino_t> numbered = {frames["IMG_0101.jpg"], frames["IMG_0102.jpg"],
                                         frames["IMG_0103.jpg"], frames["IMG_0100.jpg"]};
    for (const char* pass : {"first run", "second run"}) {
        SCOPED_TRACE(pass);
        EXPECT_EQ(run(line), CliExit::Done) << err.str();
        EXPECT_EQ((std::vector<ino_t>{inode("P1.jpg"), inode("P2.jpg"), inode("P3.jpg"),
                                      inode("P4.jpg")}),
                  numbered);
    }
}

// A day's photos numbered by their shooting date, one series a day; a file
// without a shooting date is named by its time stamp, and said so.
TEST_F(CommandLineTest, ASeriesPerShootingDay)
{
    const auto shotOn = [](const char* date) {
        return test::ExifTags{{"Exif.Photo.DateTimeOriginal", date}};
    };
    test::writeJpeg(files / "a.jpg", shotOn("2024:05:03 10:00:00"));
    test::writeJpeg(files / "b.jpg", shotOn("2024:05:04 09:00:00"));
    test::writeJpeg(files / "c.jpg", shotOn("2024:05:03 18:00:00"));
    test::writeJpeg(files / "d.jpg");
    const auto inode = [this](const std::string& name) {
        struct stat st
        {};
        return ::stat((files / name).c_str(), &st) == 0 ? st.st_ino : 0;
    };
    const ino_t cInode = inode("c.jpg");
    const timespec noonOn4th[2] = {{0, UTIME_OMIT}, {1'714'791'600, 0}}; // 12:00 in Japan
    ASSERT_EQ(::utimensat(AT_FDCWD, (files / "d.jpg").c_str(), noonOn4th, 0), 0);

    EXPECT_EQ(run({"-i", "ID_", "-d", "3", "--date=shot", "--number-per-date", files.path()}),
              CliExit::Done)
        << err.str();
    EXPECT_EQ(files.names(), (Names{"20240503_ID_001.jpg", "20240503_ID_002.jpg",
                                    "20240504_ID_001.jpg", "20240504_ID_002.jpg"}));
    EXPECT_EQ(inode("20240503_ID_002.jpg"), cInode) << "c.jpg, after a.jpg in name order";
    EXPECT_NE(err.str().find("1個のファイルは撮影日時がないため、更新日時を使いました。"),
              std::string::npos)
        << err.str();
}

} // namespace
