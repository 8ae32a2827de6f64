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

// A photo shot on 3 May under a Shift-JIS name that ends in a number, and a
// memo without a shooting date, both last written on 4 May at 9:00; listed
// in reverse name order, the photo first.
class DateWindow : public ::testing::Test
{
public:
    ScratchDir folder;
    const std::string photo = sjisPhotoBase + "7.JPG";
    std::unique_ptr<testing::TestForm> form;

    void SetUp() override
    {
        test::writeJpeg(folder / photo, {{"Exif.Photo.DateTimeOriginal", "2024:05:03 10:11:12"}});
        std::int64_t nine = 0;
        ASSERT_TRUE(instantFromLocal(LocalDateTime{2024, 5, 4, 9, 0, 0, 0}, nine));
        const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(nine), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (folder / photo).c_str(), times, 0), 0);
        folder.makeFile("memo8.txt", 1, nine);
        SettingsRecord settings;
        settings.searchDir = settings.changeDir = folder.path();
        settings.rename.sortOrder = SortOrder::NameDown;
        settings.rename.identifier = "鎌倉_";
        settings.rename.startNumber = 1;
        settings.rename.digits = 3;
        settings.preview = true;
        form = std::make_unique<testing::TestForm>(settings);
        form->setSelectedFiles({photo, "memo8.txt"});
        form->FileProp();
        form->StringGrid1Write(true);
    }

    template <typename T = QWidget>
    T* get(const char* name) const
    {
        return child<T>(*form, name);
    }
    QPushButton* button(QDialogButtonBox::StandardButton which) const
    {
        return get("DateNameDialog")->findChild<QDialogButtonBox*>()->button(which);
    }
    QString example() const { return get<QLabel>("DateExample")->text(); }
    QString cell(int column, int role = Qt::DisplayRole) const
    {
        const PreviewGrid& grid = form->previewGrid();
        return grid.data(grid.index(0, column), role).toString();
    }
};

TEST_F(DateWindow, TheDialogsChoicesMakeTheNamesItsExampleShows)
{
    // The row's hint reads the one file's shooting date, not the list's.
    EXPECT_TRUE(cell(0, Qt::ToolTipRole)
                    .endsWith(QStringLiteral("<br>撮影日時: 2024/05/03 10:11:12<br>"
                                             "更新日時: 2024/05/04 09:00:00</p>")));
    EXPECT_FALSE(form->fileList().shootingDate(0).has_value()) << "the list read no dates";
    const RenameOptions before = form->currentSettings().rename;
    get<QAction>("DateNameItem")->trigger();
    ASSERT_TRUE(get("DateNameDialog")->isVisible());

    const QString fallback =
        QStringLiteral("1個のファイルは撮影日時がないため、更新日時を使いました。");
    const QString badPattern = QStringLiteral("【注意】日付の書式が正しくありません。");
    const struct
    {
        const char* name;
        DateSource source;
        const char* pattern;
        bool afterPerDay; // the date after the identifier, a series per day
        ExtensionCase extCase;
        bool keepNumber;
        QString example;
        QString status; // a warning but for the count of files
        QString caption;
    } cases[] = {
        {"the shooting date first; the memo has none", DateSource::Shot, "yyyyMMdd", false,
         ExtensionCase::AsIs, false, QStringLiteral("例: 20240503_鎌倉_001.JPG"), fallback,
         QStringLiteral("撮影日_識別名")},
        {"a kept Shift-JIS name, its extension lower-cased", DateSource::Shot, "yyMMdd", false,
         ExtensionCase::Lower, true, QStringLiteral("例: 240503_写真007.jpg"), fallback,
         QStringLiteral("撮影日_識別名")},
        {"the time stamp after the identifier, a series per day", DateSource::Modified,
         "yyyy-MM-dd", true, ExtensionCase::Upper, false,
         QStringLiteral("例: 鎌倉_2024-05-04_001.JPG"),
         QStringLiteral("2個のファイルが選択されています。"), QStringLiteral("識別名_更新日")},
        {"a slash, which no name holds", DateSource::Modified, "yyyy/MM", false,
         ExtensionCase::AsIs, false,
         QStringLiteral("日付の書式にファイル名に使えない文字「/」があります"), badPattern,
         QStringLiteral("更新日_識別名")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        get<QComboBox>("DateSourceBox")->setCurrentIndex(static_cast<int>(c.source));
        get<QComboBox>("DateFormatBox")->setEditText(QString::fromUtf8(c.pattern));
        get<QCheckBox>("DateAfterCheck")->setChecked(c.afterPerDay);
        get<QCheckBox>("DateNumberCheck")->setChecked(c.afterPerDay);
        get<QComboBox>("ExtCaseBox")->setCurrentIndex(static_cast<int>(c.extCase));
        get<QCheckBox>("KetaCheck")->setChecked(c.keepNumber);
        const bool refused = c.status == badPattern;
        EXPECT_EQ(example(), c.example);
        EXPECT_EQ(get<StatusLine>("StatusBar1")->panelText(1), c.status);
        EXPECT_EQ(get<TCuteButton>("DatePartButton")->caption(), c.caption);
        EXPECT_EQ(button(QDialogButtonBox::Ok)->isEnabled(), !refused);
        EXPECT_EQ(cell(1).isEmpty(), refused) << "no names from a refused pattern";
        if (!refused) {
            EXPECT_EQ(example(), QStringLiteral("例: ") + cell(1)) << "the example is row 1";
        }
    }

    button(QDialogButtonBox::Cancel)->click();
    EXPECT_FALSE(get("DateNameDialog")->isVisible());
    EXPECT_EQ(form->currentSettings().rename, before) << "cancel puts every choice back";
    EXPECT_EQ(get<TCuteButton>("DatePartButton")->caption(), QStringLiteral("日付なし"));
    EXPECT_FALSE(get("DateFormatBox")->isEnabled()) << "no date: no pattern to choose";
}

TEST(DateDialog, WithoutFilesTheExampleIsAMadeUpPhotos)
{
    testing::TestForm form(testing::tmpSettings());
    child<QAction>(form, "DateNameItem")->trigger();
    child<QComboBox>(form, "DateSourceBox")->setCurrentIndex(static_cast<int>(DateSource::Shot));
    EXPECT_EQ(child<QLabel>(form, "DateExample")->text(),
              QStringLiteral("例: 20240503_TOR00001.JPG"));
}

// Space on the page's date button opens the dialog, and its F1 its help.
TEST_F(DateWindow, TheKeyboardReachesTheDialogAndItsHelp)
{
    QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
    QApplication::sendEvent(get("DatePartButton"), &space);
    ASSERT_TRUE(get("DateNameDialog")->isVisible());
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(get("ExtCaseBox"), &f1);
    EXPECT_EQ(form->helpWindow().browser()->source().fileName(),
              HelpWindow::topicFile(DateNameDialog::kHelpTopic));
    form->helpWindow().quit();
}

} // namespace
} // namespace torvel
