// Choosing the files to convert: the open-file dialog, files and folders
// dropped on the grid, the extension filter, the grid's menu (show a name,
// leave a file out, take its time stamp) and the folder tree's menu.
#include "MainForm.h"
#include "Utf8Text.h"

#include "ui_MainForm.h"
#include "RunTypes.h"

#include <QDesktopServices>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QUrl>

#include <algorithm>
#include <functional>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "FileProp.h"
#include "FilesList.h"
#include "FolderIdentity.h"
#include "FolderScan.h"
#include "IoError.h"
#include "NameCollation.h"
#include "NameRules.h"
#include "NameText.h"
#include "FileDrop.h"
#include "OpenFileDialog.h"
#include "PreviewGrid.h"
#include "UFolderTree.h"

namespace torvel {

namespace {

const QString kSearchingExtensions = QStringLiteral("ファイルの拡張子を検索中。しばらくお待ちください。");
const QString kOtherFolders = QStringLiteral(
    "最初のファイルと違うフォルダのファイルが含まれていましたので、それらは選択しませんでした。");

// The grid's right button, watched on the grid's viewport.
class MouseUpWatch : public QObject
{
public:
    MouseUpWatch(QObject* parent, std::function<void(QMouseEvent*)> onRelease)
        : QObject(parent)
        , m_onRelease(std::move(onRelease))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease) {
            m_onRelease(static_cast<QMouseEvent*>(event));
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(QMouseEvent*)> m_onRelease;
};

std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// The folder part of a full path, with its "/".
std::string folderPartOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string bareNameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The distinct extensions of the names, two that differ only in letter case
// being one, each spelled as first met. The key is the one the file list's
// filter looks extensions up by, so every item can be unticked.
std::vector<std::string> distinctExtensions(const std::vector<std::string>& names)
{
    std::vector<std::string> extensions;
    std::unordered_set<std::string> seen;
    // Selections are mostly long runs of a few extensions: a name whose
    // extension is the one before needs no key.
    std::string_view previous;
    bool havePrevious = false;
    for (const std::string& name : names) {
        const std::string_view extension = extensionOf(name);
        if (havePrevious && extension == previous) {
            continue;
        }
        previous = extension;
        havePrevious = true;
        if (seen.insert(caseFoldKey(extension)).second) {
            extensions.emplace_back(extension);
        }
    }
    return extensions;
}

void sortByName(std::vector<std::string>& names)
{
    const NameCollator collator;
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(names.size());
    for (std::string& name : names) {
        keyed.emplace_back(collator.sortKey(name), std::move(name));
    }
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        return compareNameKeys(a.first, a.second, b.first, b.second) < 0;
    });
    names.clear();
    for (auto& [key, name] : keyed) {
        names.push_back(std::move(name));
    }
}

