#pragma once

#include <QObject>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "PreviewConflicts.h"

class QTableView;

namespace torvel {

class FolderChoice;
class FormHost;
class PreviewGrid;
class TMyFileList;
enum class Page;
enum class SortOrder : std::uint8_t;
struct RenameOptions;
struct RunRow;

// The preview as the pages and the run read it: the files read from the
// choice, and the names the grid shows for them.
class ListedFiles
{
public:
    virtual TMyFileList& files() = 0;
    virtual const TMyFileList& files() const = 0;
    // Column 0 of the grid's data rows: the bare names a run works on, in order.
    virtual std::vector<std::string> listedNames() const = 0;
    // The grid's rows as the last redraw left them: a rename run's input.
    virtual std::vector<RunRow> runRows() const = 0;

protected:
    ~ListedFiles() = default;
};

// What the preview reads of the rename page when it draws new names.
class NamingChoice
{
public:
    // The options the names are made by, with the boxes cleaned as the names read them.
    virtual RenameOptions namingOptions() = 0;
    // The order chosen; none while no order is chosen.
    virtual std::optional<SortOrder> sortOrder() const = 0;
    virtual bool avoidsDuplicates() const = 0; // JuuhukuCheck

protected:
    ~NamingChoice() = default;
};

// The file list and the preview grid StringGrid1 below the pages, for all
// three of them: the grid is redrawn row by row from the list, never reset,
// so that 100,000 files cost no more to show than 100.
class Preview : public QObject, public ListedFiles
{
    Q_OBJECT
public:
    Preview(QTableView* view, FormHost& host, const FolderChoice& folders);
    ~Preview() override;

    TMyFileList& files() override { return *m_list; }
    const TMyFileList& files() const override { return *m_list; }
    std::vector<std::string> listedNames() const override;
    std::vector<RunRow> runRows() const override;
    const PreviewGrid& grid() const { return *m_grid; }

    // The list was read again, or sorted anew: the next redraw writes every row.
    void listRead();
    void sortedAnew();
    // Leaves the file of grid row `row` out of the list; false when that row
    // no longer shows the file.
    bool excludeRow(int row);
    void writeHeaders();
    void setColumnWidths();
    // Computes the new names; false when the computation stopped.
    bool Change_Name(const RenameOptions& options);
    // Draws the grid for `page`, computing the new names when `compute`.
    // Gives whether the run may start.
    bool write(Page page, bool compute, NamingChoice& naming);

Q_SIGNALS:
    // The attribute page's rows are about to be written, in name order.
    void attributesListed();

private:
    struct GridPass;
    void setUpView();
    void writeRenameRows(GridPass& pass, NamingChoice& naming);
    bool finishWrite(GridPass pass, bool renamePage);

    FormHost& m_host;
    const FolderChoice& m_folders;
    std::unique_ptr<TMyFileList> m_list;
    QTableView* m_view;  // StringGrid1
    PreviewGrid* m_grid; // owned by the view
    ConflictFinder m_conflicts;
    int m_withoutShootingDate = 0; // of the names the last redraw made
};

} // namespace torvel
