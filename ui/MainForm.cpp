// The main window: construction, the wiring of its parts, start-up and
// closing, the status line, hints and help.
#include "MainForm.h"
#include "SettingsRecord.h"

#include "ui_MainForm.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPainter>
#include <QStyle>
#include <QToolButton>

#include <climits>

#include "AboutBox.h"
#include "AppIcon.h"
#include "AttributePage.h"
#include "DateNameDialog.h"
#include "FileSelection.h"
#include "FolderIdentity.h"
#include "FolderPanel.h"
#include "HelpWindow.h"
#include "OwnerDrawnTabs.h"
#include "Preview.h"
#include "RenamePage.h"
#include "RunCommand.h"
#include "RunTypes.h"
#include "SettingsPath.h"
#include "StatusLine.h"
#include "TimeStampPage.h"
#include "UndoCommand.h"
#include "UserFolders.h"
#include "WindowHelp.h"

namespace torvel {

namespace {

// The credit line stands apart from the title by twenty blanks.
constexpr int kCreditGap = 20;

std::unique_ptr<Ui::TForm1> formOf(QMainWindow* window)
{
    auto form = std::make_unique<Ui::TForm1>();
    form->setupUi(window);
    return form;
}

void nameControlsForScreenReaders(QWidget& window)
{
    // A control with a caption of its own is named by it; these are named by
    // the caption beside them, or, for a picture button, by its menu item.
    static const struct
    {
        const char* control;
        const char* name;
    } names[] = {
        {"SpeedButton1", "変換ファイルの選択"},
        {"PreViewButton", "プレビュー"},
        {"TorvelButton", "実行"},
        {"EndButton", "終了"},
        {"Edit1", "識別名"},
        {"Edit4", "初期値"},
        {"Edit2", "桁数"},
        {"Edit3", "拡張子"},
        {"DateEdit1", "日付"},
        {"SpinEdit3", "年"},
        {"SpinEdit4", "月"},
        {"SpinEdit5", "日"},
        {"SpinEdit6", "時"},
        {"SpinEdit7", "分"},
        {"SpinEdit8", "秒"},
        {"DirTree", "保存先"},
        {"CheckListBox1", "フィルター"},
        {"StringGrid1", "プレビュー画面"},
        {"Edit5", "保存先"},
    };
    for (const auto& entry : names) {
        if (auto* control = window.findChild<QWidget*>(QLatin1String(entry.control))) {
            control->setAccessibleName(QString::fromUtf8(entry.name));
        }
    }
}

void drawPageTab(TPageControlEx* control, int index, const QRect& rect, TOwnerDrawState state)
{
    const bool selected = state.testFlag(TOwnerDrawFlag::odSelected);
    QPainter* canvas = control != nullptr ? control->Canvas() : nullptr;
    if (canvas == nullptr) {
        return;
    }
    const QPalette& colours = control->palette();
    canvas->setFont(control->font());
    canvas->fillRect(rect, selected ? colours.highlight() : colours.button());
    canvas->setPen(selected ? colours.color(QPalette::HighlightedText)
                            : colours.color(QPalette::WindowText));
    canvas->save();
    canvas->setClipRect(rect);
    canvas->drawText(rect.adjusted(3, 3, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     control->tabText(index));
    canvas->restore();
}

QString windowCaption()
{
    // The same version the about box and both programs' --version show.
    return QStringLiteral("ファイル保管機構  トルベリオ  ") + ProgramVersion()
           + QString(kCreditGap, QLatin1Char(' ')) + QStringLiteral("TORVEL 開発チーム");
}

// Whether a hint shows: a control with a hint setting of its own keeps it;
// the others follow the nearest parent that has one, and in the end the
// window's.
bool hintAllowed(const QWidget* widget, const QWidget* window, bool windowHints)
{
    for (const QWidget* w = widget; w != nullptr && w != window; w = w->parentWidget()) {
        const QVariant own = w->property("showHint");
        if (own.isValid()) {
            return own.toBool();
        }
    }
    return windowHints;
}

} // namespace

TForm1::TForm1(QWidget* parent)
    : TForm1(Unstarted{settingsFilePath()}, parent)
{
    FormCreate();
}

TForm1::TForm1(Unstarted unstarted, QWidget* parent)
    : QMainWindow(parent)
    , ui(formOf(this))
    , m_folders(std::make_unique<FolderPanel>(*ui, host(), this))
    , m_preview(std::make_unique<Preview>(ui->StringGrid1, host(), *m_folders))
    , m_rename(std::make_unique<RenamePage>(*ui, host(), *m_folders, *m_preview))
    , m_selection(std::make_unique<FileSelection>(ui->StringGrid1, ui->CheckListBox1,
                                                  m_preview->grid(), host(), this))
    , m_stampPage(std::make_unique<TimeStampPage>(*ui, host(), *m_preview))
    , m_attrPage(std::make_unique<AttributePage>(*ui, *m_preview))
    , m_run(std::make_unique<RunCommand>(*ui, host(), this))
    , m_layout(std::make_unique<WindowLayout>(*ui, *this, *m_preview,
                                              static_cast<const WindowScreens&>(*this)))
    , m_settingsPath(std::move(unstarted.settingsPath))
    , m_undo(std::make_unique<UndoCommand>(
          host(), *m_run, this, m_settingsPath,
          [this](const std::string& folder, std::vector<std::string> names) {
              showSettled(folder, std::move(names));
          }))
    , m_help(std::make_unique<WindowHelp>(this, ui->Option1))
{
    setUpControls();
    connectCommands();
    wireParts();
}

TForm1::~TForm1()
{
    qApp->removeEventFilter(this);
    m_help->quit();
}

void TForm1::setUpControls()
{
    setWindowIcon(applicationIcon());
    // A fixed frame with a minimise box and no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    // Designer stores font sizes in points; the window's font is 15 pixels
    // high. The children's fonts inherit the size.
    QFont windowFont = font();
    windowFont.setPixelSize(15);
    setFont(windowFont);

    ui->SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    ui->PreViewButton->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    ui->TorvelButton->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    ui->EndButton->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));

