#pragma once

#include <QObject>
#include <QString>

#include <string>

#include "FormHost.h"
#include "RunTypes.h"

class QAbstractButton;
class QEvent;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace torvel {

namespace Ui {
class TForm1;
}

class TCuteButton;
class TFoldertreeEX;

// The window's two folders: the source folder shown under the grid, the
// destination chosen in the folder tree or typed into its field, and the save
// method, which follows whether the two are one folder.
class FolderPanel : public QObject, public FolderChoice
{
    Q_OBJECT
public:
    FolderPanel(Ui::TForm1& ui, FormHost& host, QWidget* window);

    const std::string& sourceFolder() const override { return m_searchDir; }
    const std::string& destinationFolder() const override { return m_changeDir; }
    // What is typed into Edit5 while it is edited; empty otherwise.
    const std::string& typedFolder() const { return m_typedDir; }
    SaveMode saveMethod() const { return m_saveMethod; }
    // Stores the method without touching its buttons: the settings' method
    // at start-up, which RadioButtonOn shows once the folders are set.
    void setSaveMethod(SaveMode method) { m_saveMethod = method; }

    void SearchDirChange(const std::string& path);
    void ChangeDirChange(const std::string& path);
    // A path shortened to the width of the folder fields.
    QString MiniDir(const std::string& path) const;
    void selectDestinationInTree();
    // Checks the method's radio button and stores the method.
    void RadioButtonOn(SaveMode method);
    // The method chosen, with the folders made to agree with it.
    void RadioButtonIndex(SaveMode method);
    // The destination belongs to the rename page only.
    void setRenamePage(bool renamePage);

public Q_SLOTS:
    void DirTreeChange();
    void Edit5Enter();
    void Edit5Exit(bool focusTree = true);
    void CuteButton3Click();
    void RadioButton1Click(QAbstractButton* Sender);
    void ExplorerMenuClick();

Q_SIGNALS:
    // The destination is another folder: the grid is drawn again.
    void destinationChanged();
    // The tree's menu asks for the open-file dialog in its folder.
    void openFilesRequested(const std::string& folder);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpTree(QWidget* window);
    void destinationChosen(const std::string& path);
    void setDestinationEditing(bool editing);
    void applyTypedDestination();
    bool confirmFolderCreation(const std::string& folder);
    void reportFolderNotCreated(const std::string& folder, int error);
    int folderFieldWidth() const;

    FormHost& m_host;
    QWidget* m_window;
    QLabel* m_source;          // Label11
    QLabel* m_measure;         // Label8, whose font the fields are measured in
    QLineEdit* m_destination;  // Edit5
    TCuteButton* m_setButton;  // CuteButton3
    TFoldertreeEX* m_tree;     // DirTree
    QRadioButton* m_radios[3]; // RadioButton1 to 3: rename, move, copy
    bool m_editingDestination = false;
    std::string m_searchDir; // SearchDir: source folder, ends in "/"
    std::string m_changeDir; // ChangeDir: destination folder, ends in "/"
    std::string m_typedDir;  // TypedDir
    SaveMode m_saveMethod{}; // SaveMethod: renaming until the settings say otherwise
};

} // namespace torvel
