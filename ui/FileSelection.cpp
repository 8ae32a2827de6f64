#include "FileSelection.h"

#include "DroppedItems.h"

#include "ByteText.h"
#include "Utf8Text.h"

#include <QAction>
#include <QFontMetrics>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTableView>

#include <algorithm>
#include <functional>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "FileDrop.h"
#include "FilesList.h"
#include "FolderIdentity.h"
#include "FolderScan.h"
#include "FormHost.h"
#include "IoError.h"
#include "NameCollation.h"
#include "NameRules.h"
#include "OpenFileDialog.h"
#include "Pages.h"
#include "PreviewGrid.h"
#include "RunDriver.h"
#include "StatusMessages.h"
#include "Texts.h"

namespace torvel {

namespace {

const QString kSearchingExtensions = utf8Text(searchingExtensionsText);
const QString kOtherFolders = utf8Text(otherFoldersLeftOutText);

// The grid's right button, watched on the grid's viewport.
class MouseUpWatch : public QObject
{
public:
    MouseUpWatch(QObject* parent, std::function<void(QMouseEvent*)> onRelease)
        : QObject(parent)
        , m_onRelease(std::move(onRelease))
    {}

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

// The folder part of a full path, with its "/"; and its last name.
std::string folderPartOf(std::string_view path)
{
    return std::string(folderPart(path));
}

std::string bareNameOf(std::string_view path)
{
    return std::string(namePart(path));
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

FileSelection::FileSelection(QTableView* grid, QListWidget* filter, const PreviewGrid& rows,
                             FormHost& host, QWidget* window)
    : QObject()
    , m_host(host)
    , m_grid(grid)
    , m_filter(filter)
    , m_rows(rows)
{
    // Room for a large selection from the start, as its first reading needs.
    m_selectedFiles.reserve(5000);
    m_fileDrop = new TFileDrop(window);
    m_fileDrop->setObjectName(QStringLiteral("FileDrop1"));
    m_fileDrop->setControl(grid);
    connect(m_fileDrop, &TFileDrop::OnFileDrop, this, &FileSelection::FileDrop1FileDrop);
    connect(filter, &QListWidget::itemChanged, this, &FileSelection::filterChanged);
    setUpGridMenu(window);
}

void FileSelection::setUpGridMenu(QWidget* window)
{
    m_gridMenu = new QMenu(window);
    m_gridMenu->setObjectName(QStringLiteral("PopupMenu1"));
    m_gridMenu->addAction(QString())->setObjectName(QStringLiteral("pName"));
    m_gridMenu->addSeparator();
    QAction* exclude = m_gridMenu->addAction(QStringLiteral("このファイルを除外する"));
    exclude->setObjectName(QStringLiteral("mjogai"));
    QAction* takeTime = m_gridMenu->addAction(QStringLiteral("このファイルの時刻に設定"));
    takeTime->setObjectName(QStringLiteral("pTime"));
    connect(m_gridMenu, &QMenu::aboutToShow, this, &FileSelection::PopupMenu1Popup);
    connect(exclude, &QAction::triggered, this, [this] { Q_EMIT excludeRequested(m_popupRow); });
    connect(takeTime, &QAction::triggered, this, [this] { Q_EMIT stampRequested(m_popupRow); });

    QWidget* viewport = m_grid->viewport();
    viewport->installEventFilter(new MouseUpWatch(this, [this, viewport](QMouseEvent* event) {
        const QPoint at = event->position().toPoint();
        StringGrid1MouseUp(viewport, event->button(), event->modifiers(), at.x(), at.y());
    }));
}

// ---------------------------------------------------------------------------
// The open-file dialog

void FileSelection::openFilesFrom(const std::string& folder)
{
    m_searchExt = asciiLowerName(m_searchExt);
    OpenDialogSetup setup;
    setup.title = QStringLiteral("変換するファイルの選択");
    if (m_searchExt == "jpg" || m_searchExt == "gif" || m_searchExt == "bmp") {
        setup.filterIndex = 1;
    } else if (m_searchExt == "txt" || m_searchExt == "prn") {
        setup.filterIndex = 2;
    } else {
        setup.filterIndex = 3;
        setup.defaultExt = m_searchExt;
    }
    setup.folder = folder;

    if (const std::optional<std::vector<std::string>> chosen = m_host.runOpenDialog(setup);
        chosen && !chosen->empty()) {
        m_selectedFiles.clear();
        Q_EMIT sourceFolderChosen(folderPartOf(chosen->front()));
        for (const std::string& path : *chosen) {
            m_selectedFiles.push_back(bareNameOf(path));
        }
        FileSeleSet();
        Q_EMIT filesChosen();
    }
    Q_EMIT choiceEnded();
}

// ---------------------------------------------------------------------------
// Drops

void FileSelection::FileDrop1FileDrop(QObject* /*Sender*/, int /*Num*/,
                                      const std::vector<std::string>& Files, int /*X*/, int /*Y*/)
{
    if (Files.empty()) {
        return;
    }
    DroppedItems dropped = torvel::takeDroppedItems(Files);
    m_selectedFiles = std::move(dropped.names);
    m_droppedFolderFacts = std::move(dropped.scanned);
    if (!dropped.folder.empty()) {
        Q_EMIT sourceFolderChosen(dropped.folder);
    }
    if (dropped.scanError != 0) {
        m_host.showErrorMessage(utf8Text(unreadableFolderText) + QLatin1Char('\n')
                                + pathText(Files.front()) + QLatin1Char('\n')
                                + utf8Text(ioErrorText(dropped.scanError)));
    }
    FileSeleSet();
    Q_EMIT filesChosen();
    Q_EMIT choiceEnded();
    if (dropped.otherFolders) {
        m_host.showPlainMessage(kOtherFolders);
    }
}

// ---------------------------------------------------------------------------
// The extension filter and the reading of the list

void FileSelection::FileSeleSet()
{
    // Filled in one go: no item's change reaches the handler, nothing is
    // drawn until the list is complete.
    const QSignalBlocker quiet(m_filter);
    m_filter->setUpdatesEnabled(false);
    m_filter->clear();
    m_host.StatusWrite(StatusKind::Working, kSearchingExtensions);
    std::vector<std::string> extensions = distinctExtensions(m_selectedFiles);
    sortByName(extensions);
    for (const std::string& extension : extensions) {
        auto* item = new QListWidgetItem(utf8Text(displayName(extension)));
        // The text is for the eye; the bytes are what names are matched by.
        item->setData(Qt::UserRole,
                      QByteArray(extension.data(), static_cast<qsizetype>(extension.size())));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        m_filter->addItem(item);
    }
    m_filter->setUpdatesEnabled(true);
}

std::vector<ExtensionChoice> FileSelection::extensionFilterChoices() const
{
    std::vector<ExtensionChoice> choices;
    if (m_filter->count() == 0) {
        // Until a selection has filled the filter, every extension passes.
        std::unordered_set<std::string_view> seen;
        for (const std::string& name : m_selectedFiles) {
            if (const std::string_view extension = extensionOf(name);
                seen.insert(extension).second) {
                choices.push_back({std::string(extension), true});
            }
        }
        return choices;
    }
    choices.reserve(static_cast<std::size_t>(m_filter->count()));
    for (int i = 0; i < m_filter->count(); ++i) {
        const QListWidgetItem* item = m_filter->item(i);
        const QVariant bytes = item->data(Qt::UserRole);
        const QByteArray extension = bytes.isValid() ? bytes.toByteArray() : item->text().toUtf8();
        choices.push_back({extension.toStdString(), item->checkState() == Qt::Checked});
    }
    return choices;
}

FilePropResult FileSelection::readInto(TMyFileList& list, const std::string& folder,
                                       std::optional<SortOrder> sort)
{
    FilePropInput input;
    input.filter = extensionFilterChoices();
    input.searchDir = folder;
    input.sort = sort;
    // A dropped folder's files as its scan saw them, for this reading only.
    const std::shared_ptr<const FolderScanFacts> scanned = std::move(m_droppedFolderFacts);
    m_droppedFolderFacts.reset();
    input.scanned = scanned.get();
    input.selectedFiles = std::move(m_selectedFiles);
    FilePropResult result;
    try {
        result = rebuildFileList(list, input);
    } catch (...) {
        m_selectedFiles = std::move(input.selectedFiles);
        throw;
    }
    m_selectedFiles = std::move(input.selectedFiles);
    takeExtension(result);
    return result;
}

std::optional<FilePropResult>
FileSelection::renamedInto(TMyFileList& list, std::vector<RunRow>& rows, const RunResult& run,
                           const std::string& folder, std::optional<SortOrder> sort)
{
    if (!renameListed(list, rows, run)) {
        return std::nullopt;
    }
    if (sort) {
        list.SetSortType(*sort);
    }
    FilePropResult result = selectionFacts(m_selectedFiles, folder);
    takeExtension(result);
    return result;
}

void FileSelection::takeExtension(const FilePropResult& facts)
{
    if (facts.searchExtChanged) {
        m_searchExt = facts.SearchExt;
    }
}

// ---------------------------------------------------------------------------
// The grid's menu

void FileSelection::StringGrid1MouseUp(QObject* /*Sender*/, Qt::MouseButton Button,
                                       Qt::KeyboardModifiers /*Shift*/, int X, int Y)
{
    if (Button != Qt::RightButton) {
        return;
    }
    const QModelIndex cell = m_grid->indexAt(QPoint(X, Y));
    const int row = cell.row() + 1; // the header is grid row 0
    if (!cell.isValid() || row >= m_rows.RowCount() || m_rows.currentName(row).empty()) {
        return;
    }
    m_popupRow = row;
    QAction* name = m_gridMenu->findChild<QAction*>(QStringLiteral("pName"));
    // A long name would stretch the menu across the screen: it is cut in the
    // middle, as in the grid, to the width of the grid the menu opens over.
    const QString shown = m_gridMenu->fontMetrics().elidedText(
        cell.data(Qt::DisplayRole).toString(), Qt::ElideMiddle, m_grid->width());
    name->setText(menuCaption(shown));
    m_gridMenu->popup(m_grid->viewport()->mapToGlobal(QPoint(X, Y)));
}

void FileSelection::PopupMenu1Popup()
{
    m_gridMenu->findChild<QAction*>(QStringLiteral("pTime"))
        ->setVisible(m_host.currentPage() == Page::TimeStamp);
}

} // namespace torvel
