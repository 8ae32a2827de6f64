// The attribute page: the groups filled from the first file, only the groups
// the person changed applied, and the run over real files.
#include <QAction>
#include <QDateTime>
#include <QGroupBox>
#include <QRadioButton>

#include "FileAttributes.h"
#include "FolderHandle.h"
#include "PagesFixture.h"

namespace torvel::testing {
namespace {

class AttributePage : public ::testing::Test
{
protected:
    int tag(const char* group) const { return child<QGroupBox>(form, group)->property("Tag").toInt(); }
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
    ASSERT_TRUE(storeDosAttrib(form.folder / "a.txt", "0x3"));  // hidden, read-only
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

TEST_F(AttributePage, OnlyAGroupWhoseChoiceChangedIsMarked)
{
    form.SetRadio5();
    choose("RadioGroup4Item1");  // already chosen
    EXPECT_EQ(tag("RadioGroup4"), 1);
    choose("RadioGroup4Item0");
    choose("RadioGroup4Item1");  // back again: still a change
    EXPECT_EQ(tag("RadioGroup4"), 11);
    choose("RadioGroup6Item1");
    EXPECT_EQ(tag("RadioGroup6"), 13);
    EXPECT_EQ(tag("RadioGroup5"), 2);
}

TEST_F(AttributePage, ARunSetsHiddenAndKeepsEveryOtherBit)
{
    const std::vector<std::string> names = {"a.txt", "b.txt", photoSjis};
    for (const std::string& name : names)
        form.makeFile(name);
    ASSERT_TRUE(storeDosAttrib(form.folder / "a.txt", "0x24"));  // system, archive
    ASSERT_TRUE(storeDosAttrib(form.folder / "b.txt", "0x0"));
    ASSERT_EQ(::chmod((form.folder / photoSjis).c_str(), 0444), 0);
    form.listFiles(names);
    form.TSheetPro();
    ASSERT_TRUE(checked("RadioGroup5Item1"));

    choose("RadioGroup5Item0");
    form.Attr_Change();

    EXPECT_TRUE(form.failures.isEmpty()) << form.failures.join('\n').toStdString();
    EXPECT_EQ(attributesOf("a.txt"), FileAttr::System | FileAttr::Archive | FileAttr::Hidden);
    EXPECT_EQ(storedDosAttrib(form.folder / "a.txt"), "0x26");
    EXPECT_EQ(attributesOf("b.txt"), FileAttr::Hidden);
    EXPECT_EQ(attributesOf(photoSjis), FileAttr::ReadOnly | FileAttr::Archive | FileAttr::Hidden);
    EXPECT_EQ(statOf(form.folder / photoSjis).st_mode & 0777, 0444u) << "still read-only";
    EXPECT_EQ(tag("RadioGroup5"), 2) << "all groups untouched after the run";
}

TEST_F(AttributePage, WithoutAChangedGroupNoFileIsTouched)
{
    form.makeFile("a.txt");
    form.listFiles({"a.txt"});
    form.TSheetPro();
    choose("RadioGroup5Item0");
    form.SetRadio5();  // a redraw forgets the choice
    const struct stat before = statOf(form.folder / "a.txt");
    form.Attr_Change();
    const struct stat after = statOf(form.folder / "a.txt");
    EXPECT_EQ(after.st_ctim.tv_sec, before.st_ctim.tv_sec);
    EXPECT_EQ(after.st_ctim.tv_nsec, before.st_ctim.tv_nsec);
    EXPECT_EQ(storedDosAttrib(form.folder / "a.txt"), "");
}

TEST_F(AttributePage, ClearingReadOnlyLetsTheStampRunChangeTheFile)
{
    form.makeFile(tableSjis);
    ASSERT_EQ(::chmod((form.folder / tableSjis).c_str(), 0444), 0);
    form.listFiles({tableSjis});
    form.TSheetPro();
    ASSERT_TRUE(checked("RadioGroup4Item0"));
    choose("RadioGroup4Item1");
    form.Attr_Change();
    EXPECT_NE(statOf(form.folder / tableSjis).st_mode & 0200, 0u);

    form.TSheetDate(QDateTime(QDate(2018, 8, 9), QTime(10, 11, 12)));
    EXPECT_TRUE(form.Date_Change());
    EXPECT_TRUE(form.failures.isEmpty());
    EXPECT_EQ(statOf(form.folder / tableSjis).st_mtim.tv_sec, localInstant(2018, 8, 9, 10, 11, 12));
}

} // namespace
} // namespace torvel::testing
