// The main window's two folders: the source folder shown under the grid, the
// destination chosen in the folder tree or typed into its field, and the save
// method that follows whether the two are one folder.
#include "MainForm.h"

#include "ui_MainForm.h"
#include "RunTypes.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include <cerrno>

#include "CuteBtn.h"
#include "FolderHandle.h"
#include "FolderIdentity.h"
#include "FolderNamespace.h"
#include "IoError.h"
#include "NameText.h"
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

std::string bytesOf(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

} // namespace

void TForm1::setUpFolderPanel()
{
    TFoldertreeEX* tree = ui->DirTree;
    // Folders are chosen here, never renamed; a right click chooses too, so
    // the menu always acts on the folder it was opened over.
    tree->setReadOnly(true);
    tree->setRightClickSelect(true);
    tree->setHideSelection(false);
    tree->setShowRoot(false);
    tree->setIndentation(19);
    // Deep folders keep their names whole; the tree scrolls sideways instead.
    tree->header()->setStretchLastSection(false);
    tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    auto* popup = new QMenu(this);
    popup->setObjectName(QStringLiteral("PopupMenu2"));
    popup->addAction(QStringLiteral("ファイルを開く"))->setObjectName(QStringLiteral("FileOpenMenu"));
    popup->addAction(QStringLiteral("エクスプローラー"))->setObjectName(QStringLiteral("ExplorerMenu"));
    tree->setPopup(popup);

    connect(tree, &TFoldertreeEX::OnChange, this, &TForm1::DirTreeChange);
    // Enter confirms a typed destination as "設定" does.
    connect(ui->Edit5, &QLineEdit::returnPressed, this, &TForm1::CuteButton3Click);
}

// ---------------------------------------------------------------------------
// The two folders

void TForm1::SearchDirChange(const std::string& path)
{
    // The rest of the window relies on a folder that is never empty; an empty
    // path keeps the folder there was.
    if (path.empty()) {
        return;
    }
    SearchDir = withTrailingSlash(path);
    ui->Label11->setText(MiniDir(SearchDir));
    ui->Label11->setToolTip(displayName(SearchDir));
}

void TForm1::ChangeDirChange(const std::string& path)
{
    if (path.empty()) {
        return;
    }
    ChangeDir = withTrailingSlash(path);
    ui->Edit5->setText(MiniDir(ChangeDir));
    ui->Edit5->setCursorPosition(0);
    ui->Edit5->setToolTip(displayName(ChangeDir));
}

QString TForm1::MiniDir(const std::string& path) const
{
    const QFontMetrics metrics = ui->Label8->fontMetrics();
    const std::string text = shortenPath(
        path, folderFieldWidth(), displayPath,
        [&metrics](std::string_view shown) {
            return metrics.horizontalAdvance(
                QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size())));
        });
    return QString::fromStdString(text);
}

int TForm1::folderFieldWidth() const
{
    // The room for text inside the source folder's sunken frame; both folder
    // fields are as wide. A framed label keeps half an "x" clear at its side.
    const QLabel* field = ui->Label11;
    const int indent = field->indent() >= 0 ? field->indent()
                                            : field->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2;
    return field->contentsRect().width() - indent;
}

QString TForm1::displayName(const std::string& bytes) const
{
    return QString::fromStdString(displayPath(bytes));
}

void TForm1::selectDestinationInTree()
{
    TFoldertreeEX* tree = ui->DirTree;
    tree->SelectPath(ChangeDir);
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

void TForm1::DirTreeChange()
{
    destinationChosen(ui->DirTree->SelectedPath());
}

void TForm1::destinationChosen(const std::string& path)
{
    ChangeDirChange(path);
    if (fileListCount() > 0) {
        // One folder means renaming in place; leaving it while renaming was
        // chosen copies, so that no file leaves its folder unasked.
        SaveMode method = SaveMethod;
        if (sameFolder(SearchDir, ChangeDir)) {
            method = SaveMode::Rename;
        } else if (method == SaveMode::Rename) {
            method = SaveMode::Copy;
        }
        if (method != SaveMethod) {
            RadioButtonOn(method);
        }
    }
    StringGrid1Write(ui->NonPreCheck->isChecked());
}

// ---------------------------------------------------------------------------
// The destination field

void TForm1::destinationFocusEvent(QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        Edit5Enter();
    } else if (event->type() == QEvent::FocusOut) {
        // A menu over the field or another window taking the focus for a
        // while does not end the editing.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            Edit5Exit();
        }
    }
}

