#include "UFolderTree.h"

#include "ByteText.h"
#include "FolderNamespace.h"
#include "ItemIdList.h"
#include "NameText.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace torvel {

namespace {

// A node keeps the item that names its folder relative to its parent, and
// the key that orders it among its siblings.
class FolderNode : public QTreeWidgetItem
{
public:
    static constexpr int nodeType = QTreeWidgetItem::UserType + 41;
    explicit FolderNode(ItemIdList id, std::string sortKey = {})
        : QTreeWidgetItem(nodeType)
        , m_id(std::move(id))
        , m_sortKey(std::move(sortKey))
    {}
    const ItemIdList& id() const { return m_id; }
    void setId(ItemIdList id, std::string sortKey)
    {
        m_id = std::move(id);
        m_sortKey = std::move(sortKey);
    }
    const std::string& sortKey() const { return m_sortKey; }

private:
    ItemIdList m_id;
    std::string m_sortKey;
};

FolderNode* asFolderNode(QTreeWidgetItem* node)
{
    return node && node->type() == FolderNode::nodeType ? static_cast<FolderNode*>(node) : nullptr;
}

const FolderNode* asFolderNode(const QTreeWidgetItem* node)
{
    return node && node->type() == FolderNode::nodeType ? static_cast<const FolderNode*>(node)
                                                        : nullptr;
}

// The bytes of an item, to look it up among its siblings.
std::string bytesOf(const ItemIdList& item)
{
    const auto bytes = item.bytes();
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

const std::string& keyOf(const QTreeWidgetItem* node)
{
    static const std::string none;
    const FolderNode* folder = asFolderNode(node);
    return folder ? folder->sortKey() : none;
}

// Folder names are bytes; the tree shows them as text.
QString nameText(const std::string& bytes)
{
    return QString::fromStdString(displayName(bytes));
}

class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Sets a flag for a scope; guards may nest.
class FlagGuard
{
public:
    explicit FlagGuard(bool& flag)
        : m_flag(flag)
        , m_was(flag)
    {
        m_flag = true;
    }
    ~FlagGuard() { m_flag = m_was; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& m_flag;
    bool m_was;
};

} // namespace

TFoldertreeEX::TFoldertreeEX(QWidget* parent)
    : QTreeWidget(parent)
{
    resize(200, 200);
    setColumnCount(1);
    header()->hide();
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setRootIsDecorated(false);
    setReadOnly(false);
    setHideSelection(true);
    connect(this, &QTreeWidget::itemExpanded, this, &TFoldertreeEX::nodeExpanded);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { selectionMoved(current); });
    Reload();
}

TFoldertreeEX::~TFoldertreeEX() = default;

int TFoldertreeEX::level(const QTreeWidgetItem* node)
{
    int depth = 0;
    for (const QTreeWidgetItem* up = node ? node->parent() : nullptr; up; up = up->parent())
        ++depth;
    return depth;
}

ItemIdList TFoldertreeEX::AbsoluteID(const QTreeWidgetItem* node) const
{
    const FolderNode* folder = asFolderNode(node);
    if (!folder)
        return {};
    ItemIdList absolute = folder->id().firstItem();
    for (const QTreeWidgetItem* up = node->parent(); up; up = up->parent()) {
        if (const FolderNode* above = asFolderNode(up))
            absolute = concat(above->id(), absolute);
    }
    return absolute;
}

QIcon TFoldertreeEX::iconFor(FolderIcon icon) const
{
    switch (icon) {
    case FolderIcon::Desktop:
        return m_icons.icon(QAbstractFileIconProvider::Desktop);
    case FolderIcon::Home:
        return QIcon::fromTheme(QStringLiteral("user-home"),
                                m_icons.icon(QAbstractFileIconProvider::Folder));
    case FolderIcon::Root:
        return m_icons.icon(QAbstractFileIconProvider::Computer);
    case FolderIcon::Volume:
        return m_icons.icon(QAbstractFileIconProvider::Drive);
    case FolderIcon::Folder:
        break;
    }
    return m_icons.icon(QAbstractFileIconProvider::Folder);
}

QTreeWidgetItem* TFoldertreeEX::addRoot()
{
    auto* root = new FolderNode(ItemIdList::empty());
    root->setText(0, nameText(m_namespace->displayName(root->id())));
    root->setIcon(0, iconFor(FolderIcon::Desktop));
    root->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    addTopLevelItem(root);
    return root;
}

void TFoldertreeEX::Reload()
{
    if (m_filling)
        return;
    // The Desktop stays selected as the Desktop, not as the folder it shows.
    const bool keepRoot = !currentItem() || level(currentItem()) == 0;
    const std::string keep = keepRoot ? std::string() : SelectedPath();
    m_namespace = std::make_unique<FolderNamespace>();
    QTreeWidgetItem* target = nullptr;
    {
        FlagGuard quiet(m_quiet);
        {
            FlagGuard filling(m_filling);
            clear();
            m_currentNode = nullptr;
        }
        QTreeWidgetItem* root = addRoot();
        setCurrentItem(root);
        FillChildren(root);
        {
            FlagGuard filled(m_filling); // just read: not read again on expanding
            root->setExpanded(true);
        }
        target = keep.empty() ? root : nodeToKeep(keep);
        setCurrentItem(target ? target : root);
    }
    notifyChange(currentItem());
}

// The node of `path`, or of the nearest folder above it that is still there.
QTreeWidgetItem* TFoldertreeEX::nodeToKeep(const std::string& path)
{
    for (std::string candidate = path; !candidate.empty(); candidate = parentFolder(candidate)) {
        const auto list = m_namespace->parsePath(candidate);
        if (QTreeWidgetItem* node = list ? FindNode(*list) : nullptr)
            return node;
    }
    return nullptr;
}

void TFoldertreeEX::FillChildren(QTreeWidgetItem* node)
{
    const FolderNode* folder = asFolderNode(node);
    if (m_filling || !folder || folder->id().isNull())
        return;
    const auto entries = m_namespace->listSubfolders(AbsoluteID(node));
    if (!entries) {
        // Keep the expand button, and collapse so that the next expansion
        // tries again.
        node->setExpanded(false);
        if (m_currentNode && m_currentNode != currentItem())
            selectNode(m_currentNode);
        return;
    }
    WaitCursor wait;
    std::vector<const FolderEntry*> sorted;
    sorted.reserve(entries->size());
    for (const FolderEntry& entry : *entries)
        sorted.push_back(&entry);
    std::sort(sorted.begin(), sorted.end(),
              [](const FolderEntry* a, const FolderEntry* b) { return a->sortKey < b->sortKey; });
    bool selectionLost = false;
    {
        // Taking out a node moves the selection on its own; that move is no
        // choice of the person's and is not reported.
        FlagGuard quiet(m_quiet);
        {
            FlagGuard filling(m_filling);
            selectionLost = removeGoneChildren(node, sorted);
            addNewChildren(node, sorted);
        }
        node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
        // The selected folder went away: the one read again is the nearest
        // that is still there.
        if (selectionLost)
            selectNode(node);
        else if (m_currentNode && m_currentNode != currentItem())
            selectNode(m_currentNode);
    }
    if (selectionLost)
        notifyChange(node);
}

// Takes out the children whose folders are gone. True when the selected node
// was one of them or below one.
bool TFoldertreeEX::removeGoneChildren(QTreeWidgetItem* node,
                                       const std::vector<const FolderEntry*>& listed)
{
    std::unordered_set<std::string> present;
    present.reserve(listed.size());
    for (const FolderEntry* entry : listed)
        present.insert(bytesOf(entry->item));
    const auto within = [](const QTreeWidgetItem* item, const QTreeWidgetItem* top) {
        for (const QTreeWidgetItem* up = item; up; up = up->parent())
            if (up == top)
                return true;
        return false;
    };
    bool selectionLost = false;
    for (int i = node->childCount() - 1; i >= 0; --i) {
        const QTreeWidgetItem* child = node->child(i);
        const FolderNode* folder = asFolderNode(child);
        if (folder && present.contains(bytesOf(folder->id())))
            continue;
        selectionLost = selectionLost || within(currentItem(), child);
        if (within(m_currentNode, child)) {
            selectionLost = true;
            m_currentNode = nullptr;
        }
        delete node->takeChild(i);
    }
    return selectionLost;
}

// Adds a node for each listed folder that has none yet, in its place among
// its siblings; a folder already shown keeps its node, expanded or not, and
// gets its expand button when subfolders were made in it since.
void TFoldertreeEX::addNewChildren(QTreeWidgetItem* node,
                                   const std::vector<const FolderEntry*>& sorted)
{
    std::unordered_map<std::string, QTreeWidgetItem*> shown;
    shown.reserve(static_cast<std::size_t>(node->childCount()));
    for (int i = 0; i < node->childCount(); ++i)
        if (const FolderNode* child = asFolderNode(node->child(i)))
            shown.emplace(bytesOf(child->id()), node->child(i));
    QList<QTreeWidgetItem*> pending; // new nodes that go before node->child(at)
    int at = 0;
    const auto flush = [&] {
        if (pending.isEmpty())
            return;
        node->insertChildren(at, pending);
        at += static_cast<int>(pending.size());
        pending.clear();
    };
    for (const FolderEntry* entry : sorted) {
        if (const auto kept = shown.find(bytesOf(entry->item)); kept != shown.end()) {
            if (kept->second->childCount() == 0 && entry->hasSubfolders)
                kept->second->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
            continue;
        }
        while (at < node->childCount() && keyOf(node->child(at)) < entry->sortKey) {
            flush();
            ++at;
        }
        pending.append(newNode(*entry));
    }
    flush();
}

QTreeWidgetItem* TFoldertreeEX::newNode(const FolderEntry& entry) const
{
    auto* child = new FolderNode(entry.item, entry.sortKey);
    child->setText(0, nameText(entry.name));
    child->setIcon(0, iconFor(entry.icon));
    child->setFlags(child->flags() | Qt::ItemIsEditable);
    if (entry.hasSubfolders)
        child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return child;
}

void TFoldertreeEX::nodeExpanded(QTreeWidgetItem* node)
{
    // Every expansion reads the folder again, so that folders made or removed
    // since show once their parent is opened anew.
    FillChildren(node);
}

QTreeWidgetItem* TFoldertreeEX::FindNode(const ItemIdList& list)
{
    QTreeWidgetItem* node = topLevelItem(0);
    if (!node)
        return nullptr;
    node->setExpanded(true);
    for (auto at = list.firstOffset(); at && node; at = list.nextItem(*at))
        node = FindChild(node, list.itemAt(*at));
    return node;
}

QTreeWidgetItem* TFoldertreeEX::FindChild(QTreeWidgetItem* node, const ItemIdList& item)
{
    const FolderNode* folder = asFolderNode(node);
    if (!folder || folder->id().isNull())
        return nullptr;
    node->setExpanded(true); // fills it through the lazy expansion
    // Siblings compare equal only when they are the same item, so equal bytes
    // answer the question without computing collation keys for every child.
    for (int i = 0; i < node->childCount(); ++i) {
        const FolderNode* child = asFolderNode(node->child(i));
        if (child && child->id() == item)
            return node->child(i);
    }
    return nullptr;
}

void TFoldertreeEX::SelectPath(const std::string& path)
{
    const auto list = m_namespace->parsePath(path);
    if (!list)
        return;
    selectNode(FindNode(*list));
}

std::string TFoldertreeEX::SelectedPath() const
{
    const QTreeWidgetItem* node = currentItem();
    if (!node)
        return {};
    return m_namespace->pathOf(AbsoluteID(node)).value_or(std::string());
}

void TFoldertreeEX::selectNode(QTreeWidgetItem* node)
{
    if (node) {
        setCurrentItem(node);
        scrollToItem(node);
    } else {
        clearSelection();
        setCurrentItem(nullptr);
    }
}

void TFoldertreeEX::scrollSidewaysTo(const QTreeWidgetItem* node)
{
    if (!node)
        return;
    // The range follows the names laid out so far; lay out the new ones.
    doItemsLayout();
    const QModelIndex index = indexFromItem(node);
    QScrollBar* bar = horizontalScrollBar();
    // The node's own place (past its indent) and the room its icon and name
    // take, in the tree's unscrolled coordinates.
    const int left = visualRect(index).left() + bar->value();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const int right = left + itemDelegateForIndex(index)->sizeHint(option, index).width();
    const int room = viewport()->width();
    // Not scrolled at all while the node fits; else just far enough for its
    // name to end in view, but never past the node's own left edge.
    bar->setValue(right <= room ? 0 : std::min(left, right - room));
}

void TFoldertreeEX::selectionMoved(QTreeWidgetItem* current)
{
    if (!m_quiet)
        notifyChange(current);
}

void TFoldertreeEX::notifyChange(QTreeWidgetItem* node)
{
    Q_EMIT OnChange(node);
    m_currentNode = node;
}

void TFoldertreeEX::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    setEditTriggers(readOnly
                        ? QAbstractItemView::NoEditTriggers
                        : QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
}

void TFoldertreeEX::setHideSelection(bool hide)
{
    m_hideSelection = hide;
    QPalette colours = palette();
    const QPalette normal = QApplication::palette(this);
    colours.setColor(QPalette::Inactive, QPalette::Highlight,
                     hide ? normal.color(QPalette::Inactive, QPalette::Base)
                          : normal.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     hide ? normal.color(QPalette::Inactive, QPalette::Text)
                          : normal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(colours);
}

void TFoldertreeEX::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton && !m_rightClickSelect) {
        event->accept();
        return;
    }
    QTreeWidget::mousePressEvent(event);
}

