// The open-file dialog offscreen: a folder listed from its bytes, the three
// filters, files chosen from the list or typed, and the messages it gives.
#include <QApplication>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QToolButton>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "OpenFileDialog.h"
#include "common/ScratchDir.h"
#include "platform/FolderTestTree.h"
#include "common/SampleNames.h"
#include "Screenshot.h"

namespace torvel {
namespace {

using Paths = std::vector<std::string>;

// 写真.jpg and 表紙.jpg in Shift-JIS: both turn into replacement characters
// when read as UTF-8, so only their bytes tell them apart.
const std::string kCover = "\x95\x5c\x8e\x86.jpg";

class TestDialog : public OpenFileDialog
{
public:
    using OpenFileDialog::OpenFileDialog;
    QStringList messages;

protected:
    void showMessage(const QString& text) override { messages << text; }
};

class OpenDialog : public ::testing::Test
{
public:
    void SetUp() override
    {
        for (const std::string& name :
             {sjisPhoto, kCover, std::string("b.JPG"), std::string("a.txt"), std::string("notes"),
              std::string(".hidden.jpg")}) {
            folder.write(name, "");
        }
        folder.makeFolder("sub");
        folder.write("sub/inner.txt", "");
    }

    OpenDialogSetup setup(int filterIndex, std::string defaultExt = {}) const
    {
        return {QStringLiteral("変換するファイルの選択"), filterIndex, std::move(defaultExt),
                folder.path()};
    }

    static QListView* list(TestDialog& dialog)
    {
        return dialog.findChild<QListView*>(QStringLiteral("FileList"));
    }

    static QStringList shownNames(TestDialog& dialog)
    {
        QStringList names;
        const QAbstractItemModel* model = list(dialog)->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            names << model->index(row, 0).data().toString();
        }
        return names;
    }

    static void select(TestDialog& dialog, const QString& shown)
    {
        const QAbstractItemModel* model = list(dialog)->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->index(row, 0).data().toString() == shown) {
                list(dialog)->selectionModel()->select(model->index(row, 0),
                                                       QItemSelectionModel::Select);
                return;
            }
        }
        ADD_FAILURE() << shown.toStdString();
    }

    static void type(TestDialog& dialog, const QString& text)
    {
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("FileName"));
        name->setText(text);
        Q_EMIT name->textEdited(text);
    }

    ScratchDir folder;
};

TEST_F(OpenDialog, ListsFoldersAndTheFilesTheFilterTakesDecoded)
{
    TestDialog images(setup(1));
    EXPECT_EQ(images.windowTitle(), QStringLiteral("変換するファイルの選択"));
    EXPECT_EQ(images.findChild<QComboBox*>(QStringLiteral("FileType"))->currentText(),
              QStringLiteral("画像(jpg,bmp,gif)"));
    EXPECT_EQ(shownNames(images), (QStringList{"sub", "b.JPG", "写真.jpg", "表紙.jpg"}));

    TestDialog other(setup(3));
    EXPECT_EQ(shownNames(other),
              (QStringList{"sub", "a.txt", "b.JPG", "notes", "写真.jpg", "表紙.jpg"}));
    other.findChild<QComboBox*>(QStringLiteral("FileType"))->setCurrentIndex(1);
    EXPECT_EQ(shownNames(other), (QStringList{"sub", "a.txt"}));
}

// The photo types the program reads dates from are pictures too, raw files
// included, whatever the camera's letter case; their sidecars are not.
TEST_F(OpenDialog, ThePictureFilterTakesTodaysPhotoTypes)
{
    const QStringList photos = {"a.png", "b.HEIC", "c.heif", "d.tif", "e.TIFF", "f.NEF", "g.cr2",
                                "h.CR3", "i.arw",  "j.ORF",  "k.RW2", "l.dng",  "m.RAF"};
    ScratchDir shots;
    for (const QString& name : photos) {
        shots.write(name.toStdString(), "");
    }
    shots.write("f.NEF.xmp", "");
    shots.write("clip.mov", "");
    TestDialog dialog({QStringLiteral("変換するファイルの選択"), 1, {}, shots.path()});
    EXPECT_EQ(shownNames(dialog), photos);
}

