#include "Preview.h"
#include "Utf8Text.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>

#include "ChangeName.h"
#include "FilesList.h"
#include "FormHost.h"
#include "NameRules.h"
#include "Pages.h"
#include "PreviewGrid.h"
#include "RenameSession.h"
#include "StatusTexts.h"
#include "Texts.h"

namespace torvel {

namespace {

const QString kWorking = utf8Text(drawingPreviewText);
const QString kChooseFiles = utf8Text(chooseFilesText);
const QString kNoIdentifier = utf8Text(typeIdentifierText);

QString secondColumnHeader(Page page)
{
    switch (page) {
    case Page::TimeStamp:
        return QStringLiteral("     更新日時");
    case Page::Attributes:
        return QStringLiteral("         属性");
    case Page::Rename:
        break;
    }
    return QStringLiteral("   変換後ファイル");
}

} // namespace

// The flags one redraw carries from step to step: whether the run may start
// afterwards, and whether the count goes to the status line (a warning stays).
struct Preview::GridPass
{
    bool ready = false;
    bool report = true;
    int conflicts = 0; // rows the run would not carry out as shown
};

Preview::Preview(QTableView* view, FormHost& host, const FolderChoice& folders)
    : QObject()
    , m_host(host)
    , m_folders(folders)
    , m_list(std::make_unique<TMyFileList>())
    , m_view(view)
    , m_grid(new PreviewGrid(view))
{
    setUpView();
    // Reading the shooting dates of many files takes seconds: the status line
    // counts them and the window keeps repainting, though it takes no input
    // until they are read.
    m_list->setShootingDateProgress([this](std::size_t done, std::size_t total) {
        m_host.StatusWrite(StatusKind::Working, StatusText::readingShootingDates(done, total));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
}

Preview::~Preview()
{
    // The grid, owned by the view, outlives the list it shows.
    m_grid->releaseList();
}

void Preview::setUpView()
{
    m_view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setModel(m_grid);
    // One height for every row and no measuring of contents: a view over
    // 100,000 rows then costs no more than one over 100.
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(20);
    m_view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->setWordWrap(false);
    // A long name keeps its start and its extension; the row's hint has it whole.
    m_view->setTextElideMode(Qt::ElideMiddle);
}

// ---------------------------------------------------------------------------
// The list and the grid

std::vector<std::string> Preview::listedNames() const
{
    std::vector<std::string> names;
    if (m_list->Count() == 0) {
        return names; // the grid keeps one empty row when nothing is listed
    }
    names.reserve(static_cast<std::size_t>(m_grid->RowCount() - 1));
    for (int row = 1; row < m_grid->RowCount(); ++row) {
        names.push_back(m_grid->currentName(row));
    }
    return names;
}

std::vector<RunRow> Preview::runRows() const
{
    return m_grid->rows();
}

void Preview::listRead()
{
    sortedAnew();
    m_grid->setRowCount(2);
}

void Preview::sortedAnew()
{
    // An empty first name makes the next redraw write every row, also when
    // it computes no names.
    m_grid->setCell(0, 1, std::string());
}

bool Preview::excludeRow(int row)
{
    const int index = row - 1;
    // Only the file the menu was opened over; should the list have changed
    // since, nothing is taken out.
    if (index < 0 || index >= m_list->Count()
        || m_list->fileNameAt(index) != m_grid->currentName(row)) {
        return false;
    }
    m_list->DeleteItem(index);
    sortedAnew(); // the rows below move up
    return true;
}

void Preview::writeHeaders()
{
    m_grid->setHeader(0, QStringLiteral("   変換前ファイル"));
    m_grid->setHeader(1, secondColumnHeader(Page::Rename));
}

void Preview::setColumnWidths()
{
    int client = m_view->width() - 2 * m_view->frameWidth();
    if (m_view->verticalScrollBar()->isVisibleTo(m_view)) {
        client -= m_view->verticalScrollBar()->width();
    }
    const int column = client / 2 - 1;
    m_view->setColumnWidth(0, column);
    m_view->setColumnWidth(1, column);
}

bool Preview::Change_Name(const RenameOptions& options)
{
    m_host.StatusWrite(StatusKind::Working, StatusText::of(NameStatus::Converting));
    const ChangeNameResult result =
        makeNewNames(*m_list, options, {m_folders.sourceFolder(), m_folders.destinationFolder()});
    m_host.StatusWrite(result.status.kind, StatusText::of(result.status.what));
    m_withoutShootingDate = result.ok ? result.withoutShootingDate : 0;
    return result.ok;
}

// ---------------------------------------------------------------------------
// The grid's redraw

bool Preview::write(Page page, bool compute, NamingChoice& naming)
{
    m_host.StatusWrite(StatusKind::Working, kWorking);
    m_withoutShootingDate = 0;
    GridPass pass{compute, true};
    const int count = m_list->Count();
    if (count == 0) {
        m_grid->setRowCount(2);
        pass = GridPass{false, false};
        m_host.StatusWrite(StatusKind::Waiting, kChooseFiles);
    } else {
        m_grid->setRowCount(count + 1);
        m_grid->setHeader(1, secondColumnHeader(page));
        if (page == Page::Rename) {
            writeRenameRows(pass, naming);
        } else {
            // The time stamp and attribute pages list the files by name,
            // whatever order the rename page shows.
            m_list->SetSortType(SortOrder::NameUp);
            if (page == Page::TimeStamp) {
                m_grid->writeTimeStamps(*m_list);
            } else {
                Q_EMIT attributesListed();
                m_grid->writeAttributes(*m_list);
            }
            pass.ready = true;
        }
    }
    return finishWrite(pass, page == Page::Rename);
}

void Preview::writeRenameRows(GridPass& pass, NamingChoice& naming)
{
    const RenameOptions options = naming.namingOptions();
    if (lacksIdentifier(options)) {
        m_host.StatusWrite(StatusKind::Warning, kNoIdentifier);
        pass = GridPass{false, false};
    }
    const std::optional<SortOrder> order = naming.sortOrder();
    if (order && *order != m_list->SortType()) {
        m_list->SetSortType(*order);
    }
    if (pass.ready) {
        pass.ready = Change_Name(options);
        pass.report = pass.ready;
    }
    if (pass.report) {
        m_host.StatusWrite(StatusKind::Working, kWorking);
    }
    // Rows are written only when something shown changes: new names, a list
    // read again or sorted anew (its first name cell emptied), or stale names
    // or another page's texts to clear.
    if (pass.ready || m_grid->currentName(1).empty() || !m_grid->newNamesCleared()) {
        m_grid->writeNames(*m_list, pass.ready);
    }
    if (pass.ready) {
        // Each folder is read at most once per redraw, and not at all when
        // nothing changed since the last one; painting looks nothing up.
        ConflictMarks marks = conflictsOf(m_conflicts, *m_list, m_folders.sourceFolder(),
                                          m_folders.destinationFolder());
        pass.conflicts = marks.count;
        m_grid->setConflicts(std::move(marks.marks), naming.avoidsDuplicates());
    }
}

bool Preview::finishWrite(GridPass pass, bool renamePage)
{
    if (pass.ready) {
        pass.ready = !m_grid->currentName(1).empty();
    }
    if (pass.ready && renamePage) {
        pass.ready = m_grid->cell(1, 1) == m_list->GetNewName(0);
    }
    if (pass.report) {
        // Rows that would not go as shown come first; then files that had no
        // shooting date for their names, the same words torvel-cli prints.
        const bool conflicts = pass.ready && pass.conflicts > 0;
        const bool fallbacks = pass.ready && !conflicts && m_withoutShootingDate > 0;
        const StatusKind kind = conflicts || fallbacks ? StatusKind::Warning
                                : pass.ready           ? StatusKind::Ready
                                                       : StatusKind::Waiting;
        m_host.StatusWrite(
            kind,
            utf8Text(fallbacks ? withoutShootingDateText(m_withoutShootingDate)
                               : chosenCountText(m_list->Count(), conflicts ? pass.conflicts : 0)));
    }
    setColumnWidths();
    return pass.ready;
}

} // namespace torvel
