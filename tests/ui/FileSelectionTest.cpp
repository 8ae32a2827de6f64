// Choosing files through the window offscreen: drops on the grid (files, one
// folder, names that are not UTF-8, long paths), the open-file command with a
// chooser that answers in the person's place, the extension filter, the
// grid's menu and the folder tree's menu.
#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTableView>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "OwnerDrawnTabs.h"
#include "ByteText.h"
#include "FilesList.h"
#include "FileDrop.h"
#include "OpenFileDialog.h"
#include "PagesFixture.h"
#include "PreviewGrid.h"
#include "StatusLine.h"
#include "UFolderTree.h"
#include "common/SampleNames.h"
#include "Screenshot.h"

namespace torvel {
namespace {

using testing::child;
using testing::shown;
using Names = std::vector<std::string>;

// A file URI as a file manager writes it: every byte but letters, digits
// and "/" percent-encoded.
QByteArray uriOf(const std::string& path)
{
    QByteArray uri("file://");
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 && byte < 0x80) {
            uri += c;
        } else if (c == '/') {
            uri += '/';
        } else {
            uri += '%' + QByteArray::number(byte, 16).rightJustified(2, '0').toUpper();
        }
    }
    return uri;
}

Names sorted(Names names)
{
    std::sort(names.begin(), names.end());
    return names;
}

class SelectionForm : public testing::TestForm
{
public:
    using TestForm::TestForm;

    std::vector<OpenDialogSetup> dialogs; // every dialog opened, as set up
    std::optional<Names> answer;          // the paths the chooser gives; none: cancel
    std::vector<QUrl> opened;             // folders shown in the file manager

protected:
    std::optional<std::vector<std::string>> runOpenDialog(const OpenDialogSetup& setup) override
    {
        dialogs.push_back(setup);
        return answer;
    }
    void openInFileManager(const QUrl& folder) override { opened.push_back(folder); }
};

class FileSelection : public ::testing::Test
{
public:
    ScratchDir folder;
    ScratchDir elsewhere;
    std::unique_ptr<SelectionForm> form = makeForm();
    QAbstractItemModelTester modelCheck{child<QTableView>(*form, "StringGrid1")->model(),
                                        QAbstractItemModelTester::FailureReportingMode::Fatal};

    // searchExt: the extension the window remembers from its last start.
    std::unique_ptr<SelectionForm> makeForm(const std::string& searchExt = "txt")
    {
        SettingsRecord settings;
        settings.searchExt = searchExt;
        settings.searchDir = elsewhere.path();
        settings.changeDir = elsewhere.path();
        settings.rename.identifier = "CHGN";
        settings.rename.digits = 2;
        settings.preview = false;
        auto made = std::make_unique<SelectionForm>(settings);
        made->show();
        testing::settle();
        return made;
    }

    QTableView* gridView() const { return child<QTableView>(*form, "StringGrid1"); }
    const PreviewGrid& grid() const { return form->previewGrid(); }
    QListWidget* filter() const { return child<QListWidget>(*form, "CheckListBox1"); }
    QString statusText() const { return child<StatusLine>(*form, "StatusBar1")->panelText(1); }

    Names listed() const
    {
        Names names;
        for (int i = 0; i < form->fileList().Count(); ++i) {
            names.push_back(form->fileList().fileNameAt(i));
        }
        return names;
    }
    Names gridNames() const
    {
        Names names;
        for (int row = 1; row < grid().RowCount(); ++row) {
            names.push_back(grid().currentName(row));
        }
        return names;
    }

    // Drops the paths on `target` (the grid's viewport unless told), as a
    // file manager that offers to copy or move them and would rather move.
    // Returns the action the drop was taken with.
    Qt::DropAction drop(const Names& paths, QWidget* target = nullptr)
    {
        QByteArray list;
        for (const std::string& path : paths) {
            list += uriOf(path) + "\r\n";
        }
        return dropList(list, target);
    }

