#include "PreviewGrid.h"
#include "Utf8Text.h"

#include <QApplication>
#include <QColor>
#include <QDate>
#include <QStyle>
#include <QStringList>
#include <QTime>

#include <algorithm>

#include "DosDateTime.h"
#include "Extraction.h"
#include "FilesList.h"
#include "NameText.h"
#include "Texts.h"

namespace torvel {

namespace {

const std::string kNoCell;

// A date or time form without its time-zone fields; quoted text is kept.
QString withoutTimeZone(const QString& form)
{
    QString result;
    bool quoted = false;
    for (const QChar c : form) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
        }
        if (quoted || c != QLatin1Char('t')) {
            result += c;
        }
    }
    return result.simplified();
}

// Where an unquoted field letter run starts in a form, or -1.
qsizetype unquotedField(const QString& form, const QString& field)
{
    bool quoted = false;
    for (qsizetype i = 0; i < form.size(); ++i) {
        if (form[i] == QLatin1Char('\'')) {
            quoted = !quoted;
        } else if (!quoted && QStringView(form).mid(i).startsWith(field)) {
            return i;
        }
    }
    return -1;
}

bool isHourLetter(QChar c)
{
    return c == QLatin1Char('h') || c == QLatin1Char('H');
}

} // namespace

QString timeFormWithSeconds(const QLocale& locale)
{
    QString form = withoutTimeZone(locale.timeFormat(QLocale::ShortFormat));
    if (unquotedField(form, QStringLiteral("s")) >= 0) {
        return form;
    }
    const qsizetype minutes = unquotedField(form, QStringLiteral("mm"));
    if (minutes <= 0) {
        return withoutTimeZone(locale.timeFormat(QLocale::LongFormat));
    }
    // The seconds follow the minutes with the separator the hours and
    // minutes have ("H:mm" becomes "H:mm:ss", "H.mm" becomes "H.mm.ss").
    qsizetype start = minutes;
    while (start > 0 && !isHourLetter(form[start - 1])) {
        --start;
    }
    QString separator = form.mid(start, minutes - start);
    if (separator.isEmpty() || separator.contains(QLatin1Char('\''))) {
        separator = QStringLiteral(":");
    }
    form.insert(minutes + 2, separator + QStringLiteral("ss"));
    return form;
}

namespace {

QString timeText(std::int32_t packed, const QLocale& locale, const QString& dateForm,
                 const QString& timeForm)
{
    LocalDateTime stamp;
    if (packed == 0 || !unpackDosDateTime(static_cast<std::uint32_t>(packed), stamp)) {
        return {};
    }
    QString text = locale.toString(QDate(stamp.year, stamp.month, stamp.day), dateForm);
    if (stamp.hour == 0 && stamp.minute == 0 && stamp.second == 0) {
        // Midnight shows the date alone, unless the date is so short that
        // the column would not tell it is a time stamp.
        if (text.size() < 9) {
            text += QStringLiteral(" 0:00:00");
        }
        return text;
    }
    return text + QLatin1Char(' ')
           + locale.toString(QTime(stamp.hour, stamp.minute, stamp.second), timeForm);
}

QString shortDateForm(const QLocale& locale)
{
    return withoutTimeZone(locale.dateFormat(QLocale::ShortFormat));
}

} // namespace

QString previewTimeText(std::int32_t packed, const QLocale& locale)
{
    return timeText(packed, locale, shortDateForm(locale), timeFormWithSeconds(locale));
}

// ---------------------------------------------------------------------------

PreviewGrid::PreviewGrid(QObject* parent)
    : QAbstractTableModel(parent)
{}

bool PreviewGrid::isDataRow(int row) const
{
    return row >= 1 && row < RowCount();
}

const std::string* PreviewGrid::typedCell(int column, std::size_t at) const
{
    const auto& typed = m_typed[column];
    if (typed.empty()) {
        return nullptr; // the usual case, asked for every cell drawn
    }
    const auto found = typed.find(at);
    return found == typed.end() ? nullptr : &found->second;
}

const std::string& PreviewGrid::nameAt(std::size_t at) const
{
    if (const std::string* typed = typedCell(0, at)) {
        return *typed;
    }
    // The list may have been read again since the last redraw, which is then
    // about to follow.
    if (m_list == nullptr || at >= static_cast<std::size_t>(m_list->Count())) {
        return kNoCell;
    }
    return m_list->fileNameAt(static_cast<int>(at));
}

const std::string& PreviewGrid::newNameAt(std::size_t at) const
{
    if (const std::string* typed = typedCell(1, at)) {
        return *typed;
    }
    if (!m_newNamesShown || m_list == nullptr || at >= static_cast<std::size_t>(m_list->Count())) {
        return kNoCell;
    }
    return m_list->item(static_cast<int>(at))->NewName;
}

std::string PreviewGrid::cell(int column, int row) const
{
    if (column < 0 || column > 1 || row < 0 || row >= RowCount()) {
        return {};
    }
    if (row == 0) {
        return header(column).toStdString();
    }
    const auto at = static_cast<std::size_t>(row - 1);
    return column == 0 ? nameAt(at) : secondCellText(at);
}

