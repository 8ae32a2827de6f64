#pragma once

#include <QAbstractTableModel>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "PreviewConflicts.h"
#include "RunTypes.h"

namespace torvel {

class TMyFileList;

// The cells of the preview grid StringGrid1. The grid is the run's input, not
// only a picture of the file list: the run takes the current and the new name
// of each file from these cells as the last redraw left them.
//
// Rows are counted as the grid counts them: row 0 is the header, rows 1 to
// RowCount()-1 hold one file each (row r is item r-1 of the file list). Model
// row m of the view is grid row m+1. Column 0 holds the current bare name as
// bytes. Column 1 holds the new bare name (bytes) on the rename page, and on
// the time stamp and attribute pages a text for the person (UTF-8) that the
// run does not read.
//
// Made for selections of 100,000 files: the names are not copied but read
// from the list the last redraw wrote (every change of the list is followed
// by a redraw, which tells the view), a name becomes screen text only when
// its row is drawn, the time stamp page keeps the packed stamps and formats
// only the rows on screen, and a row's hint (both cells whole; on the rename
// page the file's shooting date and time stamp too) is made only when the
// pointer rests on it.
class PreviewGrid : public QAbstractTableModel
{
    Q_OBJECT
public:
    // What column 1 holds.
    enum class SecondColumn
    {
        NewNames,
        TimeStamps,
        Attributes
    };

    explicit PreviewGrid(QObject* parent = nullptr);

    // --- the grid as the run reads it ---
    // Header plus data rows; never less than 2 (one data row, maybe empty).
    int RowCount() const { return static_cast<int>(m_rows) + 1; }
    SecondColumn secondColumn() const { return m_second; }
    // The cell's content: names as bytes, page texts as UTF-8; the header's
    // text for row 0; "" outside the grid.
    std::string cell(int column, int row) const;
    // The current name of a data row (column 0), bytes; "" outside the grid.
    const std::string& currentName(int row) const;
    // Rows 1 to RowCount()-1 in order, as the rename page's run reads them.
    // On the other pages newName is left empty: their column 1 is only text.
    std::vector<RunRow> rows() const;

    // --- writing, as the redraw does it ---
    // Grid rows including the header (at least 2). Rows that stay keep their
    // cells; new rows show the list's items there, if any.
    void setRowCount(int gridRows);
    // Sets one data cell (row >= 1) until the next writing of the rows.
    // Column 1 then holds names again, the other rows' new names hidden.
    void setCell(int column, int row, std::string value);
    // Column 0 the list's names, column 1 its new names or empty cells. The
    // list must outlive the grid's reading of it (see releaseList).
    void writeNames(const TMyFileList& list, bool withNewNames);
    // Column 0 the names, column 1 the time stamps (as text when shown).
    void writeTimeStamps(const TMyFileList& list);
    // Column 0 the names, column 1 the attribute words (as text when shown).
    void writeAttributes(const TMyFileList& list);
    // True when column 1 holds no new name to show: the rename page's rows
    // need no rewrite to clear stale names. Page texts count as stale.
    bool newNamesCleared() const;
    // The list goes away: the grid keeps one empty row.
    void releaseList();

    void setHeader(int column, const QString& text);
    QString header(int column) const;

    // --- QAbstractTableModel ---
    // --- marks of rows whose run would not go through as shown ---
    // One per data row, in row order; cleared by any other writing of the
    // second column. takenFails: duplicates are avoided, so a taken name
    // fails rather than being offered to the trash.
    void setConflicts(std::vector<RowConflict> conflicts, bool takenFails);
    RowConflict conflict(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    bool isDataRow(int row) const;
    const std::string* typedCell(int column, std::size_t at) const;
    const std::string& nameAt(std::size_t at) const;
    const std::string& newNameAt(std::size_t at) const;
    std::string secondCellText(std::size_t at) const;
    QString cellDisplay(std::size_t at, int column) const;
    QVariant rowToolTip(std::size_t at) const;
    QStringList fileDates(std::size_t at) const;
    QString secondCellDisplay(std::size_t at) const;
    void resizeRows(std::size_t dataRows);
    void useSecondColumn(SecondColumn kind);
    void showList(const TMyFileList& list);
    void allCellsChanged();

    const TMyFileList* m_list = nullptr; // what columns 0 and 1 show
    std::size_t m_rows = 1;              // data rows
    bool m_newNamesShown = false;        // column 1 shows the list's new names
    std::uint64_t m_listChanges = 0;     // the list's count of changes, as last written
    // Cells set one by one, by column, over what the list shows.
    std::unordered_map<std::size_t, std::string> m_typed[2];
    std::vector<RowConflict> m_conflicts; // empty, or one per data row
    bool m_takenFails = false;
    std::vector<std::int32_t> m_values; // column 1 on the other pages
    SecondColumn m_second = SecondColumn::NewNames;
    QString m_headers[2];
    // The locale the time texts were last formatted for, and its forms.
    mutable QLocale m_timeLocale;
    mutable QString m_dateForm;
    mutable QString m_timeForm;
};

// The time stamp column's text for a packed local time stamp: the locale's
// short date, a blank, its time with seconds and without a time zone. At
// midnight the time is left out, and " 0:00:00" is added when the date alone
// has fewer than 9 characters. Empty when the stamp is 0 or no valid date.
QString previewTimeText(std::int32_t packed, const QLocale& locale);

// The locale's short time form with seconds added where it has none, and
// without a time zone.
QString timeFormWithSeconds(const QLocale& locale);

} // namespace torvel
