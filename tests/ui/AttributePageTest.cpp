// The attribute page: the groups filled from the first file, only the groups
// the person changed applied, and the run over real files.
#include <QAction>
#include <QDateTime>
#include <QGroupBox>
#include <QRadioButton>

#include <fstream>

#include "FileAttributes.h"
#include "FolderHandle.h"
#include "PagesFixture.h"
#include "common/NoUserXattrVolume.h"
#include "common/SampleNames.h"

namespace torvel::testing {
namespace {

class AttributePage : public ::testing::Test
{
protected:
    int tag(const char* group) const
    {
        return child<QGroupBox>(form, group)->property("Tag").toInt();
    }
    bool checked(const char* item) const { return child<QRadioButton>(form, item)->isChecked(); }
    void choose(const char* item) { child<QRadioButton>(form, item)->click(); }

    std::uint32_t attributesOf(const std::string& name) const
    {
        FolderHandle dir(form.folder.path());
        std::uint32_t word = 0;
        EXPECT_EQ(readAttributes(dir, name, word), 0) << displayName(name);
        return word;
    }

    PagesForm form;
};

TEST_F(AttributePage, TheGroupsShowTheFirstFileAndStartUntouched)
{
    form.makeFile("a.txt");
    form.makeFile("b.txt");
    ASSERT_TRUE(storeDosAttrib(form.folder / "a.txt", "0x3")); // hidden, read-only
    ASSERT_EQ(::chmod((form.folder / "a.txt").c_str(), 0444), 0);
    form.listFiles({"b.txt", "a.txt"});

    child<QAction>(form, "P1")->trigger();
    EXPECT_TRUE(checked("RadioGroup4Item0"));
    EXPECT_TRUE(checked("RadioGroup5Item0"));
    EXPECT_TRUE(checked("RadioGroup6Item1")) << "the stored word has no archive bit";
    EXPECT_EQ(tag("RadioGroup4"), 1);
    EXPECT_EQ(tag("RadioGroup5"), 2);
    EXPECT_EQ(tag("RadioGroup6"), 3);
    EXPECT_EQ(child<QGroupBox>(form, "RadioGroup5")->title(), QStringLiteral(" 隠しファイル "));
    EXPECT_EQ(child<QRadioButton>(form, "RadioGroup6Item1")->text(), QStringLiteral("解除"));
}

// The first file has archive set, so the group shows "設定" already; choosing
// it still asks for archive on every file, and only a file that lacked it
// counts as converted.
TEST_F(AttributePage, ChoosingWhatTheFirstFileShowsReachesEveryFileAndCountsOnlyRealChanges)
{
    form.makeFile("a.txt"); // nothing stored: archive
    form.makeFile(sjisPhoto);
    ASSERT_TRUE(storeDosAttrib(form.folder / sjisPhoto, "0x0"));
    form.listFiles({"a.txt", sjisPhoto});
    form.watchStatusLine();
    form.P1Click();
    ASSERT_TRUE(checked("RadioGroup6Item0"));

    choose("RadioGroup6Item0");
    form.TorvelButtonClick();

    EXPECT_EQ(attributesOf(sjisPhoto), FileAttr::Archive);
    EXPECT_TRUE(form.statuses.contains(QStringLiteral("1個のファイルを変換しました。")))
        << form.statuses.join('\n').toStdString();
    EXPECT_TRUE(form.failures.isEmpty());
    EXPECT_EQ(tag("RadioGroup6"), 3) << "untouched again after the run";
}

// A volume that stores no user attributes refuses hidden for every file: one
// box at the end lists them, and the count leaves them out.
TEST_F(AttributePage, FilesAVolumeRefusesAreListedInOneBox)
{
    NoUserXattrVolume volume;
    if (!volume.ready())
        GTEST_SKIP() << volume.why();
    std::vector<std::string> names = {sjisPhoto};
    for (int i = 1; i < 20; ++i)
        names.push_back("f" + std::to_string(100 + i) + ".txt");
    for (const std::string& name : names)
        std::ofstream(volume.path() + name).put('x');
    form.listFiles(names, volume.path());
    form.P1Click();
    choose("RadioGroup5Item0");
    form.TorvelButtonClick();

    ASSERT_EQ(form.failures.size(), 1);
    const QString box = form.failures[0];
    EXPECT_TRUE(box.startsWith(QStringLiteral("次の 20 個のファイルは変更できませんでした。\n"
                                              "\nf101.txt：このドライブには属性を保存できません")))
        << box.toStdString();
    EXPECT_TRUE(box.endsWith(QStringLiteral("\n写真.jpg：このドライブには属性を保存できません")))
        << box.toStdString();
    EXPECT_EQ(form.statusAtFailure, QStringList{QStringLiteral("0個のファイルを変換しました。")});
}

TEST_F(AttributePage, ARunSetsHiddenAndKeepsEveryOtherBit)
{
    const std::vector<std::string> names = {"a.txt", "b.txt", sjisPhoto};
    for (const std::string& name : names)
        form.makeFile(name);
    ASSERT_TRUE(storeDosAttrib(form.folder / "a.txt", "0x24")); // system, archive
    ASSERT_TRUE(storeDosAttrib(form.folder / "b.txt", "0x0"));
    ASSERT_EQ(::chmod((form.folder / sjisPhoto).c_str(), 0444), 0);
    form.listFiles(names);
    form.TSheetPro();
    ASSERT_TRUE(checked("RadioGroup5Item1"));

    choose("RadioGroup5Item0");
    EXPECT_EQ(countsOf(form.Attr_Change()), RunCounts(3, 0, true));

    EXPECT_EQ(attributesOf("a.txt"), FileAttr::System | FileAttr::Archive | FileAttr::Hidden);
    EXPECT_EQ(storedDosAttrib(form.folder / "a.txt"), "0x26");
    EXPECT_EQ(attributesOf("b.txt"), FileAttr::Hidden);
    EXPECT_EQ(attributesOf(sjisPhoto), FileAttr::ReadOnly | FileAttr::Archive | FileAttr::Hidden);
    EXPECT_EQ(statOf(form.folder / sjisPhoto).st_mode & 0777, 0444u) << "still read-only";
    EXPECT_EQ(tag("RadioGroup5"), 2) << "all groups untouched after the run";
}

TEST_F(AttributePage, WithoutAChangedGroupNoFileIsTouched)
{
    form.makeFile("a.txt");
    form.listFiles({"a.txt"});
    form.TSheetPro();
    choose("RadioGroup5Item0");
    form.SetRadio5(); // a redraw forgets the choice
    const struct stat before = statOf(form.folder / "a.txt");
    EXPECT_EQ(countsOf(form.Attr_Change()), RunCounts(0, 0, false));
    const struct stat after = statOf(form.folder / "a.txt");
    EXPECT_EQ(after.st_ctim.tv_sec, before.st_ctim.tv_sec);
    EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
    EXPECT_EQ(storedDosAttrib(form.folder / "a.txt"), "");
}

TEST_F(AttributePage, ClearingReadOnlyLetsTheStampRunChangeTheFile)
{
    form.makeFile(sjisTable);
    ASSERT_EQ(::chmod((form.folder / sjisTable).c_str(), 0444), 0);
    form.listFiles({sjisTable});
    form.TSheetPro();
    ASSERT_TRUE(checked("RadioGroup4Item0"));
    choose("RadioGroup4Item1");
    EXPECT_EQ(countsOf(form.Attr_Change()), RunCounts(1, 0, true));
    EXPECT_NE(statOf(form.folder / sjisTable).st_mode & 0200, 0u);

    form.TSheetDate(QDateTime(QDate(2018, 8, 9), QTime(10, 11, 12)));
    EXPECT_EQ(countsOf(form.Date_Change()), RunCounts(1, 0, true));
    EXPECT_EQ(statOf(form.folder / sjisTable).st_mtim.tv_sec, localInstant(2018, 8, 9, 10, 11, 12));
}

} // namespace
} // namespace torvel::testing