const std::string& PreviewGrid::currentName(int row) const
{
    return isDataRow(row) ? nameAt(static_cast<std::size_t>(row - 1)) : kNoCell;
}

std::vector<RunRow> PreviewGrid::rows() const
{
    std::vector<RunRow> result(m_rows);
    for (std::size_t i = 0; i < m_rows; ++i) {
        result[i].current = nameAt(i);
        if (m_second == SecondColumn::NewNames) {
            result[i].newName = newNameAt(i);
        }
    }
    return result;
}

std::string PreviewGrid::secondCellText(std::size_t at) const
{
    switch (m_second) {
    case SecondColumn::NewNames:
        return newNameAt(at);
    case SecondColumn::TimeStamps:
        return previewTimeText(m_values[at], QLocale()).toStdString();
    case SecondColumn::Attributes:
        return AttrText(m_values[at]);
    }
    return {};
}

QString PreviewGrid::secondCellDisplay(std::size_t at) const
{
    switch (m_second) {
    case SecondColumn::NewNames: {
        const std::string& name = newNameAt(at);
        return name.empty() ? QString() : utf8Text(displayName(name));
    }
    case SecondColumn::TimeStamps: {
        const QLocale locale;
        if (m_dateForm.isEmpty() || !(locale == m_timeLocale)) {
            m_timeLocale = locale;
            m_dateForm = shortDateForm(locale);
            m_timeForm = timeFormWithSeconds(locale);
        }
        return timeText(m_values[at], m_timeLocale, m_dateForm, m_timeForm);
    }
    case SecondColumn::Attributes:
        return utf8Text(AttrText(m_values[at]));
    }
    return {};
}

// ---------------------------------------------------------------------------
// Writing

void PreviewGrid::setRowCount(int gridRows)
{
    resizeRows(static_cast<std::size_t>(std::max(gridRows, 2) - 1));
}

void PreviewGrid::resizeRows(std::size_t dataRows)
{
    const std::size_t old = m_rows;
    if (dataRows == old) {
        return;
    }
    const int first = static_cast<int>(std::min(old, dataRows));
    const int last = static_cast<int>(std::max(old, dataRows)) - 1;
    if (dataRows > old) {
        beginInsertRows(QModelIndex(), first, last);
    } else {
        beginRemoveRows(QModelIndex(), first, last);
    }
    m_rows = dataRows;
    for (auto& typed : m_typed) {
        std::erase_if(typed, [dataRows](const auto& cell) { return cell.first >= dataRows; });
    }
    if (m_second != SecondColumn::NewNames) {
        m_values.resize(dataRows, 0);
    }
    if (dataRows > old) {
        endInsertRows();
    } else {
        endRemoveRows();
    }
}

void PreviewGrid::useSecondColumn(SecondColumn kind)
{
    if (kind == m_second) {
        return;
    }
    // The stamps or attribute words are kept only while they are shown.
    if (kind == SecondColumn::NewNames) {
        m_values.clear();
        m_values.shrink_to_fit();
    } else {
        m_values.assign(m_rows, 0);
    }
    m_second = kind;
}

void PreviewGrid::setCell(int column, int row, std::string value)
{
    if (!isDataRow(row) || column < 0 || column > 1) {
        return;
    }
    const auto at = static_cast<std::size_t>(row - 1);
    if (column == 1 && m_second != SecondColumn::NewNames) {
        // The page texts give way to plain cells.
        useSecondColumn(SecondColumn::NewNames);
        m_newNamesShown = false;
        allCellsChanged();
    }
    m_typed[column][at] = std::move(value);
    // The row's hint names both cells, so both change.
    Q_EMIT dataChanged(index(row - 1, 0), index(row - 1, 1), {Qt::DisplayRole, Qt::ToolTipRole});
}

// The rows become the list's items; cells set one by one go.
void PreviewGrid::showList(const TMyFileList& list)
{
    m_list = &list;
    m_typed[0].clear();
    m_typed[1].clear();
    resizeRows(static_cast<std::size_t>(std::max(list.Count(), 1)));
}

void PreviewGrid::writeNames(const TMyFileList& list, bool withNewNames)
{
    // Writing the same cells again is no change the view has to hear of.
    const bool changed = m_second != SecondColumn::NewNames || !m_typed[0].empty()
                         || !m_typed[1].empty() || m_list != &list
                         || m_listChanges != list.changes() || m_newNamesShown != withNewNames;
    useSecondColumn(SecondColumn::NewNames);
    showList(list);
    m_newNamesShown = withNewNames;
    m_listChanges = list.changes();
    if (changed) {
        allCellsChanged();
    }
}

void PreviewGrid::writeTimeStamps(const TMyFileList& list)
{
    useSecondColumn(SecondColumn::TimeStamps);
    showList(list);
    for (std::size_t i = 0; i < m_values.size() && i < static_cast<std::size_t>(list.Count());
         ++i) {
        m_values[i] = list.item(static_cast<int>(i))->Time;
    }
    allCellsChanged();
}