    // F1 asks for the help topic of the control that has the focus.
    auto* contextHelp = new QAction(this);
    contextHelp->setShortcut(QKeySequence::HelpContents);
    contextHelp->setShortcutContext(Qt::WindowShortcut);
    addAction(contextHelp);
    connect(contextHelp, &QAction::triggered, this,
            [this] { m_help->showTopic(HelpWindow::helpContextOf(QApplication::focusWidget())); });

    // The keys a Linux desktop expects: open, quit, and F5 to read the chosen
    // files again (names or dates changed by another program).
    ui->O1->setShortcut(QKeySequence::Open);
    ui->Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    auto* reload = new QAction(this);
    reload->setObjectName(QStringLiteral("ReloadList"));
    reload->setShortcut(QKeySequence(Qt::Key_F5));
    reload->setShortcutContext(Qt::WindowShortcut);
    addAction(reload);
    connect(reload, &QAction::triggered, this, [this] {
        if (!runUnderWay()) {
            CheckListBox1ClickCheck();
        }
    });

    nameControlsForScreenReaders(*this);
    m_layout->orderTabChain();

    // Hints are switched on and off for the whole window by one filter.
    qApp->installEventFilter(this);
}

// The command column, the menus and the page controls: the window's own.
void TForm1::connectCommands()
{
    connect(ui->StatusBar1, &StatusLine::drawPanel, this,
            [this](QPainter* canvas, int panel, const QRect& rect) {
                if (panel == 0 && canvas != nullptr) {
                    ui->StatusBar1->paintKindMark(*canvas, rect);
                }
            });
    const auto preview = [this] { StringGrid1Write(true); };
    connect(ui->O1, &QAction::triggered, this, &TForm1::OpenButtonClick);
    connect(ui->SpeedButton1, &QToolButton::clicked, this, &TForm1::OpenButtonClick);
    connect(ui->PreViewButton, &QToolButton::clicked, this, preview);
    connect(ui->S1, &QAction::triggered, this, preview);
    connect(ui->TorvelButton, &QToolButton::clicked, this, &TForm1::TorvelButtonClick);
    connect(ui->R2, &QAction::triggered, this, &TForm1::TorvelButtonClick);
    connect(ui->EndButton, &QToolButton::clicked, this, &QWidget::close);
    connect(ui->Exit1, &QAction::triggered, this, &QWidget::close);
    m_undo->addTo(ui->File1, ui->Exit1);

    connect(ui->R1, &QAction::triggered, this, &TForm1::R1Click);
    connect(ui->D1, &QAction::triggered, this, &TForm1::D1Click);
    connect(ui->P1, &QAction::triggered, this, &TForm1::P1Click);
    connect(ui->NonPreCheck, &QAction::triggered, this, [this] {
        // The menu has already inverted the check mark.
        updatePreviewCommands();
        StringGrid1Write(immediatePreview());
    });
    connect(ui->CheckBox2, &QAction::triggered, this,
            [this] { m_help->applyHints(ui->CheckBox2->isChecked()); });
    connect(ui->ButtonSideCap, &QAction::triggered, this,
            [this] { m_layout->ButtonSideCapClick(); });
    for (QAction* item : {ui->N475, ui->N580, ui->N680}) {
        connect(item, &QAction::triggered, this, [this, item] { m_layout->HsClick(item); });
    }
    connect(ui->Help1, &QAction::triggered, this, [this] { m_help->showContents(); });
    connect(ui->About1, &QAction::triggered, this, [this] { TForm2::About1Click(this); });

    connect(ui->PageControl1, &TPageControlEx::OnChange, this, &TForm1::PageControl1Change);
    connect(ui->PageControl1, &TPageControlEx::OnDrawTab, this, &drawPageTab);
    connect(ui->PageControl2, &TPageControlEx::OnDrawTab, this, &drawPageTab);
    connect(ui->PageControl2, &TPageControlEx::OnChanging, this, &TForm1::PageControl2Changing);
}