    Qt::DropAction dropList(const QByteArray& list, QWidget* target = nullptr)
    {
        if (target == nullptr) {
            target = gridView()->viewport();
        }
        QMimeData mime;
        mime.setData(QStringLiteral("text/uri-list"), list);
        const QPointF at(20, 30);
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at.toPoint(), offered, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent dropped(at, offered, &mime, Qt::LeftButton, Qt::NoModifier);
        dropped.setDropAction(Qt::MoveAction);
        QApplication::sendEvent(target, &dropped);
        return dropped.isAccepted() ? dropped.dropAction() : Qt::IgnoreAction;
    }

    // Ticks or unticks the filter item shown as `text`, as a click does.
    void tick(const QString& text, bool ticked)
    {
        const QList<QListWidgetItem*> items = filter()->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << text.toStdString();
        items.front()->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    }

    QStringList filterItems() const
    {
        QStringList items;
        for (int i = 0; i < filter()->count(); ++i) {
            items << filter()->item(i)->text();
            EXPECT_EQ(filter()->item(i)->checkState(), Qt::Checked) << i;
        }
        return items;
    }

    // Releases the right mouse button over column `column` of grid row `row`.
    void rightClick(int row, int column)
    {
        const QModelIndex cell = gridView()->model()->index(row - 1, column);
        const QPoint at = gridView()->visualRect(cell).center();
        QMouseEvent release(QEvent::MouseButtonRelease, at, gridView()->viewport()->mapToGlobal(at),
                            Qt::RightButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(gridView()->viewport(), &release);
    }

    QMenu* gridMenu() const { return child<QMenu>(*form, "PopupMenu1"); }
    QAction* menuItem(const char* name) const { return child<QAction>(*form, name); }

    void choose(const Names& names)
    {
        Names paths;
        for (const std::string& name : names) {
            if (!folder.has(name)) {
                folder.write(name, "");
            }
            paths.push_back(folder / name);
        }
        form->answer = paths;
        form->OpenButtonClick();
    }
};

// ---------------------------------------------------------------------------
// Drops

TEST_F(FileSelection, ADroppedShiftJisFileKeepsItsBytesAndIsShownDecoded)
{
    folder.write(sjisPhoto, "");
    folder.write("memo 100%.txt", "");
    const Qt::DropAction taken = drop({folder / sjisPhoto, folder / "memo 100%.txt"});

    EXPECT_EQ(taken, Qt::CopyAction) << "a drop never moves the files away";
    EXPECT_EQ(form->selectedFiles(), (Names{sjisPhoto, "memo 100%.txt"}));
    EXPECT_EQ(form->sourceFolder(), folder.path());
    EXPECT_EQ(sorted(gridNames()), sorted(Names{sjisPhoto, "memo 100%.txt"}));
    const int row = grid().currentName(1) == sjisPhoto ? 0 : 1;
    EXPECT_EQ(gridView()->model()->index(row, 0).data().toString(), QStringLiteral("写真.jpg"));
    EXPECT_EQ(statusText(), QStringLiteral("2個のファイルが選択されています。"));
}

TEST_F(FileSelection, APathLongerThan254CharactersIsTakenWhole)
{
    std::string sub;
    for (char c : {'a', 'b', 'c'}) {
        sub += std::string(80, c) + "/";
        folder.makeFolder(sub);
    }
    const std::string name = sub + std::string(120, 'n') + ".txt";
    folder.write(name, "");
    ASSERT_GT((folder / name).size(), 254U);

    drop({folder / name});
    EXPECT_EQ(form->sourceFolder(), folder / sub);
    EXPECT_EQ(listed(), (Names{std::string(120, 'n') + ".txt"}));
}

TEST_F(FileSelection, ADroppedFolderSelectsItsOrdinaryFilesOnly)
{
    folder.makeFolder("box");
    folder.write("box/a.jpg", "");
    folder.write("box/.hidden.txt", "");
    folder.write("box/" + sjisPhoto, "");
    folder.write("box/locked.txt", "");
    ASSERT_EQ(::chmod((folder / "box/locked.txt").c_str(), 0444), 0);
    folder.makeFolder("box/sub");
    ASSERT_EQ(::mkfifo((folder / "box/pipe").c_str(), 0644), 0);
    ASSERT_EQ(::symlink((folder / "box/sub").c_str(), (folder / "box/to-sub").c_str()), 0);
    ASSERT_EQ(::symlink((folder / "box/a.jpg").c_str(), (folder / "box/to-a.jpg").c_str()), 0);
    Names expected = {".hidden.txt", "a.jpg", "locked.txt", "to-a.jpg", sjisPhoto};
    folder.write("box/system.sys", "");
    if (!testing::storeDosAttrib(folder / "box/system.sys", "0x4")) {
        expected.push_back("system.sys"); // no stored attributes here: an ordinary file
    }

    drop({folder / "box"});
    EXPECT_EQ(sorted(form->selectedFiles()), sorted(expected));
    EXPECT_EQ(form->sourceFolder(), folder / "box/");
    EXPECT_EQ(sorted(listed()), sorted(expected));
}

// What the file list holds of each file, in list order.
struct ListedFile
{
    std::string name;
    std::int64_t size;
    std::int64_t timeKey;
    std::int32_t time;
    std::int32_t attributes;
    bool operator==(const ListedFile&) const = default;
};

std::vector<ListedFile> listedFiles(const TMyFileList& list)
{
    std::vector<ListedFile> files;
    for (int i = 0; i < list.Count(); ++i) {
        const TMyFileItem* item = list.item(i);
        files.push_back(
            {item->FileName, item->Size, item->TimeKey, item->Time, list.GetFileAttr(i)});
    }
    return files;
}

// The drop's list takes what the folder scan saw of each file; it must be
// what reading the files afresh gives, and serve that one reading only.
TEST_F(FileSelection, TheListAfterAFolderDropIsAsReadAfreshAndOnlyOnce)
{
    folder.makeFolder("box");
    folder.write("box/big.dat", std::string(5000, 'x'));
    folder.write("box/" + sjisPhoto, "abc");
    folder.write("box/.dot", "");
    folder.write("box/locked.txt", "1");
    ASSERT_EQ(::chmod((folder / "box/locked.txt").c_str(), 0444), 0);
    ASSERT_EQ(::symlink((folder / "box/big.dat").c_str(), (folder / "box/to-big").c_str()), 0);
    folder.write("box/shown.txt", "22");
    testing::storeDosAttrib(folder / "box/shown.txt", "0x0"); // stored: not even archive
    folder.write("box/marked.txt", "333");
    testing::storeDosAttrib(folder / "box/marked.txt", "0x23"); // read-only, hidden, archive

    drop({folder / "box"});
    const std::vector<ListedFile> dropped = listedFiles(form->fileList());
    ASSERT_EQ(dropped.size(), 7U);
    form->FileProp();
    EXPECT_EQ(dropped, listedFiles(form->fileList()));

    // Changed after the drop: the next reading looks at the files again.
    folder.write("box/big.dat", "now small");
    ASSERT_EQ(::unlink((folder / "box/.dot").c_str()), 0);
    form->FileProp();
    const std::vector<ListedFile> later = listedFiles(form->fileList());
    ASSERT_EQ(later.size(), 6U);
    for (const ListedFile& file : later) {
        EXPECT_NE(file.name, ".dot");
        if (file.name == "big.dat" || file.name == "to-big") {
            EXPECT_EQ(file.size, 9) << file.name;
        }
    }
}

TEST_F(FileSelection, AFolderWithNothingToTakeLeavesTheSourceFolder)
{
    choose({"a.txt"});
    folder.makeFolder("empty");
    folder.makeFolder("empty/sub");
    drop({folder / "empty/"});
    EXPECT_TRUE(form->selectedFiles().empty());
    EXPECT_EQ(form->sourceFolder(), folder.path());
    EXPECT_EQ(filter()->count(), 0);
    EXPECT_EQ(form->fileList().Count(), 0);
    EXPECT_EQ(statusText(), QStringLiteral("ファイルを選択してください。"));
}

TEST_F(FileSelection, AFolderDroppedWithAFileIsTakenByName)
{
    folder.makeFolder("album");
    folder.write("note.txt", "");
    drop({folder / "album", folder / "note.txt"});
    EXPECT_EQ(form->selectedFiles(), (Names{"album", "note.txt"}));
    EXPECT_EQ(sorted(listed()), (Names{"album", "note.txt"}));
}

TEST_F(FileSelection, FilesOfAnotherFolderAreLeftOutWithAWord)
{
    // The other folder's file shares its name with one that was not dropped.
    folder.write("a.txt", "");
    folder.write("b.txt", "");
    elsewhere.write("b.txt", "");
    drop({folder / "a.txt", elsewhere / "b.txt"});
    EXPECT_EQ(form->selectedFiles(), (Names{"a.txt"}));
    EXPECT_EQ(listed(), (Names{"a.txt"}));
    ASSERT_EQ(form->plainMessages.size(), 1);
    EXPECT_TRUE(form->plainMessages.front().contains(QStringLiteral("違うフォルダ")));
}

TEST_F(FileSelection, DropsAnywhereButOnTheGridAreIgnored)
{
    folder.write("a.txt", "");
    drop({folder / "a.txt"}, child<QWidget>(*form, "Edit1"));
    drop({folder / "a.txt"}, child<TFoldertreeEX>(*form, "DirTree")->viewport());
    drop({folder / "a.txt"}, form->centralWidget());
    EXPECT_TRUE(form->selectedFiles().empty());
    EXPECT_FALSE(form->acceptDrops());

    EXPECT_EQ(dropList("http://example.com/a.txt\r\n"), Qt::IgnoreAction) << "no local file in it";
    EXPECT_TRUE(form->selectedFiles().empty());
}

TEST_F(FileSelection, SelectingFromTheDestinationFolderWhileCopyingTurnsToRename)
{
    elsewhere.write("x.txt", "");
    choose({"a.txt"});
    child<QRadioButton>(*form, "RadioButton3")->click();
    ASSERT_EQ(form->saveMethod(), SaveMode::Copy);
    ASSERT_EQ(form->destinationFolder(), elsewhere.path());

    drop({elsewhere / "x.txt"});
    EXPECT_EQ(form->sourceFolder(), elsewhere.path());
    EXPECT_EQ(form->saveMethod(), SaveMode::Rename);
    EXPECT_TRUE(child<QRadioButton>(*form, "RadioButton1")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(*form, "RadioButton2")->isEnabled());
    EXPECT_FALSE(child<QRadioButton>(*form, "RadioButton3")->isEnabled());
}

// ---------------------------------------------------------------------------
// The open-file command

TEST_F(FileSelection, TheDialogsFilterFollowsTheRememberedExtension)
{
    struct Case
    {
        std::string searchExt;
        int filterIndex;
        std::string defaultExt;
        std::string storedAfter;
    };
    const Case cases[] = {
        {"JPG", 1, "", "jpg"},    {"gif", 1, "", "gif"}, {"prn", 2, "", "prn"},
        {"doc", 3, "doc", "doc"}, {"", 3, "", ""},
    };
    for (const Case& c : cases) {
        form = makeForm(c.searchExt);
        form->OpenButtonClick();
        ASSERT_FALSE(form->dialogs.empty());
        const OpenDialogSetup& setup = form->dialogs.back();
        EXPECT_EQ(setup.filterIndex, c.filterIndex) << c.searchExt;
        EXPECT_EQ(setup.defaultExt, c.defaultExt) << c.searchExt;
        EXPECT_EQ(form->sourceExtension(), c.storedAfter);
        EXPECT_EQ(setup.title, QStringLiteral("変換するファイルの選択"));
        EXPECT_EQ(setup.folder, elsewhere.path()) << "it starts in the source folder";
    }
    const auto& filters = openDialogFilters();
    ASSERT_EQ(filters.size(), 3U);
    EXPECT_EQ(filters[0].description, QStringLiteral("画像(jpg,bmp,gif)"));
    EXPECT_EQ(filters[1].description, QStringLiteral("テキスト(txt,prn)"));
    EXPECT_EQ(filters[2].description, QStringLiteral("その他(*.*)"));
}

TEST_F(FileSelection, ChosenFilesBecomeTheSelectionAndACancelChangesNothing)
{
    folder.write(sjisPhoto, "");
    choose({"b.txt", sjisPhoto});
    EXPECT_EQ(form->selectedFiles(), (Names{"b.txt", sjisPhoto}));
    EXPECT_EQ(form->sourceFolder(), folder.path());
    EXPECT_EQ(form->sourceExtension(), "txt");
    EXPECT_EQ(form->fileList().Count(), 2);

    form->answer.reset();
    form->OpenButtonClick();
    EXPECT_EQ(form->selectedFiles(), (Names{"b.txt", sjisPhoto}));
    EXPECT_EQ(form->sourceFolder(), folder.path());
    EXPECT_EQ(statusText(), QStringLiteral("2個のファイルが選択されています。")) << "still redrawn";
}

TEST_F(FileSelection, TheTreesOpenCommandStartsInTheTreesFolder)
{
    folder.makeFolder("there");
    auto* tree = child<TFoldertreeEX>(*form, "DirTree");
    tree->Reload();
    tree->SelectPath(folder / "there/");
    ASSERT_EQ(tree->SelectedPath(), folder / "there/");
    menuItem("FileOpenMenu")->trigger();
    ASSERT_EQ(form->dialogs.size(), 1U);
    EXPECT_EQ(form->dialogs.front().folder, folder / "there/");
    EXPECT_EQ(form->sourceFolder(), elsewhere.path())
        << "a cancelled dialog leaves the source folder";
}

TEST_F(FileSelection, TheTreesFileManagerCommandOpensTheFolderByItsBytes)
{
    const std::string sjisFolder = "\x83\x65\x83\x58\x83\x67 #1";
    folder.makeFolder(sjisFolder);
    auto* tree = child<TFoldertreeEX>(*form, "DirTree");
    tree->Reload();
    tree->SelectPath(folder / sjisFolder);
    menuItem("ExplorerMenu")->trigger();
    ASSERT_EQ(form->opened.size(), 1U);
    const QUrl& url = form->opened.front();
    EXPECT_TRUE(url.isLocalFile());
    EXPECT_EQ(percentDecoded(url.toEncoded().toStdString().substr(7)), folder / (sjisFolder + "/"));
}

// ---------------------------------------------------------------------------
// The extension filter

TEST_F(FileSelection, TheFilterHoldsEachExtensionOnceAsFirstMetAllTicked)
{
    choose({"A.TXT", "b.txt", "c.Doc", "d.doc", "README", "e.jpg"});
    EXPECT_EQ(filterItems(), (QStringList{"", ".Doc", ".jpg", ".TXT"}));
    EXPECT_EQ(form->fileList().Count(), 6);

    choose({"z.png"});
    EXPECT_EQ(filterItems(), QStringList{".png"}) << "rebuilt for every new selection";
}

TEST_F(FileSelection, UntickingLeavesFilesOutAndTickingBringsThemBack)
{
    choose({"report.doc", "A.TXT", "b.txt", "old.DOC"});
    tick(QStringLiteral(".doc"), false);
    EXPECT_EQ(sorted(listed()), (Names{"A.TXT", "b.txt"}));
    EXPECT_EQ(sorted(gridNames()), (Names{"A.TXT", "b.txt"}));
    EXPECT_EQ(form->sourceExtension(), "doc") << "from the first chosen file, listed or not";
    EXPECT_EQ(form->selectedFiles().size(), 4U);

    tick(QStringLiteral(".doc"), true);
    EXPECT_EQ(form->fileList().Count(), 4);
}

TEST_F(FileSelection, AnExtensionThatIsNotUtf8KeepsItsBytesInTheFilter)
{
    // ".表" in Shift-JIS; its second byte is "\".
    const std::string sjisExtension = "\x95\x5c";
    choose({"a." + sjisExtension, "b.txt"});
    tick(QStringLiteral(".表"), false);
    EXPECT_EQ(listed(), (Names{"b.txt"}));
    tick(QStringLiteral(".表"), true);
    EXPECT_EQ(sorted(listed()), (Names{"a." + sjisExtension, "b.txt"}));
}

// ---------------------------------------------------------------------------
// The grid's menu

TEST_F(FileSelection, ExcludingAFileTakesOutItsRowUntilTheNextRebuild)
{
    choose({"a.txt", "b.txt", "c.txt"});
    ASSERT_EQ(gridNames(), (Names{"a.txt", "b.txt", "c.txt"}));
    rightClick(2, 0);
    EXPECT_EQ(menuItem("pName")->text(), QStringLiteral("b.txt"));
    gridMenu()->close();

    menuItem("mjogai")->trigger();
    EXPECT_EQ(gridNames(), (Names{"a.txt", "c.txt"})) << "every row below moves up";
    EXPECT_EQ(form->fileList().Count(), 2);
    EXPECT_EQ(form->selectedFiles().size(), 3U);

    tick(QStringLiteral(".txt"), false);
    tick(QStringLiteral(".txt"), true);
    EXPECT_EQ(gridNames(), (Names{"a.txt", "b.txt", "c.txt"})) << "back on the next rebuild";
}

TEST_F(FileSelection, TheMenuOpensOnlyOverAListedName)
{
    rightClick(1, 0);
    EXPECT_FALSE(gridMenu()->isVisible());

    choose({"a&b.txt"});
    form->StringGrid1Write(true);
    rightClick(1, 1);
    EXPECT_EQ(menuItem("pName")->text(), QStringLiteral("CHGN01.txt"))
        << "the new-name cell's text";
    gridMenu()->close();
    rightClick(1, 0);
    EXPECT_EQ(menuItem("pName")->text(), QStringLiteral("a&&b.txt"))
        << "an ampersand is shown, not a mnemonic";
    gridMenu()->close();
}

// A name longer than the screen is wide keeps the menu within the window.
TEST_F(FileSelection, TheMenuCutsALongNameInTheMiddle)
{
    const std::string name = "IMG_" + std::string(230, 'x') + "_end.jpg";
    choose({name});
    rightClick(1, 0);
    const QString caption = menuItem("pName")->text();
    EXPECT_TRUE(caption.startsWith(QStringLiteral("IMG_xx"))) << caption.toStdString();
    EXPECT_TRUE(caption.endsWith(QStringLiteral("xx_end.jpg"))) << caption.toStdString();
    EXPECT_TRUE(caption.contains(QChar(0x2026)));
    EXPECT_LE(gridMenu()->sizeHint().width(), form->width());
    gridMenu()->close();
}

TEST_F(FileSelection, TakingAFilesTimeIsOfferedOnlyOnTheTimeStampPage)
{
    choose({"a.txt", "b.txt"});
    rightClick(1, 0);
    EXPECT_FALSE(menuItem("pTime")->isVisible());
    gridMenu()->close();

    testing::setTimes(folder / "b.txt", testing::localInstant(2001, 2, 3, 4, 5, 6),
                      testing::localInstant(2001, 2, 3, 4, 5, 6));
    child<TPageControlEx>(*form, "PageControl1")->setCurrentIndex(1);
    form->CheckListBox1ClickCheck(); // read the new time stamp
    rightClick(2, 0);
    EXPECT_TRUE(menuItem("pTime")->isVisible());
    gridMenu()->close();
    menuItem("pTime")->trigger();
    EXPECT_EQ(child<QLineEdit>(*form, "SpinEdit3")->text(), QStringLiteral("2001"));
    EXPECT_EQ(child<QLineEdit>(*form, "SpinEdit5")->text(), QStringLiteral("3"));
}

TEST_F(FileSelection, GrabsTheFilterWithSeveralExtensions)
{
    choose({"photo.JPG", sjisPhoto, "memo.txt", "list.csv", "README", "a.\x95\x5c"});
    auto* lower = child<TPageControlEx>(*form, "PageControl2");
    lower->setCurrentIndex(1);
    filter()->item(2)->setCheckState(Qt::Unchecked);
    testing::settle();
    const QImage shot = testing::grabShot(*form, QStringLiteral("torvel-file-selection.png"));
    // The unticked third item's box is drawn otherwise than the ticked second's.
    const auto boxOf = [&](int row) {
        const QRect item = filter()->visualItemRect(filter()->item(row));
        const QPoint at = filter()->viewport()->mapTo(&*form, item.topLeft());
        return shot.copy(QRect(at, QSize(item.height(), item.height())));
    };
    EXPECT_NE(boxOf(1), boxOf(2));
}

} // namespace
} // namespace torvel
