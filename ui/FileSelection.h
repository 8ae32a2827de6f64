#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "FileProp.h"

class QListWidget;
class QMenu;
class QTableView;

namespace torvel {

class FormHost;
class PreviewGrid;
class TFileDrop;
class TMyFileList;
struct RunResult;
struct RunRow;

// Choosing the files to convert: the open-file dialog, files and folders
// dropped on the grid, the extension filter, and the grid's menu (show a
// name, leave a file out, take its time stamp).
//
// What a choice sets off is signalled, in this order: the folder the files
// are in, that files were chosen (the list is read), and that the choice is
// over (the grid is drawn again).
class FileSelection : public QObject
{
    Q_OBJECT
public:
    // grid: StringGrid1, whose drops and right button are taken here;
    // filter: CheckListBox1; rows: the grid's cells, read for its menu.
    FileSelection(QTableView* grid, QListWidget* filter, const PreviewGrid& rows, FormHost& host,
                  QWidget* window);

    // The chosen files: bare names in the source folder.
    const std::vector<std::string>& selectedFiles() const { return m_selectedFiles; }
    void setSelectedFiles(std::vector<std::string> names) { m_selectedFiles = std::move(names); }
    // The remembered source extension, which the open-file dialog starts with.
    const std::string& sourceExtension() const { return m_searchExt; }
    void setSourceExtension(std::string extension) { m_searchExt = std::move(extension); }
    // The grid row the grid's menu was last opened on; -1 before.
    int popupRow() const { return m_popupRow; }

    // Shows the open-file dialog in `folder`.
    void openFilesFrom(const std::string& folder);
    // Fills the extension filter from the selection, every item ticked.
    void FileSeleSet();
    // Reads the chosen files whose extension is ticked into the list, sorted
    // by `sort`; the selection is lent to the reader, not copied.
    FilePropResult readInto(TMyFileList& list, const std::string& folder,
                            std::optional<SortOrder> sort);
    // After a rename in place of the list's rows, with the selection set to
    // the files that took their new names: the list keeps those items under
    // the new names (renameListed takes them out of the rows), sorted by
    // `sort`, without a look at any file. Nothing when the rows are not the
    // list's: readInto is needed then.
    std::optional<FilePropResult> renamedInto(TMyFileList& list, std::vector<RunRow>& rows,
                                              const RunResult& run, const std::string& folder,
                                              std::optional<SortOrder> sort);

public Q_SLOTS:
    void FileDrop1FileDrop(QObject* Sender, int Num, const std::vector<std::string>& Files, int X,
                           int Y);
    void StringGrid1MouseUp(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                            int X, int Y);
    void PopupMenu1Popup();

Q_SIGNALS:
    void sourceFolderChosen(const std::string& folder);
    void filesChosen();
    void choiceEnded();
    // A tick of the filter changed.
    void filterChanged();
    // The grid's menu: leave the file of `row` out, or take its time stamp.
    void excludeRequested(int row);
    void stampRequested(int row);

private:
    void setUpGridMenu(QWidget* window);
    // The selection's extension becomes the search extension, as after any reading.
    void takeExtension(const FilePropResult& facts);
    // True when items from other folders were left out.
    std::vector<ExtensionChoice> extensionFilterChoices() const;

    FormHost& m_host;
    QTableView* m_grid;
    QListWidget* m_filter;
    const PreviewGrid& m_rows;
    TFileDrop* m_fileDrop = nullptr; // FileDrop1
    QMenu* m_gridMenu = nullptr;     // PopupMenu1
    // What the scan of a dropped folder saw of the files it selected, for
    // the reading right after the drop only.
    std::shared_ptr<const FolderScanFacts> m_droppedFolderFacts;
    std::vector<std::string> m_selectedFiles; // SelectedFiles
    std::string m_searchExt;                  // SearchExt
    int m_popupRow = -1;                      // PopupRow
};

} // namespace torvel
