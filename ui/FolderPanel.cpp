#include "FolderPanel.h"
#include "Utf8Text.h"

#include "ui_MainForm.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include <cerrno>

#include "CuteBtn.h"
#include "FileDrop.h"
#include "FolderHandle.h"
#include "FolderIdentity.h"
#include "FolderNamespace.h"
#include "StatusMessages.h"
#include "IoError.h"
#include "PathShorten.h"
#include "TypedFolder.h"
#include "UFolderTree.h"

namespace torvel {

namespace {

// The save method of a radio button, by the Tag the form gives it.
SaveMode saveModeOfTag(int tag)
{
    return tag == 1 ? SaveMode::Move : tag == 2 ? SaveMode::Copy : SaveMode::Rename;
}

// A menu over the field or another window taking the focus for a while
// does not end the editing.
bool endsEditing(const QEvent* event)
{
    const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

} // namespace

FolderPanel::FolderPanel(Ui::TForm1& ui, FormHost& host, QWidget* window)
    : QObject()
    , m_host(host)
    , m_window(window)
    , m_source(ui.Label11)
    , m_measure(ui.Label8)
    , m_destination(ui.Edit5)
    , m_setButton(ui.CuteButton3)
    , m_tree(ui.DirTree)
    , m_radios{ui.RadioButton1, ui.RadioButton2, ui.RadioButton3}
{
    // The source folder panel is a sunken field on the tooltip colour.
    QPalette folderPalette = m_source->palette();
    folderPalette.setColor(QPalette::Window, folderPalette.color(QPalette::ToolTipBase));
    folderPalette.setColor(QPalette::WindowText, folderPalette.color(QPalette::ToolTipText));
    m_source->setPalette(folderPalette);

    setUpTree(window);
    connect(m_tree, &TFoldertreeEX::OnChange, this, &FolderPanel::DirTreeChange);
    // Enter confirms a typed destination as "設定" does.
    connect(m_destination, &QLineEdit::returnPressed, this, &FolderPanel::CuteButton3Click);
    connect(m_setButton, &TCuteButton::clicked, this, &FolderPanel::CuteButton3Click);
    m_destination->installEventFilter(this);
    m_setButton->installEventFilter(this);
    for (QRadioButton* radio : m_radios) {
        connect(radio, &QRadioButton::toggled, this, [this, radio](bool checked) {
            if (checked) {
                RadioButton1Click(radio);
            }
        });
    }
}

void FolderPanel::setUpTree(QWidget* window)
{
    // Folders are chosen here, never renamed; a right click chooses too, so
    // the menu always acts on the folder it was opened over.
    m_tree->setReadOnly(true);
    m_tree->setRightClickSelect(true);
    m_tree->setHideSelection(false);
    m_tree->setShowRoot(false);
    m_tree->setIndentation(19);
    // Deep folders keep their names whole; the tree scrolls sideways instead.
    m_tree->header()->setStretchLastSection(false);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    auto* popup = new QMenu(window);
    popup->setObjectName(QStringLiteral("PopupMenu2"));
    QAction* openHere = popup->addAction(QStringLiteral("ファイルを開く"));
    openHere->setObjectName(QStringLiteral("FileOpenMenu"));
    QAction* showFolder = popup->addAction(QStringLiteral("エクスプローラー"));
    showFolder->setObjectName(QStringLiteral("ExplorerMenu"));
    m_tree->setPopup(popup);
    connect(openHere, &QAction::triggered, this, [this] {
        const std::string folder = m_tree->SelectedPath();
        Q_EMIT openFilesRequested(folder.empty() ? m_searchDir : folder);
    });
    connect(showFolder, &QAction::triggered, this, &FolderPanel::ExplorerMenuClick);
}

// ---------------------------------------------------------------------------
// The two folders

void FolderPanel::SearchDirChange(const std::string& path)
{
    // The rest of the window relies on a folder that is never empty; an empty
    // path keeps the folder there was.
    if (path.empty()) {
        return;
    }
    m_searchDir = withTrailingSlash(path);
    m_source->setText(MiniDir(m_searchDir));
    m_source->setToolTip(pathText(m_searchDir));
}

void FolderPanel::ChangeDirChange(const std::string& path)
{
    if (path.empty()) {
        return;
    }
    m_changeDir = withTrailingSlash(path);
    m_destination->setText(MiniDir(m_changeDir));
    m_destination->setCursorPosition(0);
    m_destination->setToolTip(pathText(m_changeDir));
}

QString FolderPanel::MiniDir(const std::string& path) const
{
    const QFontMetrics metrics = m_measure->fontMetrics();
    const std::string text =
        shortenPath(path, folderFieldWidth(), displayPath, [&metrics](std::string_view shown) {
            return metrics.horizontalAdvance(utf8Text(shown));
        });
    return QString::fromStdString(text);
}

int FolderPanel::folderFieldWidth() const
{
    // The room for text inside the source folder's sunken frame; both folder
    // fields are as wide. A framed label keeps half an "x" clear at its side.
    const int indent = m_source->indent() >= 0
                           ? m_source->indent()
                           : m_source->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2;
    return m_source->contentsRect().width() - indent;
}

void FolderPanel::selectDestinationInTree()
{
    TFoldertreeEX* tree = m_tree;
    tree->SelectPath(m_changeDir);
    // A deep folder is scrolled into view, as far as its name needs. The
    // tree puts the view back to its left edge when it is first shown, so
    // the place is set again once the window is on the screen.
    const auto scroll = [tree] {
        // The scroll range follows the width of the names, which the tree
        // would otherwise work out only at its next layout.
        tree->resizeColumnToContents(0);
        tree->scrollSidewaysTo(tree->currentItem());
    };
    scroll();
    QMetaObject::invokeMethod(this, scroll, Qt::QueuedConnection);
}

void FolderPanel::setRenamePage(bool renamePage)
{
    m_tree->setEnabled(renamePage);
    m_destination->setEnabled(renamePage);
}

void FolderPanel::DirTreeChange()
{
    destinationChosen(m_tree->SelectedPath());
}

void FolderPanel::destinationChosen(const std::string& path)
{
    ChangeDirChange(path);
    if (m_host.fileListCount() > 0) {
        // One folder means renaming in place; leaving it while renaming was
        // chosen copies, so that no file leaves its folder unasked.
        SaveMode method = m_saveMethod;
        if (sameFolder(m_searchDir, m_changeDir)) {
            method = SaveMode::Rename;
        } else if (method == SaveMode::Rename) {
            method = SaveMode::Copy;
        }
        if (method != m_saveMethod) {
            RadioButtonOn(method);
        }
    }
    Q_EMIT destinationChanged();
}

void FolderPanel::ExplorerMenuClick()
{
    const std::string folder = m_tree->SelectedPath();
    if (!folder.empty()) {
        m_host.openInFileManager(QUrl::fromEncoded(fileUriOf(folder)));
    }
}

// ---------------------------------------------------------------------------
// The destination field

bool FolderPanel::eventFilter(QObject* watched, QEvent* event)
{
    const bool field = watched == m_destination;
    if (field && event->type() == QEvent::FocusIn) {
        Edit5Enter();
    } else if ((field || watched == m_setButton) && event->type() == QEvent::FocusOut
               && endsEditing(event)) {
        // The focus goes first to the widget it moves to: between the field
        // and its 設定 button the editing goes on.
        const QWidget* next = QApplication::focusWidget();
        if (next != m_destination && next != m_setButton) {
            // Tab and Shift+Tab go on to the next control, as everywhere in
            // the window; leaving otherwise shows the folder in the tree.
            const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
            Edit5Exit(reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason);
        }
    }
    return QObject::eventFilter(watched, event);
}

void FolderPanel::Edit5Enter()
{
    if (m_editingDestination) {
        return;
    }
    m_editingDestination = true;
    m_destination->setText(pathText(m_changeDir));
    setDestinationEditing(true);
}

void FolderPanel::Edit5Exit(bool focusTree)
{
    if (!m_editingDestination) {
        return;
    }
    m_editingDestination = false;
    m_typedDir = bytesOf(m_destination->text());
    m_destination->setText(MiniDir(m_changeDir));
    m_destination->setCursorPosition(0);
    setDestinationEditing(false);
    if (focusTree && m_tree->isEnabled()) {
        m_tree->setFocus();
    }
}

void FolderPanel::setDestinationEditing(bool editing)
{
    // From its first editing on, the field keeps its hint to itself: off
    // while the full path is in it, on again afterwards.
    m_destination->setProperty("showHint", !editing);
    m_setButton->setEnabled(editing);
    m_setButton->setFlat(!editing);
    m_setButton->setCaption(editing ? QStringLiteral("設定") : QStringLiteral("保存先"));
}

void FolderPanel::CuteButton3Click()
{
    if (!m_editingDestination) {
        return;
    }
    Edit5Exit();
    applyTypedDestination();
    m_typedDir.clear();
}

void FolderPanel::applyTypedDestination()
{
    const std::optional<std::string> folder =
        typedFolderPath(m_typedDir, detectFolderPlaces().home);
    if (!folder) {
        m_host.StatusWrite(
            StatusKind::Warning,
            QStringLiteral("【注意】保存先は「/」か「~/」で始まるフォルダで指定してください。"));
        return;
    }
    if (!folderExists(*folder)) {
        if (!confirmFolderCreation(*folder)) {
            return;
        }
        const int error = createFolderChain(*folder);
        if (error != 0) {
            reportFolderNotCreated(*folder, error);
            return;
        }
        m_tree->Reload();
    }
    m_tree->SelectPath(*folder);
    // A folder the tree cannot show (one in a folder that cannot be listed)
    // is still the folder that was asked for.
    if (!sameFolder(m_changeDir, *folder)) {
        destinationChosen(*folder);
    }
}

bool FolderPanel::confirmFolderCreation(const std::string& folder)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("確認"),
                    QStringLiteral("新しいフォルダを作成しますか？\n") + pathText(folder),
                    QMessageBox::Yes | QMessageBox::Cancel, m_window);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    box.setDefaultButton(QMessageBox::Yes);
    return m_host.messageBox(box) == QMessageBox::Yes;
}

