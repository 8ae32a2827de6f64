#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <string>

#include "Preview.h"

class QCheckBox;
class QComboBox;
class QEvent;
class QLineEdit;

namespace torvel {

namespace Ui {
class TForm1;
}

class DateNameDialog;
class FolderChoice;
class FormHost;
class NameExample;
class TCuteButton;
class UpDown;
enum class SortOrder : std::uint8_t;
struct RenameOptions;
struct SettingsRecord;

// The rename page: the options the new names are made by, which the preview
// reads when it draws them, and the two buttons that take an identifier or
// an extension from the first listed file. The date in the names and the
// extensions' case are chosen in a dialog of their own; the page shows the
// date part at a glance in a flat button that opens it.
class RenamePage : public QObject, public NamingChoice
{
    Q_OBJECT
public:
    // listed: the preview, whose first file the two buttons read.
    RenamePage(Ui::TForm1& ui, FormHost& host, const FolderChoice& folders, ListedFiles& listed);
    ~RenamePage() override;

    RenameOptions namingOptions() override;
    // The order chosen in the sort box; none while no item is chosen.
    std::optional<SortOrder> sortOrder() const override;
    // The two options a rename run reads as they stand.
    bool avoidsDuplicates() const override; // JuuhukuCheck
    bool carriesSameNames() const;          // CheckBox1

    // Shows the extension of the chosen files in the extension box.
    void showSourceExtension(const std::string& extension);
    // Writes the identifier back as the names are made from it: when the box
    // loses the focus and when a run starts, never while the person types.
    void cleanIdentifierBox();
    QString LetterFilter(const QString& text);

    // The date dialog, opened from its menu item or the page's date button.
    void openDateDialog();
    // The dialog's example line follows the names as they would be made now:
    // called after every redraw, it costs nothing while the dialog is shut.
    void refreshExample();

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
    // A choice of the date dialog changed.
    void DateChoiceChange();

Q_SIGNALS:
    // An option changed: the grid is to be drawn again.
    void redrawWanted();
    // A new order was chosen: the grid is to show it, names or not.
    void orderChosen();
    // The date dialog asks for its help topic.
    void helpWanted(int topic);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectOptions();
    RenameOptions nameOptions() const;
    void cleanExtensionBox();
    void showDatePart(const RenameOptions& options);

    FormHost& m_host;
    const FolderChoice& m_folders;
    ListedFiles& m_listed;

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
    TCuteButton* m_datePart;      // DatePartButton: the date part at a glance
    DateNameDialog* m_dateDialog; // the main window's child
    std::unique_ptr<NameExample> m_example;
    std::string m_exampleOf; // the first file the example was made for
};

} // namespace torvel