void TForm1::Edit5Enter()
{
    if (m_editingDestination) {
        return;
    }
    m_editingDestination = true;
    ui->Edit5->setText(displayName(ChangeDir));
    setDestinationEditing(true);
}

void TForm1::Edit5Exit()
{
    if (!m_editingDestination) {
        return;
    }
    m_editingDestination = false;
    TypedDir = bytesOf(ui->Edit5->text());
    ui->Edit5->setText(MiniDir(ChangeDir));
    ui->Edit5->setCursorPosition(0);
    setDestinationEditing(false);
    if (ui->DirTree->isEnabled()) {
        ui->DirTree->setFocus();
    }
}

void TForm1::setDestinationEditing(bool editing)
{
    // From its first editing on, the field keeps its hint to itself: off
    // while the full path is in it, on again afterwards.
    ui->Edit5->setProperty("showHint", !editing);
    ui->CuteButton3->setEnabled(editing);
    ui->CuteButton3->setFlat(!editing);
    ui->CuteButton3->setCaption(editing ? QStringLiteral("設定") : QStringLiteral("保存先"));
}

void TForm1::CuteButton3Click()
{
    if (!m_editingDestination) {
        return;
    }
    Edit5Exit();
    applyTypedDestination();
    TypedDir.clear();
}

void TForm1::applyTypedDestination()
{
    const std::optional<std::string> folder = typedFolderPath(TypedDir, detectFolderPlaces().home);
    if (!folder) {
        StatusWrite(StatusKind::Warning, QStringLiteral("【注意】保存先は「/」か「~/」で始まるフォルダで指定してください。"));
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
        ui->DirTree->Reload();
    }
    ui->DirTree->SelectPath(*folder);
    // A folder the tree cannot show (one in a folder that cannot be listed)
    // is still the folder that was asked for.
    if (!sameFolder(ChangeDir, *folder)) {
        destinationChosen(*folder);
    }
}

bool TForm1::confirmFolderCreation(const std::string& folder)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("確認"),
                    QStringLiteral("新しいフォルダを作成しますか？\n") + displayName(folder),
                    QMessageBox::Yes | QMessageBox::Cancel, this);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    box.setDefaultButton(QMessageBox::Yes);
    return messageBox(box) == QMessageBox::Yes;
}

void TForm1::reportFolderNotCreated(const std::string& folder, int error)
{
    const QString reason = error == ENOTDIR || error == EEXIST
        ? QStringLiteral("同じ名前のファイルがあります。")
        : QString::fromStdString(ioErrorText(error));
    QMessageBox box(QMessageBox::Warning, QStringLiteral("TORVEL"),
                    QStringLiteral("フォルダを作成できませんでした。\n") + displayName(folder)
                        + QLatin1Char('\n') + reason,
                    QMessageBox::Ok, this);
    messageBox(box);
}

int TForm1::messageBox(QMessageBox& box)
{
    return box.exec();
}

// ---------------------------------------------------------------------------
// Save method

void TForm1::RadioButtonOn(SaveMode method)
{
    // Checking a button that was not checked runs its click handler here,
    // before the method is stored.
    QRadioButton* radios[3] = {ui->RadioButton1, ui->RadioButton2, ui->RadioButton3};
    radios[static_cast<int>(method)]->setChecked(true);
    SaveMethod = method;
}

void TForm1::RadioButtonIndex(SaveMode method)
{
    if (method != SaveMethod) {
        RadioButtonOn(method);
    }
    if (fileListCount() == 0) {
        return;
    }
    if (sameFolder(SearchDir, ChangeDir)) {
        // Moving or copying within one folder is refused.
        if (method != SaveMode::Rename) {
            RadioButtonOn(SaveMode::Rename);
            return;
        }
    } else if (method == SaveMode::Rename) {
        // Renaming happens in the source folder, so it becomes the destination.
        ui->DirTree->SelectPath(SearchDir);
        if (!sameFolder(SearchDir, ChangeDir)) {
            destinationChosen(SearchDir);
        }
    }
    const bool elsewhere = method != SaveMode::Rename;
    ui->RadioButton2->setEnabled(elsewhere);
    ui->RadioButton3->setEnabled(elsewhere);
}

void TForm1::RadioButton1Click(QAbstractButton* Sender)
{
    if (Sender != nullptr) {
        RadioButtonIndex(saveModeOfTag(Sender->property("Tag").toInt()));
    }
}

} // namespace torvel
