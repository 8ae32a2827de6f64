// The main window: construction, wiring of the handlers, start-up and closing,
// the status line, hints and help.
#include "MainForm.h"

#include "ui_MainForm.h"
#include "RunTypes.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDateTime>
#include <QFile>
#include <QHelpEvent>
#include <QMenu>
#include <QPainter>
#include <QStyle>

#include "AboutBox.h"
#include "AttrChange.h"
#include "AppIcon.h"
#include "CtrlsEx.h"
#include "CuteBtn.h"
#include "FilesList.h"
#include "FolderIdentity.h"
#include "HelpWindow.h"
#include "SettingsPath.h"
#include "StatusLine.h"
#include "UpDown.h"
#include "VerInfo.h"

namespace torvel {

namespace {

// The credit line stands apart from the title by twenty blanks.
constexpr int kCreditGap = 20;

std::string programDir()
{
    // The kernel's path keeps the bytes of a folder name that is not UTF-8.
    if (std::string dir = folderOfFile(runningExecutablePath()); !dir.empty()) {
        return dir;
    }
    std::string dir = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    if (dir.empty() || dir.back() != '/') {
        dir += '/';
    }
    return dir;
}

} // namespace

TForm1::TForm1(QWidget* parent)
    : TForm1(Unstarted{}, parent)
{
    m_settingsPath = settingsFilePath();
    FormCreate();
}

TForm1::TForm1(Unstarted, QWidget* parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::TForm1>())
{
    setUpControls();
    connectHandlers();
}

TForm1::~TForm1()
{
    FormDestroy();
}

void TForm1::setUpControls()
{
    ui->setupUi(this);
    setWindowIcon(applicationIcon());
    // A fixed frame with a minimise box and no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    // Designer stores font sizes in points; the window's font is 15 pixels high
    // and the date edit's 17. The children's fonts inherit the size.
    QFont windowFont = font();
    windowFont.setPixelSize(15);
    setFont(windowFont);
    QFont dateFont = ui->DateEdit1->font();
    dateFont.setPixelSize(17);
    ui->DateEdit1->setFont(dateFont);

    ui->SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    ui->PreViewButton->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    ui->TorvelButton->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    ui->EndButton->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));

    ui->UpDown1->setBuddy(ui->Edit2);
    ui->UpDown2->setBuddy(ui->Edit4);

    // The source folder panel is a sunken field on the tooltip colour.
    QPalette folderPalette = ui->Label11->palette();
    folderPalette.setColor(QPalette::Window, folderPalette.color(QPalette::ToolTipBase));
    folderPalette.setColor(QPalette::WindowText, folderPalette.color(QPalette::ToolTipText));
    ui->Label11->setPalette(folderPalette);

    QGroupBox* groups[3] = {ui->RadioGroup4, ui->RadioGroup5, ui->RadioGroup6};
    QAbstractButton* items[3][2] = {{ui->RadioGroup4Item0, ui->RadioGroup4Item1},
                                    {ui->RadioGroup5Item0, ui->RadioGroup5Item1},
                                    {ui->RadioGroup6Item0, ui->RadioGroup6Item1}};
    for (int g = 0; g < 3; ++g) {
        m_attrGroups[g] = new QButtonGroup(groups[g]);
        m_attrGroups[g]->addButton(items[g][0], static_cast<int>(AttrItem::Set));
        m_attrGroups[g]->addButton(items[g][1], static_cast<int>(AttrItem::Clear));
    }

    ui->StringGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ui->StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);

    // F1 asks for the help topic of the control that has the focus.
    auto* contextHelp = new QAction(this);
    contextHelp->setShortcut(QKeySequence::HelpContents);
    contextHelp->setShortcutContext(Qt::WindowShortcut);
    addAction(contextHelp);
    connect(contextHelp, &QAction::triggered, this,
            [this] { showHelpTopic(helpContextOf(QApplication::focusWidget())); });

    // Hints are switched on and off for the whole window by one filter.
    qApp->installEventFilter(this);
}

