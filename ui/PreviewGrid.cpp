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
    , m_names(1)
    , m_newNames(1)
{}

bool PreviewGrid::isDataRow(int row) const
{
    return row >= 1 && row < RowCount();
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
    return column == 0 ? m_names[at] : secondCellText(at);
}

const std::string& PreviewGrid::currentName(int row) const
{
    return isDataRow(row) ? m_names[static_cast<std::size_t>(row - 1)] : kNoCell;
}

std::vector<RunRow> PreviewGrid::rows() const
{
    std::vector<RunRow> result(m_names.size());
    for (std::size_t i = 0; i < m_names.size(); ++i) {
        result[i].current = m_names[i];
        if (m_second == SecondColumn::NewNames) {
            result[i].newName = m_newNames[i];
        }
    }
    return result;
}

std::string PreviewGrid::secondCellText(std::size_t at) const
{
    switch (m_second) {
    case SecondColumn::NewNames:
        return m_newNames[at];
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
    case SecondColumn::NewNames:
        return m_newNames[at].empty() ? QString() : utf8Text(displayName(m_newNames[at]));
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
    const std::size_t old = m_names.size();
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
    m_names.resize(dataRows);
    if (m_second == SecondColumn::NewNames) {
        m_newNames.resize(dataRows);
    } else {
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
    // Only one of the two column stores is in use at a time; the other is
    // emptied so 100,000 names do not linger beside 100,000 stamps.
    if (kind == SecondColumn::NewNames) {
        m_newNames.assign(m_names.size(), std::string());
        m_values.clear();
    } else {
        m_values.assign(m_names.size(), 0);
        m_newNames.clear();
    }
    m_second = kind;
}

void PreviewGrid::setCell(int column, int row, std::string value)
{
    if (!isDataRow(row) || column < 0 || column > 1) {
        return;
    }
    const auto at = static_cast<std::size_t>(row - 1);
    if (column == 0) {
        m_names[at] = std::move(value);
    } else {
        if (m_second != SecondColumn::NewNames) {
            // The page texts become plain cells again.
            std::vector<std::string> texts(m_names.size());
            for (std::size_t i = 0; i < texts.size(); ++i) {
                texts[i] = secondCellText(i);
            }
            m_values.clear();
            m_newNames = std::move(texts);
            m_second = SecondColumn::NewNames;
            allCellsChanged();
        }
        m_newNames[at] = std::move(value);
    }
    // The row's hint names both cells, so both change.
    Q_EMIT dataChanged(index(row - 1, 0), index(row - 1, 1), {Qt::DisplayRole, Qt::ToolTipRole});
}

bool PreviewGrid::copyNames(const TMyFileList& list)
{
    resizeRows(static_cast<std::size_t>(std::max(list.Count(), 1)));
    bool changed = false;
    const std::size_t count = std::min(m_names.size(), static_cast<std::size_t>(list.Count()));
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& name = list.fileNameAt(static_cast<int>(i));
        if (m_names[i] != name) {
            m_names[i] = name;
            changed = true;
        }
    }
    return changed;
}

void PreviewGrid::writeNames(const TMyFileList& list, bool withNewNames)
{
    bool changed = m_second != SecondColumn::NewNames;
    useSecondColumn(SecondColumn::NewNames);
    changed = copyNames(list) || changed;
    const std::size_t count = std::min(m_names.size(), static_cast<std::size_t>(list.Count()));
    for (std::size_t i = 0; i < count; ++i) {
        const TMyFileItem* item = list.item(static_cast<int>(i));
        std::string& cellText = m_newNames[i];
        if (!withNewNames) {
            changed = changed || !cellText.empty();
            cellText.clear();
        } else if (cellText != item->NewName) {
            cellText = item->NewName;
            changed = true;
        }
    }
    // Writing the same cells again is no change the view has to hear of.
    if (changed) {
        allCellsChanged();
    }
}

void PreviewGrid::writeTimeStamps(const TMyFileList& list)
{
    useSecondColumn(SecondColumn::TimeStamps);
    copyNames(list);
    const std::size_t count = std::min(m_names.size(), static_cast<std::size_t>(list.Count()));
    for (std::size_t i = 0; i < count; ++i) {
        m_values[i] = list.item(static_cast<int>(i))->Time;
    }
    allCellsChanged();
}

void PreviewGrid::writeAttributes(const TMyFileList& list)
{
    useSecondColumn(SecondColumn::Attributes);
    copyNames(list);
    const std::size_t count = std::min(m_names.size(), static_cast<std::size_t>(list.Count()));
    for (std::size_t i = 0; i < count; ++i) {
        m_values[i] = list.GetFileAttr(static_cast<int>(i));
    }
    allCellsChanged();
}

bool PreviewGrid::newNamesCleared() const
{
    return m_second == SecondColumn::NewNames && m_newNames.front().empty();
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
    return parent.isValid() ? 0 : static_cast<int>(m_names.size());
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

int PreviewGrid::markConflicts(const TMyFileList& list, const std::string& searchDir,
                               const std::string& changeDir, bool takenFails)
{
    std::vector<RowConflict> conflicts = m_conflictFinder.find(list, searchDir, changeDir);
    const auto marked = std::count_if(conflicts.begin(), conflicts.end(),
                                      [](RowConflict c) { return c != RowConflict::None; });
    setConflicts(std::move(conflicts), takenFails);
    return static_cast<int>(marked);
}

RowConflict PreviewGrid::conflict(int row) const
{
    const auto at = static_cast<std::size_t>(row - 1);
    return row >= 1 && at < m_conflicts.size() ? m_conflicts[at] : RowConflict::None;
}

QString PreviewGrid::conflictReason(RowConflict conflict) const
{
    switch (conflict) {
    case RowConflict::None:
        break;
    case RowConflict::NameTaken:
        return m_takenFails
                   ? QStringLiteral("新しい名前のファイルがすでにあるため、変換できません。")
                   : QStringLiteral("新しい名前のファイルがすでにあります。実行すると、ごみ箱に移動"
                                    "するか確認します。");
    case RowConflict::SameNewName:
        return QStringLiteral("前の行と同じ新しい名前です。この行は変換できません。");
    case RowConflict::CannotHold:
        return QStringLiteral("保存先では使えない名前です。");
    case RowConflict::SourceGone:
        return QStringLiteral("元のファイルが見つかりません。");
    }
    return {};
}

QString PreviewGrid::cellDisplay(std::size_t at, int column) const
{
    if (column == 0) {
        return m_names[at].empty() ? QString() : utf8Text(displayName(m_names[at]));
    }
    return secondCellDisplay(at);
}

QVariant PreviewGrid::rowToolTip(std::size_t at) const
{
    // Both cells of the row whole, which the columns may show cut short; made
    // only when asked for, as the pointer rests on a row. An empty row has
    // none, so that the grid's own hint shows there.
    if (m_names[at].empty()) {
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
        lines << conflictReason(m_conflicts[at]).toHtmlEscaped();
    }
    return QStringLiteral("<p style=\"white-space:pre\">") + lines.join(QStringLiteral("<br>"))
           + QStringLiteral("</p>");
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