void FolderPanel::reportFolderNotCreated(const std::string& folder, int error)
{
    const QString reason = error == ENOTDIR || error == EEXIST
                               ? QStringLiteral("同じ名前のファイルがあります。")
                               : QString::fromStdString(ioErrorText(error));
    QMessageBox box(QMessageBox::Warning, QStringLiteral("TORVEL"),
                    QStringLiteral("フォルダを作成できませんでした。\n") + pathText(folder)
                        + QLatin1Char('\n') + reason,
                    QMessageBox::Ok, m_window);
    m_host.messageBox(box);
}

// ---------------------------------------------------------------------------
// Save method

void FolderPanel::RadioButtonOn(SaveMode method)
{
    // Checking a button that was not checked runs its click handler here,
    // before the method is stored.
    m_radios[static_cast<int>(method)]->setChecked(true);
    m_saveMethod = method;
}

void FolderPanel::RadioButtonIndex(SaveMode method)
{
    if (method != m_saveMethod) {
        RadioButtonOn(method);
    }
    if (m_host.fileListCount() == 0) {
        return;
    }
    if (sameFolder(m_searchDir, m_changeDir)) {
        // Moving or copying within one folder is refused.
        if (method != SaveMode::Rename) {
            RadioButtonOn(SaveMode::Rename);
            return;
        }
    } else if (method == SaveMode::Rename) {
        // Renaming happens in the source folder, so it becomes the destination.
        m_tree->SelectPath(m_searchDir);
        if (!sameFolder(m_searchDir, m_changeDir)) {
            destinationChosen(m_searchDir);
        }
    }
    const bool elsewhere = method != SaveMode::Rename;
    m_radios[1]->setEnabled(elsewhere);
    m_radios[2]->setEnabled(elsewhere);
}

void FolderPanel::RadioButton1Click(QAbstractButton* Sender)
{
    if (Sender != nullptr) {
        RadioButtonIndex(saveModeOfTag(Sender->property("Tag").toInt()));
    }
}

} // namespace torvel