void TForm1::connectHandlers()
{
    connect(ui->StatusBar1, &StatusLine::drawPanel, this, &TForm1::StatusBar1DrawPanel);

    connect(ui->SpeedButton1, &QToolButton::clicked, this, &TForm1::OpenButtonClick);
    connect(ui->O1, &QAction::triggered, this, &TForm1::OpenButtonClick);
    connect(ui->PreViewButton, &QToolButton::clicked, this, &TForm1::PreViewButtonClick);
    connect(ui->S1, &QAction::triggered, this, &TForm1::PreViewButtonClick);
    connect(ui->TorvelButton, &QToolButton::clicked, this, &TForm1::TorvelButtonClick);
    connect(ui->R2, &QAction::triggered, this, &TForm1::TorvelButtonClick);
    connect(ui->EndButton, &QToolButton::clicked, this, &TForm1::EndButtonClick);
    connect(ui->Exit1, &QAction::triggered, this, &TForm1::EndButtonClick);

    connect(ui->R1, &QAction::triggered, this, &TForm1::R1Click);
    connect(ui->D1, &QAction::triggered, this, &TForm1::D1Click);
    connect(ui->P1, &QAction::triggered, this, &TForm1::P1Click);
    connect(ui->NonPreCheck, &QAction::triggered, this, &TForm1::NonPreCheckClick);
    connect(ui->CheckBox2, &QAction::triggered, this, &TForm1::CheckBox2Click);
    connect(ui->ButtonSideCap, &QAction::triggered, this, &TForm1::ButtonSideCapClick);
    for (QAction* item : {ui->N475, ui->N580, ui->N680}) {
        connect(item, &QAction::triggered, this, [this, item] { HsClick(item); });
    }
    connect(ui->Help1, &QAction::triggered, this, &TForm1::Help2Click);
    connect(ui->About1, &QAction::triggered, this, &TForm1::About1Click);

    connect(ui->PageControl1, &TPageControlEx::OnChange, this, &TForm1::PageControl1Change);
    connect(ui->PageControl1, &TPageControlEx::OnDrawTab, this, &TForm1::PageControl1DrawTab);
    connect(ui->PageControl2, &TPageControlEx::OnDrawTab, this, &TForm1::PageControl2DrawTab);
    connect(ui->PageControl2, &TPageControlEx::OnChanging, this, &TForm1::PageControl2Changing);

    connectOptionHandlers();
    connectPageHandlers();
    setUpFileSelection();
}

void TForm1::connectOptionHandlers()
{
    // The identifier and extension boxes redraw only for the person's own
    // edits; the others on every change of their text.
    connect(ui->Edit1, &QLineEdit::textEdited, this, &TForm1::Edit1Change);
    connect(ui->Edit3, &QLineEdit::textEdited, this, &TForm1::Edit3Change);
    connect(ui->Edit2, &QLineEdit::textChanged, this, &TForm1::Edit2Change);
    connect(ui->Edit4, &QLineEdit::textChanged, this, &TForm1::Edit4Change);
    // A check box runs its handler whenever its state changes, also when the
    // program sets it.
    connect(ui->ExtCheck, &QCheckBox::toggled, this, &TForm1::ExtCheckClick);
    for (QCheckBox* box : {ui->KetaCheck, ui->JuuhukuCheck, ui->KetaName}) {
        connect(box, &QCheckBox::toggled, this, &TForm1::JuuhukuCheckClick);
    }
    connect(ui->UpCheck, &QCheckBox::toggled, this, &TForm1::UpCheckClick);
    connect(ui->LowCheck, &QCheckBox::toggled, this, &TForm1::LowCheckClick);
    connect(ui->MaeSort, &QComboBox::activated, this, &TForm1::MaeSortClick);
    connect(ui->CuteButton1, &TCuteButton::clicked, this, &TForm1::Button1Click);
    connect(ui->CuteButton2, &TCuteButton::clicked, this, &TForm1::Button2Click);
    for (QRadioButton* radio : {ui->RadioButton1, ui->RadioButton2, ui->RadioButton3}) {
        connect(radio, &QRadioButton::toggled, this, [this, radio](bool checked) {
            if (checked) {
                RadioButton1Click(radio);
            }
        });
    }
}

void TForm1::connectPageHandlers()
{
    connect(ui->CheckListBox1, &QListWidget::itemChanged, this, &TForm1::CheckListBox1ClickCheck);
    setUpFolderPanel();
    connect(ui->CuteButton3, &TCuteButton::clicked, this, &TForm1::CuteButton3Click);

    connect(ui->DateEdit1, &TDateEdit::OnChange, this, &TForm1::DateEdit1Change);
    connect(ui->DateEdit1, &TDateEdit::OnClick, this, &TForm1::DateEdit1Change);
    connect(ui->SpinEdit3, &QLineEdit::textChanged, this, &TForm1::SpinEdit3Change);
    connect(ui->SpinEdit4, &QLineEdit::textChanged, this, &TForm1::SpinEdit4Change);
    connect(ui->SpinEdit5, &QLineEdit::textChanged, this, &TForm1::SpinEdit5Change);
    connect(ui->SpinButton1, &UpDown::upClicked, this, &TForm1::SpinButton1UpClick);
    connect(ui->SpinButton1, &UpDown::downClicked, this, &TForm1::SpinButton1DownClick);
    connect(ui->SpinButton2, &UpDown::upClicked, this, &TForm1::SpinButton2UpClick);
    connect(ui->SpinButton2, &UpDown::downClicked, this, &TForm1::SpinButton2DownClick);
    connect(ui->SpinButton3, &UpDown::upClicked, this, &TForm1::SpinButton3UpClick);
    connect(ui->SpinButton3, &UpDown::downClicked, this, &TForm1::SpinButton3DownClick);
    connect(ui->DateButton, &QPushButton::clicked, this, &TForm1::DateButtonClick);

    // A choice of the person marks its group, also a click on the item the
    // group already shows: "設定" where the first file has the bit still asks
    // for the bit on every file. The program's own setting of an item comes
    // through the toggle, and SetRadio5 clears the marks after it.
    QGroupBox* groups[3] = {ui->RadioGroup4, ui->RadioGroup5, ui->RadioGroup6};
    for (int g = 0; g < 3; ++g) {
        QGroupBox* group = groups[g];
        connect(m_attrGroups[g], &QButtonGroup::idToggled, this, [this, group](int, bool checked) {
            if (checked) {
                ClickRadio5(group);
            }
        });
        connect(m_attrGroups[g], &QButtonGroup::idClicked, this, [this, group](int) { ClickRadio5(group); });
    }
}