// What one part does sets off the others here, and only here.
void TForm1::wireParts()
{
    const auto redraw = [this] { StringGrid1Write(immediatePreview()); };
    connect(m_folders.get(), &FolderPanel::destinationChanged, this, redraw);
    connect(m_folders.get(), &FolderPanel::openFilesRequested, this,
            [this](const std::string& folder) { m_selection->openFilesFrom(folder); });
    connect(m_rename.get(), &RenamePage::redrawWanted, this, redraw);
    connect(m_rename.get(), &RenamePage::helpWanted, this,
            [this](int topic) { m_help->showTopic(topic); });
    connect(m_rename.get(), &RenamePage::orderChosen, this, [this, redraw] {
        m_preview->sortedAnew();
        redraw();
    });
    connect(m_preview.get(), &Preview::attributesListed, this, &TForm1::SetRadio5);

    connect(m_selection.get(), &FileSelection::sourceFolderChosen, this, &TForm1::SearchDirChange);
    connect(m_selection.get(), &FileSelection::filesChosen, this, &TForm1::FileProp);
    connect(m_selection.get(), &FileSelection::choiceEnded, this, [this, redraw] {
        RadioButtonIndex(m_folders->saveMethod());
        redraw();
    });
    connect(m_selection.get(), &FileSelection::filterChanged, this,
            &TForm1::CheckListBox1ClickCheck);
    connect(m_selection.get(), &FileSelection::excludeRequested, this, [this, redraw](int row) {
        if (m_preview->excludeRow(row)) {
            redraw();
        }
    });
    connect(m_selection.get(), &FileSelection::stampRequested, this, &TForm1::pTimeClick);
}

// ---------------------------------------------------------------------------
// Start and end

void TForm1::FormCreate()
{
    m_baseDir = picturesFolder();
    setWindowTitle(windowCaption());
    IniRead();
    setFixedWidth(ui->Panel3->width() + ui->PageControl1->width() + 2);
    ui->PageControl1->setCurrentIndex(tabOf(Page::Rename));
    ui->PageControl2->setCurrentIndex(tabOf(LowerPage::Destination));
    m_layout->placeWindow();
    m_folders->setSaveMethod(saveMethodFromText(m_saveMethodText));
    // A folder that has gone since the last run is replaced without a word;
    // with both gone, both become the pictures folder.
    if (!folderExists(m_folders->sourceFolder())) {
        SearchDirChange(m_baseDir);
    }
    if (!folderExists(m_folders->destinationFolder())) {
        ChangeDirChange(m_folders->sourceFolder());
    }
    m_folders->selectDestinationInTree();
    m_preview->writeHeaders();
    m_rename->ExtCheckClick();
    m_folders->RadioButtonOn(m_folders->saveMethod());
    MaeSortClick();
    m_layout->finishStart();
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    m_layout->refitToFrame();
}

void TForm1::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    m_layout->refitToFrame();
}

int TForm1::screenHeight() const
{
    const QScreen* current = screen();
    return current != nullptr ? current->geometry().height() : INT_MAX;
}

QList<QRect> TForm1::screenAreas() const
{
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        areas << screen->availableGeometry();
    }
    return areas;
}

void TForm1::SizeChenge(std::uint8_t state)
{
    m_layout->SizeChenge(state);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
    // Closing the form ends the program, so its help goes with it.
    m_help->quit();
}

// ---------------------------------------------------------------------------
// Status line and boxes

void TForm1::StatusWrite(StatusKind kind, const QString& text)
{
    ui->StatusBar1->write(kind, text);
}

void TForm1::showErrorMessage(const QString& text)
{
    QMessageBox::critical(this, QStringLiteral("TORVEL"), text);
}

void TForm1::showPlainMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("TORVEL"), text, QMessageBox::Ok, this);
    box.exec();
}

int TForm1::messageBox(QMessageBox& box)
{
    return box.exec();
}

// ---------------------------------------------------------------------------
// Hints and help

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    // The command buttons are flat until the pointer rests on them; the one
    // Tab has reached stands raised, so that the person sees where it is.
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        auto* button = qobject_cast<QToolButton*>(watched);
        if (button != nullptr && button->parentWidget() == ui->Panel3) {
            button->setAutoRaise(event->type() == QEvent::FocusOut);
        }
    }
    if (event->type() == QEvent::ToolTip && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        // The date dialog's controls are the rename page's, and follow its
        // hint setting too.
        const QWidget* window = widget->window();
        if ((window == this || qobject_cast<const DateNameDialog*>(window) != nullptr)
            && !hintAllowed(widget, window, m_help->hintsShown())) {
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

HelpWindow& TForm1::helpWindow()
{
    return m_help->helpWindow();
}

} // namespace torvel
