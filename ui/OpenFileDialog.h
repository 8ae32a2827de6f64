#pragma once

#include <QDialog>
#include <QString>

#include <string>
#include <string_view>
#include <vector>

class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QListView;
class QModelIndex;

namespace torvel {

class FolderEntries;
class WidestNameDelegate;
class FolderHandle;

// How the open-file dialog starts.
struct OpenDialogSetup
{
    QString title;
    int filterIndex = 3;    // 1-based, into openDialogFilters()
    std::string defaultExt; // added to a typed name without extension; no dot
    std::string folder;     // the folder shown first, bytes
};

struct OpenDialogFilter
{
    QString description;
    std::vector<std::string> patterns; // "*.jpg"; "*.*" takes every name
};

// The dialog's filters, in their order.
const std::vector<OpenDialogFilter>& openDialogFilters();

// Whether a bare name matches a pattern of "*" and "?", ASCII letter case
// ignored. "*.*" matches every name, with a dot or without.
bool matchesFilePattern(std::string_view name, std::string_view pattern);

// Choosing files to convert, all in one folder. The dialog lists the folder
// from its bytes, so that a name that is not UTF-8 is shown (decoded) and can
// be chosen like any other.
class OpenFileDialog : public QDialog
{
    Q_OBJECT
public:
    explicit OpenFileDialog(const OpenDialogSetup& setup, QWidget* parent = nullptr);
    ~OpenFileDialog() override;

    // The folder shown, ending in "/".
    const std::string& folder() const { return m_folder; }
    // Shows another folder; false (and a message) when it cannot be listed.
    bool enterFolder(const std::string& folder);
    // After the dialog was confirmed: the full paths of the chosen files.
    const std::vector<std::string>& chosenPaths() const { return m_chosen; }

    void accept() override;

protected:
    // Tells the person why the dialog cannot close yet.
    virtual void showMessage(const QString& text);

private:
    void buildControls(const OpenDialogSetup& setup);
    QHBoxLayout* buildPlaceRow();
    void relist();
    void selectionChanged();
    void nameTyped();
    void entryActivated(const QModelIndex& index);
    void goUp();
    bool chooseSelected();
    bool chooseTyped(const QString& text);
    bool chooseOne(const FolderHandle& folder, std::string name);
    std::string entryShownAs(const FolderHandle& folder, const QString& shown) const;

    OpenDialogSetup m_setup;
    std::string m_folder;
    std::vector<std::string> m_chosen;
    bool m_nameFromList = true;
    FolderEntries* m_entries = nullptr;
    QLabel* m_place = nullptr;
    QListView* m_list = nullptr;
    WidestNameDelegate* m_names = nullptr;
    QLineEdit* m_name = nullptr;
    QComboBox* m_filter = nullptr;
};

} // namespace torvel
