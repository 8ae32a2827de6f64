#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <cstdint>
#include <vector>

class QCheckBox;
class QComboBox;
class QEvent;
class QLineEdit;
class QTableView;

namespace torvel {

namespace Ui {
class TForm1;
}

class FolderChoice;
class FormHost;
class PreviewGrid;
class TCuteButton;
class TMyFileList;
class UpDown;
enum class Page;
enum class SortOrder : std::uint8_t;
struct RenameOptions;
struct SettingsRecord;

// The rename page and the preview grid below it: the file list read from the
// chosen files, the options the new names are made by, and the redraw of the
// grid that a run then reads. The grid also shows the time stamps and
// attributes of the other two pages.
class RenamePage : public QObject
{
    Q_OBJECT
public:
    RenamePage(Ui::TForm1& ui, FormHost& host, const FolderChoice& folders);
    ~RenamePage() override;

    TMyFileList& fileList() { return *m_fileList; }
    const TMyFileList& fileList() const { return *m_fileList; }
    const PreviewGrid& previewGrid() const { return *m_grid; }
    // The order chosen in the sort box; none while no item is chosen.
    std::optional<SortOrder> sortOrder() const;
    // The two options a rename run reads as they stand.
    bool avoidsDuplicates() const; // JuuhukuCheck
    bool carriesSameNames() const; // CheckBox1
    // Column 0 of the grid's rows 1 to RowCount-1: the bare names a run
    // works on, in order.
    std::vector<std::string> listedNames() const;

    // The list was read again: the next redraw writes every row.
    void listRead();
    // Shows the extension of the chosen files in the extension box.
    void showSourceExtension(const std::string& extension);
    // Computes the new names; false when the computation stopped.
    bool Change_Name();
    // Draws the grid for `page`, computing the new names when `compute`.
    // Gives whether the run may start.
    bool write(Page page, bool compute);
    // Leaves the file of grid row `row` out of the list; false when that row
    // no longer shows the file.
    bool excludeRow(int row);
    void writeGridHeaders();
    void setGridColumnWidths();
    // Writes the identifier back as the names are made from it: when the box
    // loses the focus and when a run starts, never while the person types.
    void cleanIdentifierBox();
    QString LetterFilter(const QString& text);

    // The page's options, in the settings file's order.
    void applySettings(const SettingsRecord& settings);
    void fillSettings(SettingsRecord& settings) const;

public Q_SLOTS:
    void Edit1Change();
    void Edit2Change();
    void Edit3Change();
    void Edit4Change();
    void ExtCheckClick();
    void JuuhukuCheckClick();
    void UpCheckClick();
    void LowCheckClick();
    void MaeSortClick();
    void Button1Click();
    void Button2Click();

Q_SIGNALS:
    // An option changed: the grid is to be drawn again.
    void redrawWanted();
    // The attribute page's rows are about to be written, in name order.
    void attributesListed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct GridPass;
    void setUpGrid();
    void connectOptions();
    RenameOptions nameOptions() const;
    void writeRenameRows(GridPass& pass);
    void markConflicts(GridPass& pass);
    bool finishGridWrite(GridPass pass, bool renamePage);
    void cleanExtensionBox();

    FormHost& m_host;
    const FolderChoice& m_folders;
    std::unique_ptr<TMyFileList> m_fileList;
    PreviewGrid* m_grid; // owned by StringGrid1

    QTableView* m_view;           // StringGrid1
    QComboBox* m_sort;            // MaeSort
    QLineEdit* m_identifier;      // Edit1
    QLineEdit* m_digitsBox;       // Edit2
    QLineEdit* m_extension;       // Edit3
    QLineEdit* m_startBox;        // Edit4
    UpDown* m_digits;             // UpDown1
    UpDown* m_start;              // UpDown2
    QCheckBox* m_extCheck;        // ExtCheck
    QCheckBox* m_keepNumber;      // KetaCheck
    QCheckBox* m_keepName;        // KetaName
    QCheckBox* m_noDuplicates;    // JuuhukuCheck
    QCheckBox* m_sameName;        // CheckBox1
    QCheckBox* m_upper;           // UpCheck
    QCheckBox* m_lower;           // LowCheck
    TCuteButton* m_takeLetters;   // CuteButton1
    TCuteButton* m_takeExtension; // CuteButton2
};

} // namespace torvel