// ---------------------------------------------------------------------------
// Start and end

void TForm1::FormCreate()
{
    createFileList();
    m_baseDir = programDir();
    setWindowTitle(windowCaption());
    IniRead();
    setFixedWidth(ui->Panel3->width() + ui->PageControl1->width() + 2);
    ui->PageControl1->setCurrentIndex(tabOf(Page::Rename));
    ui->PageControl2->setCurrentIndex(tabOf(LowerPage::Destination));
    placeWindow(m_formLeft, m_formTop);
    SaveMethod = saveMethodFromText(m_saveMethodText);
    // A folder that has gone since the last run is replaced without a word;
    // with both gone, both become the program's folder.
    if (!folderExists(SearchDir)) {
        SearchDirChange(m_baseDir);
    }
    if (!folderExists(ChangeDir)) {
        ChangeDirChange(SearchDir);
    }
    selectDestinationInTree();
    writeGridHeaders();
    ExtCheckClick();
    RadioButtonOn(SaveMethod);
    MaeSortClick();
    SelectedFiles.reserve(5000);
    if (ButtonSide == 0) {
        ButtonSide = 1;
        ButtonSideCapClick();
    }
    SizeChenge(HeightSize);
}

QString TForm1::windowCaption() const
{
    // The file version from the program's own version record; a program
    // without one shows an empty version rather than failing to start.
    QString version;
    try {
        version = ProgramVersion();
    } catch (const EVerInfo&) {
    }
    return QStringLiteral("ファイル保管機構  トルベリオ  ") + version + QString(kCreditGap, QLatin1Char(' '))
        + QStringLiteral("TORVEL 開発チーム");
}

void TForm1::FormDestroy()
{
    qApp->removeEventFilter(this);
    SelectedFiles.clear();
    SelectedFiles.shrink_to_fit();
    Q_EMIT helpQuitRequested();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
    // Closing the form ends the program, so its help goes with it.
    Q_EMIT helpQuitRequested();
}

void TForm1::EndButtonClick()
{
    close();
}

// ---------------------------------------------------------------------------
// Status line

void TForm1::StatusWrite(StatusKind kind, const QString& text)
{
    ui->StatusBar1->write(kind, text);
}

void TForm1::StatusBar1DrawPanel(QPainter* canvas, int Panel, const QRect& Rect)
{
    if (Panel != 0 || canvas == nullptr) {
        return;
    }
    ui->StatusBar1->paintKindMark(*canvas, Rect);
}

// ---------------------------------------------------------------------------
// Hints and help

void TForm1::CheckBox2Click()
{
    // The menu has already inverted the check mark.
    applyHints(ui->CheckBox2->isChecked());
}

void TForm1::applyHints(bool show)
{
    m_showHints = show;
    ui->Option1->setToolTipsVisible(show);
}

bool TForm1::hintAllowed(const QWidget* widget) const
{
    // A control with a hint setting of its own keeps it; the others follow the
    // nearest parent that has one, and in the end the window's.
    for (const QWidget* w = widget; w != nullptr && w != this; w = w->parentWidget()) {
        const QVariant own = w->property("showHint");
        if (own.isValid()) {
            return own.toBool();
        }
    }
    return m_showHints;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ToolTip && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->window() == this && !hintAllowed(widget)) {
            return true;
        }
    }
    if (watched == ui->Edit5) {
        destinationFocusEvent(event);
    } else if (watched == ui->Edit1 && event->type() == QEvent::FocusOut) {
        // A menu over the box or another window taking the focus for a while
        // does not end the typing.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            cleanIdentifierBox();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

int TForm1::helpContextOf(const QWidget* widget) const
{
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        const int topic = w->property("HelpContext").toInt();
        if (topic != 0) {
            return topic;
        }
    }
    return 0;
}

void TForm1::showHelpTopic(int topic)
{
    Q_EMIT helpTopicRequested(topic);
    helpWindow().showTopic(topic);
}

void TForm1::Help2Click()
{
    Q_EMIT helpContentsRequested();
    helpWindow().showContents();
}

HelpWindow& TForm1::helpWindow()
{
    if (m_helpWindow == nullptr) {
        // A window of its own beside the form, but the form's child: it never
        // keeps the program running once the form is closed.
        m_helpWindow = new HelpWindow(this);
        connect(this, &TForm1::helpQuitRequested, m_helpWindow, &HelpWindow::quit);
    }
    return *m_helpWindow;
}

void TForm1::About1Click()
{
    TForm2::About1Click(this);
}

} // namespace torvel
