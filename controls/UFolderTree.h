#pragma once

// The folder tree: the Desktop at the top, below it home, the file system root
// and removable volumes, and under each of them their folders, hidden ones
// included. A folder's subfolders are listed only when it is expanded, and
// listed again each time it is expanded anew.
// Paths go in and come out as bytes, exactly as the file system stores them.

#include <QAbstractItemDelegate>
#include <QFileIconProvider>
#include <QMenu>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTreeWidget>

#include <memory>
#include <string>
#include <vector>

namespace torvel {

class FolderNamespace;
class ItemIdList;
struct FolderEntry;
enum class FolderIcon;

class TFoldertreeEX : public QTreeWidget
{
    Q_OBJECT
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE setReadOnly)
    Q_PROPERTY(bool ShowRoot READ ShowRoot WRITE setShowRoot)
    Q_PROPERTY(bool RightClickSelect READ RightClickSelect WRITE setRightClickSelect)
    Q_PROPERTY(bool HideSelection READ HideSelection WRITE setHideSelection)

public:
    explicit TFoldertreeEX(QWidget* parent = nullptr);
    ~TFoldertreeEX() override;

    // Selects the folder at `path`, expanding every folder above it; clears
    // the selection when the folder is not in the tree; does nothing when the
    // path names no folder.
    void SelectPath(const std::string& path);
    // Scrolls sideways only as far as the node's icon and name need to be
    // seen whole: not at all when they fit, and never past the node's left.
    void scrollSidewaysTo(const QTreeWidgetItem* node);
    // The selected folder's path ending in "/" (the desktop folder for the
    // Desktop); empty when nothing is selected.
    std::string SelectedPath() const;
    // Rebuilds the tree from the file system, to show folders made or removed
    // since. The selected folder stays selected while it exists; otherwise the
    // nearest folder above it that exists is selected.
    void Reload();

    // The menu shown on a right click over any node but the Desktop; not owned.
    QMenu* Popup() const { return m_popup; }
    void setPopup(QMenu* menu) { m_popup = menu; }

    // True while the tree is being cleared or a node is being filled.
    bool Filling() const { return m_filling; }
    // The node most recently reported through OnChange (may be none).
    QTreeWidgetItem* CurrentNode() const { return m_currentNode; }

    // The chain of items from the Desktop to `node`.
    ItemIdList AbsoluteID(const QTreeWidgetItem* node) const;
    // 0 for the Desktop, 1 for the places below it, and so on.
    static int level(const QTreeWidgetItem* node);

    bool ReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly);
    bool ShowRoot() const { return rootIsDecorated(); }
    void setShowRoot(bool show) { setRootIsDecorated(show); }
    bool RightClickSelect() const { return m_rightClickSelect; }
    void setRightClickSelect(bool select) { m_rightClickSelect = select; }
    bool HideSelection() const { return m_hideSelection; }
    void setHideSelection(bool hide);

    using QTreeWidget::edit;

Q_SIGNALS:
    // The selection changed (also through SelectPath and Reload), or an
    // in-place rename ended with a name.
    void OnChange(QTreeWidgetItem* node);
    // An in-place edit ended without a name (cancelled).
    void OnEditEnd();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

protected Q_SLOTS:
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void FillChildren(QTreeWidgetItem* node);
    bool removeGoneChildren(QTreeWidgetItem* node, const std::vector<const FolderEntry*>& listed);
    void addNewChildren(QTreeWidgetItem* node, const std::vector<const FolderEntry*>& sorted);
    QTreeWidgetItem* newNode(const FolderEntry& entry) const;
    QTreeWidgetItem* FindNode(const ItemIdList& list);
    QTreeWidgetItem* FindChild(QTreeWidgetItem* node, const ItemIdList& item);
    void renameNode(QTreeWidgetItem* node, const std::string& newName);
    void nodeExpanded(QTreeWidgetItem* node);
    void selectionMoved(QTreeWidgetItem* current);
    void notifyChange(QTreeWidgetItem* node);
    void selectNode(QTreeWidgetItem* node);
    QTreeWidgetItem* addRoot();
    QTreeWidgetItem* nodeToKeep(const std::string& path);
    QIcon iconFor(FolderIcon icon) const;

    std::unique_ptr<FolderNamespace> m_namespace;
    QFileIconProvider m_icons;
    QPointer<QMenu> m_popup;
    QTreeWidgetItem* m_currentNode = nullptr;
    QPersistentModelIndex m_editing;
    bool m_committed = false;
    bool m_filling = false;
    bool m_quiet = false; // selection changes not reported while rebuilding
    bool m_readOnly = false;
    bool m_rightClickSelect = false;
    bool m_hideSelection = true;
};

} // namespace torvel