TEST_F(OpenDialog, ChosenNamesThatAreNotUtf8KeepTheirBytes)
{
    TestDialog dialog(setup(1));
    select(dialog, QStringLiteral("表紙.jpg"));
    select(dialog, QStringLiteral("写真.jpg"));
    select(dialog, QStringLiteral("sub"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.chosenPaths(), (Paths{folder / sjisPhoto, folder / kCover}))
        << "in the list's order";
}

TEST_F(OpenDialog, TypedNamesGetTheDefaultExtensionAndMustExist)
{
    TestDialog dialog(setup(3, "txt"));
    type(dialog, QStringLiteral("a"));
    dialog.accept();
    EXPECT_EQ(dialog.chosenPaths(), (Paths{folder / "a.txt"}));

    TestDialog missing(setup(3, "txt"));
    type(missing, QStringLiteral("\"notes\" \"gone.txt\""));
    missing.accept();
    EXPECT_NE(missing.result(), QDialog::Accepted);
    ASSERT_EQ(missing.messages.size(), 1);
    EXPECT_TRUE(missing.messages.front().contains(QStringLiteral("gone.txt")));

    TestDialog shownAs(setup(3));
    type(shownAs, QStringLiteral("\"写真.jpg\" \"notes\""));
    shownAs.accept();
    EXPECT_EQ(shownAs.chosenPaths(), (Paths{folder / sjisPhoto, folder / "notes"}));
}

TEST_F(OpenDialog, BlanksTypedWithNothingSelectedChooseNothing)
{
    for (const QString& text : {QStringLiteral("   "), QStringLiteral("\"\" \" \"")}) {
        TestDialog dialog(setup(3));
        type(dialog, text);
        dialog.accept();
        EXPECT_NE(dialog.result(), QDialog::Accepted) << text.toStdString();
        EXPECT_TRUE(dialog.chosenPaths().empty());
    }
}

TEST_F(OpenDialog, AFolderIsOpenedNotChosen)
{
    TestDialog dialog(setup(3));
    type(dialog, QStringLiteral("sub"));
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.folder(), folder / "sub/");
    EXPECT_EQ(shownNames(dialog), QStringList{"inner.txt"});

    dialog.findChild<QToolButton*>(QStringLiteral("UpButton"))->click();
    EXPECT_EQ(dialog.folder(), folder.path());

    TestDialog gone(setup(3));
    EXPECT_FALSE(gone.enterFolder(folder / "no-such-folder"));
    EXPECT_EQ(gone.folder(), folder.path());
    EXPECT_EQ(gone.messages.size(), 1);
}

TEST_F(OpenDialog, GrabsTheDialogWithTwoFilesChosen)
{
    TestDialog dialog(setup(1));
    select(dialog, QStringLiteral("写真.jpg"));
    select(dialog, QStringLiteral("b.JPG"));
    dialog.show();
    testing::grabShot(dialog, QStringLiteral("torvel-open-dialog.png"));
    EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("FileName"))->text(),
              QStringLiteral("\"b.JPG\" \"写真.jpg\""));
}

// What a person meets on opening the dialog: every name whole however long
// the others are, the focus in the name box, home and the desktop a click away.
TEST_F(OpenDialog, OpensReadyToTypeWithEveryNameWholeAndThePlacesAtHand)
{
    folder.write("IMG_0001 taken on the long walk along the coast.jpg", "");
    ScratchDir home;
    home.makeFolder("Desktop");
    test::ScopedEnv homeEnv("HOME", home.path());
    test::ScopedEnv configEnv("XDG_CONFIG_HOME", home / "config");
    TestDialog dialog(setup(3));
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    EXPECT_EQ(QApplication::focusWidget(),
              dialog.findChild<QLineEdit*>(QStringLiteral("FileName")));

    const QListView* view = list(dialog);
    const QAbstractItemModel* model = view->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        const QString name = index.data().toString();
        EXPECT_GT(view->visualRect(index).width(),
                  view->fontMetrics().horizontalAdvance(name) + view->iconSize().width())
            << name.toStdString();
    }

    dialog.findChild<QToolButton*>(QStringLiteral("HomeButton"))->click();
    EXPECT_EQ(dialog.folder(), home.path());
    dialog.findChild<QToolButton*>(QStringLiteral("DesktopButton"))->click();
    EXPECT_EQ(dialog.folder(), home / "Desktop/");
}

TEST(FilePattern, MatchesIgnoringAsciiCase)
{
    EXPECT_TRUE(matchesFilePattern("PHOTO.JPG", "*.jpg"));
    EXPECT_TRUE(matchesFilePattern("a.b.jpeg", "*.jpeg"));
    EXPECT_FALSE(matchesFilePattern("a.jpgx", "*.jpg"));
    EXPECT_FALSE(matchesFilePattern("jpg", "*.jpg"));
    EXPECT_TRUE(matchesFilePattern("README", "*.*")) << "every name, with a dot or without";
    EXPECT_TRUE(matchesFilePattern("a1.txt", "a?.txt"));
}

} // namespace
} // namespace torvel