void PreviewGrid::writeAttributes(const TMyFileList& list)
{
    useSecondColumn(SecondColumn::Attributes);
    showList(list);
    for (std::size_t i = 0; i < m_values.size() && i < static_cast<std::size_t>(list.Count());
         ++i) {
        m_values[i] = list.GetFileAttr(static_cast<int>(i));
    }
    allCellsChanged();
}

bool PreviewGrid::newNamesCleared() const
{
    return m_second == SecondColumn::NewNames && newNameAt(0).empty();
}

void PreviewGrid::releaseList()
{
    m_list = nullptr;
    m_typed[0].clear();
    m_typed[1].clear();
    resizeRows(1);
    allCellsChanged();
}

void PreviewGrid::allCellsChanged()
{
    // Marks belong to the names they were found for.
    QList<int> roles{Qt::DisplayRole, Qt::ToolTipRole};
    if (!m_conflicts.empty()) {
        m_conflicts.clear();
        roles << Qt::BackgroundRole << Qt::DecorationRole;
    }
    Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, 1), roles);
}

void PreviewGrid::setHeader(int column, const QString& text)
{
    if (column < 0 || column > 1 || m_headers[column] == text) {
        return;
    }
    m_headers[column] = text;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

QString PreviewGrid::header(int column) const
{
    return column >= 0 && column <= 1 ? m_headers[column] : QString();
}

// ---------------------------------------------------------------------------
// QAbstractTableModel

int PreviewGrid::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows);
}

int PreviewGrid::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant PreviewGrid::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    const auto at = static_cast<std::size_t>(index.row());
    const RowConflict mark = at < m_conflicts.size() ? m_conflicts[at] : RowConflict::None;
    switch (role) {
    case Qt::DisplayRole:
        return cellDisplay(at, index.column());
    case Qt::ToolTipRole:
        return rowToolTip(at);
    case Qt::BackgroundRole:
        return mark == RowConflict::None ? QVariant() : QVariant(QColor(255, 224, 224));
    case Qt::DecorationRole:
        if (mark == RowConflict::None || index.column() != 1) {
            return {};
        }
        return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    default:
        return {};
    }
}

void PreviewGrid::setConflicts(std::vector<RowConflict> conflicts, bool takenFails)
{
    m_conflicts = std::move(conflicts);
    m_takenFails = takenFails;
    Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, 1),
                       {Qt::BackgroundRole, Qt::DecorationRole, Qt::ToolTipRole});
}

RowConflict PreviewGrid::conflict(int row) const
{
    const auto at = static_cast<std::size_t>(row - 1);
    return row >= 1 && at < m_conflicts.size() ? m_conflicts[at] : RowConflict::None;
}

QString PreviewGrid::cellDisplay(std::size_t at, int column) const
{
    if (column == 0) {
        const std::string& name = nameAt(at);
        return name.empty() ? QString() : utf8Text(displayName(name));
    }
    return secondCellDisplay(at);
}

QVariant PreviewGrid::rowToolTip(std::size_t at) const
{
    // Both cells of the row whole, which the columns may show cut short; made
    // only when asked for, as the pointer rests on a row. An empty row has
    // none, so that the grid's own hint shows there.
    if (nameAt(at).empty()) {
        return {};
    }
    QStringList lines;
    for (const int column : {0, 1}) {
        const QString text = cellDisplay(at, column);
        if (!text.isEmpty()) {
            const QString label = m_headers[column].trimmed();
            lines << (label.isEmpty() ? text : label + QStringLiteral(": ") + text).toHtmlEscaped();
        }
    }
    // Written as rich text on purpose: a name holding "<b>" then shows as
    // typed instead of being taken for markup, and a long name is not wrapped.
    if (at < m_conflicts.size() && m_conflicts[at] != RowConflict::None) {
        lines << QString::fromUtf8(torvel::conflictReason(m_conflicts[at], m_takenFails))
                     .toHtmlEscaped();
    }
    if (m_second == SecondColumn::NewNames) {
        for (const QString& line : fileDates(at)) {
            lines << line.toHtmlEscaped();
        }
    }
    return QStringLiteral("<p style=\"white-space:pre\">") + lines.join(QStringLiteral("<br>"))
           + QStringLiteral("</p>");
}

// The dates a name may be made from, for the row of a listed file: the
// shooting date as the list read it, else read from that one file now.
QStringList PreviewGrid::fileDates(std::size_t at) const
{
    const auto index = static_cast<int>(at);
    if (m_list == nullptr || typedCell(0, at) != nullptr || index >= m_list->Count()) {
        return {};
    }
    LocalDateTime modified;
    const bool known = m_list->lastWriteLocal(index, modified);
    return utf8Text(fileDatesText(m_list->shootingDateOf(index),
                                  known ? std::optional(modified) : std::nullopt))
        .split(QLatin1Char('\n'));
}

QVariant PreviewGrid::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 1) {
        return {};
    }
    return m_headers[section];
}

Qt::ItemFlags PreviewGrid::flags(const QModelIndex& index) const
{
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace torvel