void TFoldertreeEX::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeWidget::mouseReleaseEvent(event);
    QTreeWidgetItem* selected = currentItem();
    if (!m_popup || !selected || level(selected) == 0 || event->button() != Qt::RightButton)
        return;
    setCurrentItem(selected);
    m_popup->popup(viewport()->mapToGlobal(event->position().toPoint()));
}

bool TFoldertreeEX::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    QTreeWidgetItem* node = itemFromIndex(index);
    if (!node || level(node) == 0 || m_readOnly)
        return false;
    if (!QTreeWidget::edit(index, trigger, event))
        return false;
    m_editing = index;
    m_committed = false;
    return true;
}

void TFoldertreeEX::commitData(QWidget* editor)
{
    // The name is taken as typed and given to the file system; the node's text
    // is then whatever the folder is really called.
    const auto* line = qobject_cast<QLineEdit*>(editor);
    QTreeWidgetItem* node = itemFromIndex(m_editing);
    if (!line || !node || m_committed)
        return;
    m_committed = true;
    const QByteArray typed = line->text().toUtf8();
    renameNode(node, std::string(typed.constData(), static_cast<std::size_t>(typed.size())));
}

void TFoldertreeEX::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    const bool committed = m_committed;
    m_editing = QPersistentModelIndex();
    m_committed = false;
    QTreeWidget::closeEditor(editor, hint);
    if (!committed)
        Q_EMIT OnEditEnd();
}

void TFoldertreeEX::renameNode(QTreeWidgetItem* node, const std::string& newName)
{
    FolderNode* folder = asFolderNode(node);
    if (!folder || folder->id().isNull() || level(node) == 0)
        return;
    const ItemIdList parent = AbsoluteID(node->parent());
    if (m_namespace->displayName(folder->id()) != newName) {
        FolderRenameResult result = m_namespace->rename(parent, folder->id(), newName);
        if (result.ok()) {
            std::string key = m_namespace->sortKey(result.item);
            folder->setId(std::move(result.item), std::move(key));
        }
    }
    node->setText(0, nameText(m_namespace->displayName(folder->id())));
    notifyChange(currentItem());
}

} // namespace torvel
