#include "RenamePage.h"
#include "Utf8Text.h"

#include "ui_MainForm.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>
#include <string_view>
#include <utility>

#include "ChangeName.h"
#include "CuteBtn.h"
#include "Extraction.h"
#include "FilesList.h"
#include "FormHost.h"
#include "NameRules.h"
#include "OptionControls.h"
#include "Pages.h"
#include "PreviewConflicts.h"
#include "PreviewGrid.h"
#include "SettingRows.h"
#include "SettingsRecord.h"
#include "StatusMessages.h"
#include "StatusTexts.h"
#include "UpDown.h"

namespace torvel {

namespace {

const QString kWorking = QStringLiteral("ただいま表示処理をしています。しばらくお待ちください。");
const QString kChooseFiles = QStringLiteral("ファイルを選択してください。");
const QString kNoIdentifier = QStringLiteral("【注意】 識別名を入力してください。");
const QString kFilesChosen = QStringLiteral("個のファイルが選択されています。");
const QString kNoLetters = QStringLiteral("識別用の文字がありませんでした。");
const QString kLettersRemoved =
    QStringLiteral("識別文字に使えない文字が含まれていましたので、削除しました。");

std::string utf8Bytes(const QString& text)
{
    return text.toStdString();
}

// A name's bytes as text for a box the person edits.
QString nameText(std::string_view bytes)
{
    return utf8Text(displayName(bytes));
}

QString secondColumnHeader(Page page)
{
    switch (page) {
    case Page::TimeStamp:
        return QStringLiteral("     更新日時");
    case Page::Attributes:
        return QStringLiteral("         属性");
    case Page::Rename:
        break;
    }
    return QStringLiteral("   変換後ファイル");
}

// Only a real change of the text is written back, so that the cursor of a
// box the person is typing in stays where it is.
void setTextIfChanged(QLineEdit* box, const QString& text)
{
    if (box->text() != text) {
        box->setText(text);
    }
}

} // namespace

// The flags one redraw carries from step to step: whether the run may start
// afterwards, and whether the count goes to the status line (a warning stays).
struct RenamePage::GridPass
{
    bool ready = false;
    bool report = true;
    int conflicts = 0; // rows the run would not carry out as shown
};

RenamePage::RenamePage(Ui::TForm1& ui, FormHost& host, const FolderChoice& folders)
    : QObject()
    , m_host(host)
    , m_folders(folders)
    , m_fileList(std::make_unique<TMyFileList>())
    , m_grid(new PreviewGrid(ui.StringGrid1))
    , m_view(ui.StringGrid1)
    , m_sort(ui.MaeSort)
    , m_identifier(ui.Edit1)
    , m_digitsBox(ui.Edit2)
    , m_extension(ui.Edit3)
    , m_startBox(ui.Edit4)
    , m_digits(ui.UpDown1)
    , m_start(ui.UpDown2)
    , m_extCheck(ui.ExtCheck)
    , m_keepNumber(ui.KetaCheck)
    , m_keepName(ui.KetaName)
    , m_noDuplicates(ui.JuuhukuCheck)
    , m_sameName(ui.CheckBox1)
    , m_upper(ui.UpCheck)
    , m_lower(ui.LowCheck)
    , m_takeLetters(ui.CuteButton1)
    , m_takeExtension(ui.CuteButton2)
{
    m_digits->setBuddy(m_digitsBox);
    m_start->setBuddy(m_startBox);
    setUpGrid();
    fillSortBox(*m_sort);
    connectOptions();
    m_identifier->installEventFilter(this);
    // Reading the shooting dates of many files takes seconds: the status line
    // counts them and the window keeps repainting, though it takes no input
    // until they are read.
    m_fileList->setShootingDateProgress([this](std::size_t done, std::size_t total) {
        m_host.StatusWrite(StatusKind::Working, StatusText::readingShootingDates(done, total));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
}

RenamePage::~RenamePage()
{
    // The grid, owned by the view, outlives the list it shows.
    m_grid->releaseList();
}

void RenamePage::setUpGrid()
{
    m_view->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setModel(m_grid);
    // One height for every row and no measuring of contents: a view over
    // 100,000 rows then costs no more than one over 100.
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(20);
    m_view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->setWordWrap(false);
    // A long name keeps its start and its extension; the row's hint has it whole.
    m_view->setTextElideMode(Qt::ElideMiddle);
}

void RenamePage::connectOptions()
{
    // The identifier and extension boxes redraw only for the person's own
    // edits; the others on every change of their text.
    connect(m_identifier, &QLineEdit::textEdited, this, &RenamePage::Edit1Change);
    connect(m_extension, &QLineEdit::textEdited, this, &RenamePage::Edit3Change);
    connect(m_digitsBox, &QLineEdit::textChanged, this, &RenamePage::Edit2Change);
    connect(m_startBox, &QLineEdit::textChanged, this, &RenamePage::Edit4Change);
    // A check box runs its handler whenever its state changes, also when the
    // program sets it.
    connect(m_extCheck, &QCheckBox::toggled, this, &RenamePage::ExtCheckClick);
    for (QCheckBox* box : {m_keepNumber, m_noDuplicates, m_keepName}) {
        connect(box, &QCheckBox::toggled, this, &RenamePage::JuuhukuCheckClick);
    }
    connect(m_upper, &QCheckBox::toggled, this, &RenamePage::UpCheckClick);
    connect(m_lower, &QCheckBox::toggled, this, &RenamePage::LowCheckClick);
    connect(m_sort, &QComboBox::activated, this, &RenamePage::MaeSortClick);
    connect(m_takeLetters, &TCuteButton::clicked, this, &RenamePage::Button1Click);
    connect(m_takeExtension, &TCuteButton::clicked, this, &RenamePage::Button2Click);
}

bool RenamePage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_identifier && event->type() == QEvent::FocusOut) {
        // A menu over the box or another window taking the focus for a while
        // does not end the typing.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            cleanIdentifierBox();
        }
    }
    return QObject::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// The list and the grid

std::optional<SortOrder> RenamePage::sortOrder() const
{
    return sortOrderOfItem(m_sort->currentIndex());
}

bool RenamePage::avoidsDuplicates() const
{
    return m_noDuplicates->isChecked();
}

bool RenamePage::carriesSameNames() const
{
    return m_sameName->isChecked();
}

std::vector<std::string> RenamePage::listedNames() const
{
    std::vector<std::string> names;
    if (m_host.fileListCount() == 0) {
        return names; // the grid keeps one empty row when nothing is listed
    }
    names.reserve(static_cast<std::size_t>(m_grid->RowCount() - 1));
    for (int row = 1; row < m_grid->RowCount(); ++row) {
        names.push_back(m_grid->currentName(row));
    }
    return names;
}

void RenamePage::listRead()
{
    // An empty first name makes the next redraw write every row.
    m_grid->setCell(0, 1, std::string());
    m_grid->setRowCount(2);
}

void RenamePage::showSourceExtension(const std::string& extension)
{
    // Set by the program: the box's own handler does not redraw.
    m_extension->setText(nameText(extension));
}

void RenamePage::writeGridHeaders()
{
    m_grid->setHeader(0, QStringLiteral("   変換前ファイル"));
    m_grid->setHeader(1, secondColumnHeader(Page::Rename));
}

void RenamePage::setGridColumnWidths()
{
    int client = m_view->width() - 2 * m_view->frameWidth();
    if (m_view->verticalScrollBar()->isVisibleTo(m_view)) {
        client -= m_view->verticalScrollBar()->width();
    }
    const int column = client / 2 - 1;
    m_view->setColumnWidth(0, column);
    m_view->setColumnWidth(1, column);
}

bool RenamePage::excludeRow(int row)
{
    const int index = row - 1;
    // Only the file the menu was opened over; should the list have changed
    // since, nothing is taken out.
    if (index < 0 || index >= m_fileList->Count()
        || m_fileList->fileNameAt(index) != m_grid->currentName(row)) {
        return false;
    }
    m_fileList->DeleteItem(index);
    // The rows below move up: the next redraw must write every row, also
    // when it computes no names.
    m_grid->setCell(0, 1, std::string());
    return true;
}

// ---------------------------------------------------------------------------
// New names

RenameOptions RenamePage::nameOptions() const
{
    RenameOptions options;
    readOptions(*m_view->window(), options);
    // Cleaned here, not in the box: a blank typed between two words would
    // otherwise go at once, being the last character for a moment.
    options.identifier = nameFromUserText(cleanIdentifier(options.identifier));
    options.extension = nameFromUserText(options.extension);
    options.keepNumber =
        options.keepNumber && m_keepNumber->isEnabledTo(m_keepNumber->parentWidget());
    return options;
}

bool RenamePage::Change_Name()
{
    m_host.StatusWrite(StatusKind::Working, StatusText::of(NameStatus::Converting));
    const ChangeNameResult result = makeNewNames(
        *m_fileList, nameOptions(), {m_folders.sourceFolder(), m_folders.destinationFolder()});
    m_host.StatusWrite(result.status.kind, StatusText::of(result.status.what));
    return result.ok;
}

// ---------------------------------------------------------------------------
// The grid's redraw

bool RenamePage::write(Page page, bool compute)
{
    m_host.StatusWrite(StatusKind::Working, kWorking);
    GridPass pass{compute, true};
    const int count = m_fileList->Count();
    if (count == 0) {
        m_grid->setRowCount(2);
        pass = GridPass{false, false};
        m_host.StatusWrite(StatusKind::Waiting, kChooseFiles);
    } else {
        m_grid->setRowCount(count + 1);
        m_grid->setHeader(1, secondColumnHeader(page));
        if (page == Page::Rename) {
            writeRenameRows(pass);
        } else {
            // The time stamp and attribute pages list the files by name,
            // whatever order the rename page shows.
            m_fileList->SetSortType(SortOrder::NameUp);
            if (page == Page::TimeStamp) {
                m_grid->writeTimeStamps(*m_fileList);
            } else {
                Q_EMIT attributesListed();
                m_grid->writeAttributes(*m_fileList);
            }
            pass.ready = true;
        }
    }
    return finishGridWrite(pass, page == Page::Rename);
}

void RenamePage::writeRenameRows(GridPass& pass)
{
    if (!m_keepNumber->isChecked() && cleanIdentifier(utf8Bytes(m_identifier->text())).empty()) {
        m_host.StatusWrite(StatusKind::Warning, kNoIdentifier);
        pass = GridPass{false, false};
    }
    cleanExtensionBox();
    const std::optional<SortOrder> order = sortOrder();
    if (order && *order != m_fileList->SortType()) {
        m_fileList->SetSortType(*order);
    }
    if (pass.ready) {
        pass.ready = Change_Name();
        pass.report = pass.ready;
    }
    if (pass.report) {
        m_host.StatusWrite(StatusKind::Working, kWorking);
    }
    // Rows are written only when something shown changes: new names, a list
    // read again or sorted anew (its first name cell emptied), or stale names
    // or another page's texts to clear.
    if (pass.ready || m_grid->currentName(1).empty() || !m_grid->newNamesCleared()) {
        m_grid->writeNames(*m_fileList, pass.ready);
    }
    if (pass.ready) {
        markConflicts(pass);
    }
}

// Each folder is read at most once per redraw, and not at all when nothing
// changed since the last one; painting looks nothing up.
void RenamePage::markConflicts(GridPass& pass)
{
    pass.conflicts =
        m_grid->markConflicts(*m_fileList, m_folders.sourceFolder(), m_folders.destinationFolder(),
                              m_noDuplicates->isChecked());
}

bool RenamePage::finishGridWrite(GridPass pass, bool renamePage)
{
    if (pass.ready) {
        pass.ready = !m_grid->currentName(1).empty();
    }
    if (pass.ready && renamePage) {
        pass.ready = m_grid->cell(1, 1) == m_fileList->GetNewName(0);
    }
    if (pass.report && pass.ready && pass.conflicts > 0) {
        m_host.StatusWrite(StatusKind::Warning,
                           QString::number(m_fileList->Count()) + kFilesChosen
                               + QString::number(pass.conflicts)
                               + QStringLiteral("個は、このままでは変換できません。"));
    } else if (pass.report) {
        m_host.StatusWrite(pass.ready ? StatusKind::Ready : StatusKind::Waiting,
                           QString::number(m_fileList->Count()) + kFilesChosen);
    }
    setGridColumnWidths();
    return pass.ready;
}

// ---------------------------------------------------------------------------
// Identifier and extension

void RenamePage::cleanIdentifierBox()
{
    setTextIfChanged(m_identifier, utf8Text(cleanIdentifier(utf8Bytes(m_identifier->text()))));
}

void RenamePage::cleanExtensionBox()
{
    const std::string trimmed = trimControls(utf8Bytes(m_extension->text()));
    std::string_view rest = trimmed;
    if (!rest.empty() && rest.front() == '.') {
        rest.remove_prefix(1);
    }
    setTextIfChanged(m_extension, LetterFilter(utf8Text(rest)));
}

QString RenamePage::LetterFilter(const QString& text)
{
    const LetterFilterResult kept = filterLetters(utf8Bytes(text));
    if (kept.removed) {
        m_host.showErrorMessage(kLettersRemoved);
    }
    return QString::fromLatin1(kept.text.data(), static_cast<qsizetype>(kept.text.size()));
}

void RenamePage::Button1Click()
{
    if (m_fileList->Count() == 0) {
        return;
    }
    const std::string letters = leadingLetters(m_fileList->fileNameAt(0));
    if (letters.empty()) {
        m_host.showPlainMessage(kNoLetters);
        return;
    }
    m_identifier->setText(
        QString::fromLatin1(letters.data(), static_cast<qsizetype>(letters.size())));
    Q_EMIT redrawWanted();
}

void RenamePage::Button2Click()
{
    if (m_fileList->Count() == 0 || !m_extCheck->isChecked()) {
        return;
    }
    std::string_view extension = extensionOf(m_fileList->fileNameAt(0));
    if (!extension.empty()) {
        extension.remove_prefix(1); // the dot
    }
    m_extension->setText(extension.empty() ? QString() : nameText(extension));
    Q_EMIT redrawWanted();
}

void RenamePage::MaeSortClick()
{
    // An empty first name cell: the new order is shown even when no names
    // are computed.
    m_grid->setCell(0, 1, std::string());
    Q_EMIT redrawWanted();
}

// ---------------------------------------------------------------------------
// Option handlers

void RenamePage::Edit1Change()
{
    m_identifier->repaint();
    Q_EMIT redrawWanted();
}

void RenamePage::Edit3Change()
{
    m_extension->repaint();
    Q_EMIT redrawWanted();
}

void RenamePage::Edit2Change()
{
    if (m_digitsBox->text().isEmpty()) {
        // Setting the text comes back here, and that pass redraws.
        m_digitsBox->setText(QStringLiteral("2"));
        return;
    }
    m_digitsBox->repaint();
    Q_EMIT redrawWanted();
}

void RenamePage::Edit4Change()
{
    if (m_startBox->text().isEmpty()) {
        m_startBox->setText(QStringLiteral("1"));
        return;
    }
    m_startBox->repaint();
    Q_EMIT redrawWanted();
}

void RenamePage::ExtCheckClick()
{
    const bool changeExtension = m_extCheck->isChecked();
    m_extension->setEnabled(changeExtension);
    m_takeExtension->setEnabled(changeExtension);
    Q_EMIT redrawWanted();
}

void RenamePage::JuuhukuCheckClick()
{
    Q_EMIT redrawWanted();
    // Keeping the files' own numbers rules out the options that would change
    // those numbers or the extension.
    const bool keepNumber = m_keepNumber->isChecked();
    m_keepName->setEnabled(keepNumber);
    m_noDuplicates->setEnabled(!keepNumber);
    m_extCheck->setEnabled(!keepNumber);
    m_sameName->setEnabled(!keepNumber);
}

void RenamePage::UpCheckClick()
{
    if (m_upper->isChecked()) {
        m_lower->setChecked(false);
    }
    Q_EMIT redrawWanted();
}

void RenamePage::LowCheckClick()
{
    if (m_lower->isChecked()) {
        m_upper->setChecked(false);
    }
    Q_EMIT redrawWanted();
}

// ---------------------------------------------------------------------------
// Settings

void RenamePage::applySettings(const SettingsRecord& settings)
{
    // In the settings file's order: UPPER and LOWWER both on end with lower
    // case only, LOWWER coming second.
    showOptions(*m_view->window(), settings.rename);
}

void RenamePage::fillSettings(SettingsRecord& settings) const
{
    readOptions(*m_view->window(), settings.rename);
}

} // namespace torvel
