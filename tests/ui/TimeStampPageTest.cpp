// The time stamp page: filled from a file's stamp or the clock, the date edit
// and the year, month and day boxes kept in step, the boxes' spin buttons, and
// the run over real files.
#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>

#include "DateEdit.h"
#include "PagesFixture.h"
#include "Screenshot.h"
#include "UpDown.h"
#include "common/SampleImages.h"
#include "common/SampleNames.h"

namespace torvel::testing {
namespace {

class TimeStampPage : public ::testing::Test
{
protected:
    TimeStampPage()
    {
        date = child<TDateEdit>(form, "DateEdit1");
        year = child<QLineEdit>(form, "SpinEdit3");
        month = child<QLineEdit>(form, "SpinEdit4");
        day = child<QLineEdit>(form, "SpinEdit5");
        hour = child<QSpinBox>(form, "SpinEdit6");
        minute = child<QSpinBox>(form, "SpinEdit7");
        second = child<QSpinBox>(form, "SpinEdit8");
    }

    void setPage(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
    {
        form.TSheetDate(QDateTime(QDate(y, mo, d), QTime(h, mi, s)));
    }

    // What the page shows, boxes and date edit side by side.
    std::string shownDate() const
    {
        return (year->text() + "/" + month->text() + "/" + day->text() + " " + date->text())
            .toStdString();
    }

    void step(const char* button, bool up)
    {
        auto* spin = child<UpDown>(form, button);
        if (up)
            spin->stepUp();
        else
            spin->stepDown();
    }

    PagesForm form;
    TDateEdit* date = nullptr;
    QLineEdit* year = nullptr;
    QLineEdit* month = nullptr;
    QLineEdit* day = nullptr;
    QSpinBox* hour = nullptr;
    QSpinBox* minute = nullptr;
    QSpinBox* second = nullptr;
};

TEST_F(TimeStampPage, TheFormHoldsItsStoredDateUntilThePageSetsOne)
{
    EXPECT_EQ(date->text(), "2099/02/28");
    EXPECT_FALSE(date->D_Gengo());
    EXPECT_EQ(date->D_GengoList().size(), 5);
    EXPECT_EQ(date->D_GengoList().back(), "R=2019/05/01");
}

TEST_F(TimeStampPage, EnteringThePageShowsTheFirstFilesStampAndARowShowsItsOwn)
{
    form.makeFile("a.jpg");
    form.makeFile(sjisPhoto);
    // The odd second is shown as the even second below, as the stamp holds it.
    setTimes(form.folder / "a.jpg", localInstant(2021, 3, 14, 13, 45, 7),
             localInstant(2022, 1, 1, 0, 0, 0));
    setTimes(form.folder / sjisPhoto, localInstant(1999, 12, 31, 23, 59, 58), 0);
    form.listFiles({sjisPhoto, "a.jpg"});
    ASSERT_EQ(form.fileList().GetFileName(0), "a.jpg");

    child<QAction>(form, "D1")->trigger();
    EXPECT_EQ(shownDate(), "2021/3/14 2021/03/14");
    EXPECT_EQ(date->D_Year(), 2021);
    EXPECT_EQ(date->D_Month(), 3);
    EXPECT_EQ(date->D_Day(), 14);
    EXPECT_EQ(hour->value(), 13);
    EXPECT_EQ(minute->value(), 45);
    EXPECT_EQ(second->value(), 6);

    form.pTimeClick(2);
    EXPECT_EQ(shownDate(), "1999/12/31 1999/12/31");
    EXPECT_EQ(hour->value(), 23);
    EXPECT_EQ(second->value(), 58);

    form.pTimeClick(0); // the header row
    form.pTimeClick(3); // past the last file
    EXPECT_EQ(shownDate(), "1999/12/31 1999/12/31");
}

TEST_F(TimeStampPage, DateEditAndBoxesFollowEachOther)
{
    setPage(2001, 5, 20);
    EXPECT_EQ(shownDate(), "2001/5/20 2001/05/20");

    // A date typed into the date edit counts once it is read back (Enter),
    // and the day is pulled back into February.
    date->setCursorPosition(0);
    typeInto(date, "20000231");
    EXPECT_EQ(year->text(), "2001") << "not read back yet";
    pressKey(date, Qt::Key_Return);
    EXPECT_EQ(shownDate(), "2000/2/29 2000/02/29");

    // A year of fewer than four characters is left alone until it is whole.
    retype(year, "19");
    EXPECT_EQ(date->D_Year(), 2000);
    typeInto(year, "99");
    EXPECT_EQ(shownDate(), "1999/2/28 1999/02/28") << "29 February does not exist in 1999";

    // A refused month puts the box back to the date edit's month.
    retype(month, "1");
    EXPECT_EQ(shownDate(), "1999/1/28 1999/01/28");
    typeInto(month, "3");
    EXPECT_EQ(shownDate(), "1999/1/28 1999/01/28") << "13 is no month";

    retype(day, "31");
    EXPECT_EQ(shownDate(), "1999/1/31 1999/01/31");
    retype(year, "1867");
    EXPECT_EQ(shownDate(), "1999/1/31 1999/01/31") << "before 1868 is refused";
    EXPECT_TRUE(form.messages.isEmpty());
}

TEST_F(TimeStampPage, SpinButtonsStopAtTheBoundsInsteadOfWrapping)
{
    setPage(2023, 2, 27);
    step("SpinButton3", true);
    EXPECT_EQ(shownDate(), "2023/2/28 2023/02/28");
    step("SpinButton3", true);
    EXPECT_EQ(shownDate(), "2023/2/28 2023/02/28");

    setPage(2024, 2, 28);
    step("SpinButton3", true);
    step("SpinButton3", true);
    EXPECT_EQ(shownDate(), "2024/2/29 2024/02/29");
    step("SpinButton3", false);
    EXPECT_EQ(shownDate(), "2024/2/28 2024/02/28");

    setPage(2024, 12, 1);
    step("SpinButton2", true);
    EXPECT_EQ(shownDate(), "2024/12/1 2024/12/01");
    setPage(2024, 1, 31);
    step("SpinButton2", false);
    EXPECT_EQ(shownDate(), "2024/1/31 2024/01/31");
    step("SpinButton2", true);
    EXPECT_EQ(shownDate(), "2024/2/29 2024/02/29") << "the day is pulled into February";

    setPage(2099, 6, 1);
    step("SpinButton1", true);
    EXPECT_EQ(shownDate(), "2099/6/1 2099/06/01");
    setPage(1868, 6, 1);
    step("SpinButton1", false);
    EXPECT_EQ(shownDate(), "1868/6/1 1868/06/01");
    step("SpinButton1", true);
    EXPECT_EQ(shownDate(), "1869/6/1 1869/06/01");
    EXPECT_TRUE(form.messages.isEmpty());
}

TEST_F(TimeStampPage, TextThatIsNoWholeNumberIsReportedAndChangesNothing)
{
    setPage(2010, 7, 8);
    retype(month, QStringLiteral("１")); // a full-width digit
    ASSERT_EQ(form.messages.size(), 1);
    EXPECT_EQ(form.messages.front(), QStringLiteral("'１' は整数ではありません"));
    EXPECT_EQ(date->text(), "2010/07/08");

    retype(day, "x");
    step("SpinButton3", true);
    ASSERT_EQ(form.messages.size(), 3) << "the box, then the spin button";
    EXPECT_EQ(form.messages.back(), QStringLiteral("'x' は整数ではありません"));
    EXPECT_EQ(date->text(), "2010/07/08");
    EXPECT_EQ(day->text(), "x");

    // The year box reads its text only once it has four characters.
    retype(year, QStringLiteral("２０"));
    EXPECT_EQ(form.messages.size(), 3);
    typeInto(year, QStringLiteral("１０"));
    EXPECT_EQ(form.messages.size(), 4);
    EXPECT_EQ(date->D_Year(), 2010);
}

TEST_F(TimeStampPage, TheButtonSetsTheCurrentDateAndTime)
{
    setPage(1990, 1, 2, 3, 4, 5);
    const QDateTime before = QDateTime::currentDateTime();
    child<QPushButton>(form, "DateButton")->click();
    const QDateTime after = QDateTime::currentDateTime();
    const QDateTime shownAt(QDate(date->D_Year(), date->D_Month(), date->D_Day()),
                            QTime(hour->value(), minute->value(), second->value()));
    EXPECT_GE(shownAt, before.addMSecs(-before.time().msec()));
    EXPECT_LE(shownAt, after);
    EXPECT_EQ(year->text().toInt(), date->D_Year());
}

TEST_F(TimeStampPage, ARunGivesEveryListedFileTheComposedStamp)
{
    const std::vector<std::string> names = {"a.jpg", sjisPhoto, sjisTable};
    const std::int64_t accessed = localInstant(2015, 6, 1, 8, 0, 0);
    for (const std::string& name : names) {
        form.makeFile(name);
        setTimes(form.folder / name, localInstant(2000, 1, 1, 0, 0, 0), accessed);
    }
    form.listFiles(names);
    setPage(2021, 3, 14, 13, 45, 7);

    EXPECT_EQ(countsOf(form.Date_Change()), RunCounts(3, 0, true));
    for (const std::string& name : names) {
        const struct stat st = statOf(form.folder / name);
        EXPECT_EQ(st.st_mtim.tv_sec, localInstant(2021, 3, 14, 13, 45, 6)) << displayName(name);
        EXPECT_EQ(st.st_mtim.tv_nsec, 0);
        EXPECT_EQ(st.st_atim.tv_sec, accessed) << "the access time stays";
    }
    EXPECT_FALSE(child<QProgressBar>(form, "ProgressBar1")->isVisibleTo(&form));
}

TEST_F(TimeStampPage, ReadOnlyFilesAreListedInOneBoxAtTheEndAndLeftOutOfTheCount)
{
    const std::int64_t old = localInstant(2000, 1, 1, 0, 0, 0);
    const std::vector<std::string> names = {"a.jpg", "b.jpg", sjisPhoto, sjisTable};
    for (const std::string& name : names) {
        form.makeFile(name);
        setTimes(form.folder / name, old, old);
        if (name != "a.jpg") {
            ASSERT_EQ(::chmod((form.folder / name).c_str(), 0444), 0);
        }
    }
    form.listFiles(names);
    form.D1Click();
    setPage(2020, 2, 29, 12, 0, 0);

    form.TorvelButtonClick();

    EXPECT_EQ(form.failures,
              QStringList{QStringLiteral("次の 3 個のファイルは変更できませんでした。\n"
                                         "\nb.jpg：ﾌｧｲﾙへのｱｸｾｽが拒否されました"
                                         "\n写真.jpg：ﾌｧｲﾙへのｱｸｾｽが拒否されました"
                                         "\n表.txt：ﾌｧｲﾙへのｱｸｾｽが拒否されました")});
    EXPECT_EQ(form.statusAtFailure, QStringList{QStringLiteral("1個のファイルを変換しました。")});
    for (const std::string& name : {std::string("b.jpg"), sjisPhoto, sjisTable})
        EXPECT_EQ(statOf(form.folder / name).st_mtim.tv_sec, old) << displayName(name);
    EXPECT_EQ(statOf(form.folder / "a.jpg").st_mtim.tv_sec, localInstant(2020, 2, 29, 12, 0, 0));
}

TEST_F(TimeStampPage, TheShootingDateChoiceStampsEachFileWithItsOwnAndReportsTheRest)
{
    const std::int64_t old = localInstant(2000, 1, 1, 0, 0, 0);
    const char* original = "Exif.Photo.DateTimeOriginal";
    test::writeJpeg(form.folder / "b.jpg",
                    {{original, "2019:05:05 10:00:01"}, {"Exif.Photo.SubSecTimeOriginal", "30"}});
    test::writeJpeg(form.folder / "c.jpg", {{original, "2021:12:24 18:30:00"}});
    test::writeJpeg(form.folder / "a.jpg");
    test::writeJpeg(form.folder / sjisPhoto, {{original, "1975:05:05 10:00:00"}});
    const std::vector<std::string> names = {"c.jpg", "b.jpg", "a.jpg", sjisPhoto};
    for (const std::string& name : names)
        setTimes(form.folder / name, old, old);
    form.listFiles(names);
    form.D1Click();
    child<QCheckBox>(form, "ShotDateCheck")->setChecked(true);
    EXPECT_FALSE(date->isEnabled()) << "the page's own date stands aside";
    EXPECT_FALSE(hour->isEnabled());
    grabShot(form, QStringLiteral("stamp-from-shooting-dates.png"));

    form.TorvelButtonClick();

    EXPECT_EQ(form.failures,
              QStringList{QStringLiteral("次の 1 個のファイルは変更できませんでした。\n"
                                         "\na.jpg：撮影日時が記録されていません")});
    // The list's dates reach the files whole: second, sub-second, any year.
    EXPECT_EQ(statOf(form.folder / "b.jpg").st_mtim.tv_sec, localInstant(2019, 5, 5, 10, 0, 1));
    EXPECT_EQ(statOf(form.folder / "b.jpg").st_mtim.tv_nsec, 300'000'000);
    EXPECT_EQ(statOf(form.folder / "c.jpg").st_mtim.tv_sec, localInstant(2021, 12, 24, 18, 30, 0));
    EXPECT_EQ(statOf(form.folder / sjisPhoto).st_mtim.tv_sec, localInstant(1975, 5, 5, 10, 0, 0));
    EXPECT_EQ(statOf(form.folder / "a.jpg").st_mtim.tv_sec, old);
}

TEST_F(TimeStampPage, TheRunTakesTheDateEditsDateAsReadBackNotAsTyped)
{
    form.makeFile("a.jpg");
    form.listFiles({"a.jpg"});
    setPage(2012, 4, 5, 6, 7, 8);
    date->setCursorPosition(0);
    typeInto(date, "2013"); // not read back: the run uses 2012
    EXPECT_TRUE(form.Date_Change());
    EXPECT_EQ(statOf(form.folder / "a.jpg").st_mtim.tv_sec, localInstant(2012, 4, 5, 6, 7, 8));
}

} // namespace
} // namespace torvel::testing
