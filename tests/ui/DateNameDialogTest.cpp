// The date in the new names as the window offers it: the dialog of the
// オプション menu, its example line, the page's date button, the row hints
// and the status line. The names themselves are the generator's, tested in
// core; here, that the window hands it what the dialog shows.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>

#include <fcntl.h>
#include <sys/stat.h>

#include <functional>
#include <memory>

#include "CuteBtn.h"
#include "DateNameDialog.h"
#include "DosDateTime.h"
#include "FilesList.h"
#include "HelpWindow.h"
#include "MainFormFixture.h"
#include "PreviewGrid.h"
#include "StatusLine.h"
#include "common/SampleImages.h"
#include "common/SampleNames.h"

namespace torvel {
namespace {

using testing::child;
using testing::TestForm;

void setModified(const std::string& path, int day, int hour)
{
    std::int64_t seconds = 0;
    ASSERT_TRUE(instantFromLocal(LocalDateTime{2024, 5, day, hour, 0, 0, 0}, seconds));
    const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// A photo shot on 3 May under a Shift-JIS name that ends in a number, and a
// memo with no shooting date; both last written on 4 May at 9:00. Listed in
// reverse name order, so that the photo comes first.
class DateWindow : public ::testing::Test
{
public:
    ScratchDir folder;
    const std::string photo = sjisPhotoBase + "7.JPG";
    std::unique_ptr<TestForm> form;

    void SetUp() override
    {
        test::writeJpeg(folder / photo, {{"Exif.Photo.DateTimeOriginal", "2024:05:03 10:11:12"}});
        folder.write("memo8.txt", "x");
        setModified(folder / photo, 4, 9);
        setModified(folder / "memo8.txt", 4, 9);
        SettingsRecord settings;
        settings.searchDir = settings.changeDir = folder.path();
        settings.rename.sortOrder = SortOrder::NameDown;
        settings.rename.identifier = "鎌倉_";
        settings.rename.startNumber = 1;
        settings.rename.digits = 3;
        settings.preview = true;
        form = std::make_unique<TestForm>(settings);
        form->setSelectedFiles({photo, "memo8.txt"});
        form->FileProp();
        form->StringGrid1Write(true);
    }

    template <typename T>
    T* control(const char* name) const
    {
        return child<T>(*form, name);
    }
    DateNameDialog* dialog() const { return control<DateNameDialog>("DateNameDialog"); }
    QPushButton* dialogButton(QDialogButtonBox::StandardButton which) const
    {
        return dialog()->findChild<QDialogButtonBox*>()->button(which);
    }
    QString example() const { return control<QLabel>("DateExample")->text(); }
    QString firstNewName() const
    {
        const PreviewGrid& grid = form->previewGrid();
        return grid.data(grid.index(0, 1)).toString();
    }
    QString caption() const { return control<TCuteButton>("DatePartButton")->caption(); }
    StatusLine* status() const { return control<StatusLine>("StatusBar1"); }
};

TEST_F(DateWindow, TheDialogsChoicesMakeTheNamesItsExampleShows)
{
    // The hint of a row gives the file's dates though no name needed them:
    // the one file is read, not the list.
    const PreviewGrid& grid = form->previewGrid();
    EXPECT_EQ(grid.data(grid.index(0, 0), Qt::ToolTipRole).toString().toStdString(),
              "<p style=\"white-space:pre\">変換前ファイル: 写真7.JPG<br>変換後ファイル: "
              "鎌倉_001.JPG<br>撮影日時: 2024/05/03 10:11:12<br>更新日時: 2024/05/04 09:00:00</p>");
    EXPECT_FALSE(form->fileList().shootingDate(0).has_value()) << "the list read no dates";
    const RenameOptions before = form->currentSettings().rename;

    control<QAction>("DateNameItem")->trigger();
    ASSERT_TRUE(dialog()->isVisible());
    EXPECT_EQ(dialog()->parent(), form.get());
    EXPECT_EQ(example(), QStringLiteral("例: 鎌倉_001.JPG"));

    const QString chosen2 = QStringLiteral("2個のファイルが選択されています。");
    const QString badPattern = QStringLiteral("【注意】日付の書式が正しくありません。");
    struct Case
    {
        const char* name;
        DateSource source;
        const char* pattern;
        bool after;
        bool perDate;
        ExtensionCase extCase;
        bool keepNumber;
        QString example; // a warning when the status is one too
        QString status;
        StatusKind kind;
        QString caption;
    };
    const Case cases[] = {
        {"the shooting date before the identifier; the memo has none", DateSource::Shot, "yyyyMMdd",
         false, false, ExtensionCase::AsIs, false, QStringLiteral("例: 20240503_鎌倉_001.JPG"),
         QStringLiteral("1個のファイルは撮影日時がないため、更新日時を使いました。"),
         StatusKind::Warning, QStringLiteral("撮影日_識別名")},
        {"a kept Shift-JIS name, its extension lower-cased", DateSource::Shot, "yyMMdd", false,
         false, ExtensionCase::Lower, true, QStringLiteral("例: 240503_写真007.jpg"),
         QStringLiteral("1個のファイルは撮影日時がないため、更新日時を使いました。"),
         StatusKind::Warning, QStringLiteral("撮影日_識別名")},
        {"the time stamp after the identifier, a series per day", DateSource::Modified,
         "yyyy-MM-dd", true, true, ExtensionCase::Upper, false,
         QStringLiteral("例: 鎌倉_2024-05-04_001.JPG"), chosen2, StatusKind::Ready,
         QStringLiteral("識別名_更新日")},
        {"a pattern without a date", DateSource::Shot, "abc", false, false, ExtensionCase::AsIs,
         false, QStringLiteral("日付の書式に日付の部分 (yyyy MM dd HH mm ss など) がありません"),
         badPattern, StatusKind::Warning, QStringLiteral("撮影日_識別名")},
        {"a slash, which no name holds", DateSource::Modified, "yyyy/MM", false, false,
         ExtensionCase::AsIs, false,
         QStringLiteral("日付の書式にファイル名に使えない文字「/」があります"), badPattern,
         StatusKind::Warning, QStringLiteral("更新日_識別名")},
        {"no date: the unusable pattern waits", DateSource::None, "yyy", false, false,
         ExtensionCase::AsIs, false, QStringLiteral("例: 鎌倉_001.JPG"), chosen2, StatusKind::Ready,
         QStringLiteral("日付なし")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        control<QComboBox>("DateSourceBox")->setCurrentIndex(static_cast<int>(c.source));
        control<QComboBox>("DateFormatBox")->setEditText(QString::fromUtf8(c.pattern));
        control<QCheckBox>("DateAfterCheck")->setChecked(c.after);
        control<QCheckBox>("DateNumberCheck")->setChecked(c.perDate);
        control<QComboBox>("ExtCaseBox")->setCurrentIndex(static_cast<int>(c.extCase));
        control<QCheckBox>("KetaCheck")->setChecked(c.keepNumber);
        const bool warned = c.status == badPattern;
        EXPECT_EQ(example(), c.example);
        EXPECT_EQ(status()->panelText(1), c.status);
        EXPECT_EQ(status()->kind(), c.kind);
        EXPECT_EQ(caption(), c.caption);
        EXPECT_EQ(dialogButton(QDialogButtonBox::Ok)->isEnabled(), !warned);
        EXPECT_EQ(control<QComboBox>("DateFormatBox")->isEnabled(), c.source != DateSource::None);
        EXPECT_EQ(firstNewName().isEmpty(), warned);
        if (!warned) {
            EXPECT_EQ(example(), QStringLiteral("例: ") + firstNewName()) << "the first row";
        }
    }

    dialogButton(QDialogButtonBox::Cancel)->click();
    EXPECT_FALSE(dialog()->isVisible());
    EXPECT_EQ(form->currentSettings().rename, before) << "cancel puts every choice back";
    EXPECT_EQ(firstNewName(), QStringLiteral("鎌倉_001.JPG"));

    // OK keeps the choices; an unusable pattern waiting under no date is put back.
    control<TCuteButton>("DatePartButton")->click();
    control<QComboBox>("DateSourceBox")->setCurrentIndex(static_cast<int>(DateSource::Shot));
    control<QComboBox>("DateSourceBox")->setCurrentIndex(static_cast<int>(DateSource::None));
    control<QComboBox>("DateFormatBox")->setEditText(QStringLiteral("yyy"));
    dialogButton(QDialogButtonBox::Ok)->click();
    EXPECT_FALSE(dialog()->isVisible());
    EXPECT_EQ(form->currentSettings().rename.datePattern, "yyyyMMdd");
}

// Without files the example is a made-up photo's.
TEST(DateDialog, WithoutFilesTheExampleIsAMadeUpPhotos)
{
    TestForm form(testing::tmpSettings());
    child<QAction>(form, "DateNameItem")->trigger();
    child<QComboBox>(form, "DateSourceBox")->setCurrentIndex(static_cast<int>(DateSource::Shot));
    EXPECT_EQ(child<QLabel>(form, "DateExample")->text(),
              QStringLiteral("例: 20240503_TOR00001.JPG"));
}

// The page's date button is on Tab's way; Space on it opens the dialog,
// whose own Tab goes down its choices, and whose F1 opens its help.
TEST_F(DateWindow, TheKeyboardReachesTheDialogAndItsHelp)
{
    auto* datePart = control<TCuteButton>("DatePartButton");
    datePart->setFocus(Qt::TabFocusReason);
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
    QApplication::sendEvent(datePart, &space);
    ASSERT_TRUE(dialog()->isVisible());
    control<QComboBox>("DateSourceBox")->setCurrentIndex(static_cast<int>(DateSource::Shot));

    QStringList reached;
    for (QWidget* at = control<QWidget>("DateSourceBox"); reached.size() < 6;
         at = at->nextInFocusChain()) {
        if ((at->focusPolicy() & Qt::TabFocus) != 0 && at->isEnabled() && !at->isHidden()
            && !at->objectName().isEmpty()) {
            reached << at->objectName();
        }
        if (qobject_cast<QPushButton*>(at) != nullptr) {
            reached << QStringLiteral("buttons");
        }
    }
    EXPECT_EQ(reached.join(QLatin1Char(' ')),
              QStringLiteral("DateSourceBox DateFormatBox DateAfterCheck DateNumberCheck "
                             "ExtCaseBox buttons"));

    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(control<QComboBox>("ExtCaseBox"), &f1);
    EXPECT_EQ(form->helpWindow().browser()->source().fileName(),
              HelpWindow::topicFile(DateNameDialog::kHelpTopic));
    form->helpWindow().quit();
}

} // namespace
} // namespace torvel