// A menu caption shows "&" only when it is doubled.
QString menuCaption(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

void TForm1::setUpFileSelection()
{
    m_fileDrop = new TFileDrop(this);
    m_fileDrop->setObjectName(QStringLiteral("FileDrop1"));
    m_fileDrop->setControl(ui->StringGrid1);
    connect(m_fileDrop, &TFileDrop::OnFileDrop, this, &TForm1::FileDrop1FileDrop);

    m_gridMenu = new QMenu(this);
    m_gridMenu->setObjectName(QStringLiteral("PopupMenu1"));
    m_gridMenu->addAction(QString())->setObjectName(QStringLiteral("pName"));
    m_gridMenu->addSeparator();
    QAction* exclude = m_gridMenu->addAction(QStringLiteral("このファイルを除外する"));
    exclude->setObjectName(QStringLiteral("mjogai"));
    QAction* takeTime = m_gridMenu->addAction(QStringLiteral("このファイルの時刻に設定"));
    takeTime->setObjectName(QStringLiteral("pTime"));
    connect(m_gridMenu, &QMenu::aboutToShow, this, &TForm1::PopupMenu1Popup);
    connect(exclude, &QAction::triggered, this, &TForm1::mjogaiClick);
    connect(takeTime, &QAction::triggered, this, [this] { pTimeClick(PopupRow); });

    QWidget* viewport = ui->StringGrid1->viewport();
    viewport->installEventFilter(new MouseUpWatch(this, [this, viewport](QMouseEvent* event) {
        const QPoint at = event->position().toPoint();
        StringGrid1MouseUp(viewport, event->button(), event->modifiers(), at.x(), at.y());
    }));

    if (auto* openHere = findChild<QAction*>(QStringLiteral("FileOpenMenu"))) {
        connect(openHere, &QAction::triggered, this, &TForm1::FileOpenMenuClick);
    }
    if (auto* showFolder = findChild<QAction*>(QStringLiteral("ExplorerMenu"))) {
        connect(showFolder, &QAction::triggered, this, &TForm1::ExplorerMenuClick);
    }
}

// ---------------------------------------------------------------------------
// The open-file dialog

void TForm1::OpenButtonClick()
{
    openFilesFrom(SearchDir);
}

void TForm1::FileOpenMenuClick()
{
    const std::string folder = ui->DirTree->SelectedPath();
    openFilesFrom(folder.empty() ? SearchDir : folder);
}

void TForm1::openFilesFrom(const std::string& folder)
{
    SearchExt = asciiLowerName(SearchExt);
    OpenDialogSetup setup;
    setup.title = QStringLiteral("変換するファイルの選択");
    if (SearchExt == "jpg" || SearchExt == "gif" || SearchExt == "bmp") {
        setup.filterIndex = 1;
    } else if (SearchExt == "txt" || SearchExt == "prn") {
        setup.filterIndex = 2;
    } else {
        setup.filterIndex = 3;
        setup.defaultExt = SearchExt;
    }
    setup.folder = folder;

    if (const std::optional<std::vector<std::string>> chosen = runOpenDialog(setup);
        chosen && !chosen->empty()) {
        SelectedFiles.clear();
        SearchDirChange(folderPartOf(chosen->front()));
        for (const std::string& path : *chosen) {
            SelectedFiles.push_back(bareNameOf(path));
        }
        FileSeleSet();
        FileProp();
    }
    RadioButtonIndex(SaveMethod);
    StringGrid1Write(ui->NonPreCheck->isChecked());
}

std::optional<std::vector<std::string>> TForm1::runOpenDialog(const OpenDialogSetup& setup)
{
    OpenFileDialog dialog(setup, this);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.chosenPaths();
}

// ---------------------------------------------------------------------------
// Drops

void TForm1::FileDrop1FileDrop(QObject* /*Sender*/, int /*Num*/, const std::vector<std::string>& Files,
                               int /*X*/, int /*Y*/)
{
    if (Files.empty()) {
        return;
    }
    SelectedFiles.clear();
    m_droppedFolderFacts.reset();
    bool otherFolders = false;
    if (Files.size() == 1 && folderExists(Files.front())) {
        scanDroppedFolder(Files.front());
    } else {
        otherFolders = takeDroppedItems(Files);
    }
    FileSeleSet();
    FileProp();
    RadioButtonIndex(SaveMethod);
    StringGrid1Write(ui->NonPreCheck->isChecked());
    if (otherFolders) {
        showPlainMessage(kOtherFolders);
    }
}

bool TForm1::takeDroppedItems(const std::vector<std::string>& paths)
{
    // Every name of the selection is looked up in one folder, so an item from
    // another folder (a search result, say) could only pick out a file of the
    // same name that was never dropped: such items are left out.
    const std::string folder = folderPartOf(withoutTrailingSlashes(paths.front()));
    SearchDirChange(folder);
    bool otherFolders = false;
    // The last folders met that are spelled otherwise, decided once each.
    std::string sameSpelledOtherwise;
    std::string lastOtherFolder;
    for (const std::string& path : paths) {
        const std::string item = withoutTrailingSlashes(path);
        const std::string itemFolder = folderPartOf(item);
        if (itemFolder != folder && itemFolder != sameSpelledOtherwise) {
            if (itemFolder == lastOtherFolder || !sameFolder(itemFolder, folder)) {
                lastOtherFolder = itemFolder;
                otherFolders = true;
                continue;
            }
            sameSpelledOtherwise = itemFolder;
        }
        std::string name = bareNameOf(item);
        if (!name.empty()) {
            SelectedFiles.push_back(std::move(name));
        }
    }
    return otherFolders;
}

void TForm1::scanDroppedFolder(const std::string& folder)
{
    std::vector<std::string> names;
    auto facts = std::make_shared<FolderScanFacts>();
    const int error = scanFolderFiles(folder, names, facts.get());
    if (SelectedFiles.empty()) {
        SelectedFiles = std::move(names);
        // The list read next takes the files as the scan saw them.
        m_droppedFolderFacts = std::move(facts);
    } else {
        SelectedFiles.insert(SelectedFiles.end(), std::make_move_iterator(names.begin()),
                             std::make_move_iterator(names.end()));
    }
    if (!SelectedFiles.empty()) {
        SearchDirChange(folder);
    }
    if (error != 0) {
        showErrorMessage(QStringLiteral("フォルダの中を読めませんでした。\n") + displayName(folder)
                         + QLatin1Char('\n') + utf8Text(ioErrorText(error)));
    }
}

// ---------------------------------------------------------------------------
// The extension filter

void TForm1::FileSeleSet()
{
    QListWidget* filter = ui->CheckListBox1;
    // Filled in one go: no item's change reaches the handler, nothing is
    // drawn until the list is complete.
    const QSignalBlocker quiet(filter);
    filter->setUpdatesEnabled(false);
    filter->clear();
    StatusWrite(StatusKind::Working, kSearchingExtensions);
    std::vector<std::string> extensions = distinctExtensions(SelectedFiles);
    sortByName(extensions);
    for (const std::string& extension : extensions) {
        auto* item = new QListWidgetItem(utf8Text(torvel::displayName(extension)));
        // The text is for the eye; the bytes are what names are matched by.
        item->setData(Qt::UserRole, QByteArray(extension.data(), static_cast<qsizetype>(extension.size())));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        filter->addItem(item);
    }
    filter->setUpdatesEnabled(true);
}

std::vector<ExtensionChoice> TForm1::extensionFilterChoices() const
{
    const QListWidget* filter = ui->CheckListBox1;
    std::vector<ExtensionChoice> choices;
    if (filter->count() == 0) {
        // Until a selection has filled the filter, every extension passes.
        std::unordered_set<std::string_view> seen;
        for (const std::string& name : SelectedFiles) {
            if (const std::string_view extension = extensionOf(name); seen.insert(extension).second) {
                choices.push_back({std::string(extension), true});
            }
        }
        return choices;
    }
    choices.reserve(static_cast<std::size_t>(filter->count()));
    for (int i = 0; i < filter->count(); ++i) {
        const QListWidgetItem* item = filter->item(i);
        const QVariant bytes = item->data(Qt::UserRole);
        const QByteArray extension = bytes.isValid() ? bytes.toByteArray() : item->text().toUtf8();
        choices.push_back({extension.toStdString(), item->checkState() == Qt::Checked});
    }
    return choices;
}

void TForm1::CheckListBox1ClickCheck()
{
    FileProp();
    StringGrid1Write(ui->NonPreCheck->isChecked());
}

// ---------------------------------------------------------------------------
// The grid's menu

void TForm1::StringGrid1MouseUp(QObject* /*Sender*/, Qt::MouseButton Button, Qt::KeyboardModifiers /*Shift*/,
                                int X, int Y)
{
    if (Button != Qt::RightButton) {
        return;
    }
    QTableView* grid = ui->StringGrid1;
    const QModelIndex cell = grid->indexAt(QPoint(X, Y));
    const int row = cell.row() + 1;  // the header is grid row 0
    if (!cell.isValid() || row >= m_grid->RowCount() || m_grid->currentName(row).empty()) {
        return;
    }
    PopupRow = row;
    QAction* name = m_gridMenu->findChild<QAction*>(QStringLiteral("pName"));
    name->setText(menuCaption(cell.data(Qt::DisplayRole).toString()));
    m_gridMenu->popup(grid->viewport()->mapToGlobal(QPoint(X, Y)));
}

void TForm1::PopupMenu1Popup()
{
    m_gridMenu->findChild<QAction*>(QStringLiteral("pTime"))
        ->setVisible(pageOfTab(ui->PageControl1->currentIndex()) == Page::TimeStamp);
}

void TForm1::mjogaiClick()
{
    const int index = PopupRow - 1;
    // Only the file the menu was opened over; should the list have changed
    // since, nothing is taken out.
    if (index < 0 || index >= m_fileList->Count()
        || m_fileList->fileNameAt(index) != m_grid->currentName(PopupRow)) {
        return;
    }
    m_fileList->DeleteItem(index);
    // The rows below move up: the next redraw must write every row, also
    // when it computes no names.
    m_grid->setCell(0, 1, std::string());
    StringGrid1Write(ui->NonPreCheck->isChecked());
}

// ---------------------------------------------------------------------------
// The folder tree's menu

void TForm1::ExplorerMenuClick()
{
    const std::string folder = ui->DirTree->SelectedPath();
    if (!folder.empty()) {
        openInFileManager(QUrl::fromEncoded(fileUriOf(folder)));
    }
}

void TForm1::openInFileManager(const QUrl& folder)
{
    QDesktopServices::openUrl(folder);
}

} // namespace torvel
