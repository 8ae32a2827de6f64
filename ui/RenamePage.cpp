#include "RenamePage.h"
#include "Utf8Text.h"

#include "ui_MainForm.h"

#include <QAction>
#include <QFocusEvent>

#include <string_view>
#include <utility>

#include "ChangeName.h"
#include "CuteBtn.h"
#include "DateNameDialog.h"
#include "Extraction.h"
#include "FilesList.h"
#include "FormHost.h"
#include "NameRules.h"
#include "OptionControls.h"
#include "RenameSession.h"
#include "SettingRows.h"
#include "SettingsRecord.h"
#include "StatusTexts.h"
#include "Texts.h"
#include "UpDown.h"

namespace torvel {

namespace {

const QString kNoLetters = utf8Text(noIdentifierLettersText);
const QString kLettersRemoved = utf8Text(identifierLettersRemovedText);
const QString kNoIdentifier = utf8Text(typeIdentifierText);

std::string utf8Bytes(const QString& text)
{
    return text.toStdString();
}

// A name's bytes as text for a box the person edits.
QString nameText(std::string_view bytes)
{
    return utf8Text(displayName(bytes));
}

// The item the box of a choice row shows for the option's present choice.
QString choiceLabel(const RenameOptions& options, std::string_view control)
{
    for (const SettingRow& row : settingRows()) {
        if (row.kind == ValueKind::Choice && row.control == control) {
            return utf8Text(row.choices[static_cast<std::size_t>(choiceIn(options, row))].label);
        }
    }
    return {};
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

RenamePage::RenamePage(Ui::TForm1& ui, FormHost& host, const FolderChoice& folders,
                       ListedFiles& listed)
    : QObject()
    , m_host(host)
    , m_folders(folders)
    , m_listed(listed)
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
    , m_datePart(ui.DatePartButton)
    , m_dateDialog(new DateNameDialog(ui.Edit1->window()))
{
    m_digits->setBuddy(m_digitsBox);
    m_start->setBuddy(m_startBox);
    fillSortBox(*m_sort);
    connectOptions();
    m_identifier->installEventFilter(this);
    connect(ui.DateNameItem, &QAction::triggered, this, &RenamePage::openDateDialog);
    connect(m_datePart, &TCuteButton::clicked, this, &RenamePage::openDateDialog);
    connect(m_dateDialog, &DateNameDialog::choicesChanged, this, &RenamePage::DateChoiceChange);
    connect(m_dateDialog, &DateNameDialog::helpWanted, this, &RenamePage::helpWanted);
    showDatePart(nameOptions());
}

RenamePage::~RenamePage() = default;

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

void RenamePage::showSourceExtension(const std::string& extension)
{
    // Set by the program: the box's own handler does not redraw.
    m_extension->setText(nameText(extension));
}

// ---------------------------------------------------------------------------
// New names

RenameOptions RenamePage::nameOptions() const
{
    RenameOptions options;
    readOptions(*m_identifier->window(), options);
    options.keepNumber =
        options.keepNumber && m_keepNumber->isEnabledTo(m_keepNumber->parentWidget());
    // Cleaned here, not in the box: a blank typed between two words would
    // otherwise go at once, being the last character for a moment.
    return optionsForNames(options);
}

RenameOptions RenamePage::namingOptions()
{
    cleanExtensionBox();
    return nameOptions();
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
    if (m_listed.files().Count() == 0) {
        return;
    }
    const std::string letters = leadingLetters(m_listed.files().fileNameAt(0));
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
    if (m_listed.files().Count() == 0 || !m_extCheck->isChecked()) {
        return;
    }
    std::string_view extension = extensionOf(m_listed.files().fileNameAt(0));
    if (!extension.empty()) {
        extension.remove_prefix(1); // the dot
    }
    m_extension->setText(extension.empty() ? QString() : nameText(extension));
    Q_EMIT redrawWanted();
}

void RenamePage::MaeSortClick()
{
    // The new order is shown even when no names are computed.
    Q_EMIT orderChosen();
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
// The date part

void RenamePage::openDateDialog()
{
    m_dateDialog->start();
    refreshExample();
}

void RenamePage::DateChoiceChange()
{
    showDatePart(nameOptions());
    Q_EMIT redrawWanted();
}

void RenamePage::showDatePart(const RenameOptions& options)
{
    // Where the date stands in the name, and from what it is taken.
    QString caption = QStringLiteral("日付なし");
    QString hint = choiceLabel(options, "DateSourceBox");
    if (options.dateSource != DateSource::None) {
        const QString date = options.dateSource == DateSource::Shot ? QStringLiteral("撮影日")
                                                                    : QStringLiteral("更新日");
        caption = options.dateAfterIdentifier ? QStringLiteral("識別名_") + date
                                              : date + QStringLiteral("_識別名");
        hint += QStringLiteral("、書式 ") + utf8Text(options.datePattern)
                + (options.dateAfterIdentifier ? QStringLiteral("、識別名の後")
                                               : QStringLiteral("、識別名の前"))
                + (options.numberPerDate ? QStringLiteral("、日付ごとに連番") : QString());
    }
    m_datePart->setCaption(caption);
    m_datePart->setAccessibleName(QStringLiteral("日付: ") + caption);
    m_datePart->setToolTip(hint + QLatin1Char('\n') + choiceLabel(options, "ExtCaseBox")
                           + QStringLiteral("\n押すと、日付と拡張子を選べます。"));
}

void RenamePage::refreshExample()
{
    if (!m_dateDialog->isVisible()) {
        return;
    }
    // The first file as it stands: its copy is made again only when another
    // file comes first, so that its shooting date is read once.
    const TMyFileList& list = m_listed.files();
    std::string first;
    if (const TMyFileItem* item = list.item(0)) {
        first = m_folders.sourceFolder() + item->FileName + '/'
                + std::to_string(item->lastWriteSeconds());
    }
    if (!m_example || first != m_exampleOf) {
        m_example = std::make_unique<NameExample>(list, m_folders.sourceFolder());
        m_exampleOf = std::move(first);
    }
    const RenameOptions options = nameOptions();
    if (options.dateSource != DateSource::None) {
        if (const std::string refusal = datePatternRefusal(options.datePattern, "日付の書式");
            !refusal.empty()) {
            m_dateDialog->showExample(utf8Text(refusal), true);
            return;
        }
    }
    if (lacksIdentifier(options)) {
        m_dateDialog->showExample(kNoIdentifier, true);
        return;
    }
    ChangeNameResult result;
    const std::optional<std::string> name = m_example->make(
        options, {m_folders.sourceFolder(), m_folders.destinationFolder()}, &result);
    m_dateDialog->showExample(name ? QStringLiteral("例: ") + nameText(*name)
                                   : StatusText::of(result.status.what),
                              !name);
}

// ---------------------------------------------------------------------------
// Settings

void RenamePage::applySettings(const SettingsRecord& settings)
{
    // In the settings file's order: UPPER and LOWWER both on end with lower
    // case only, LOWWER coming second.
    showOptions(*m_identifier->window(), settings.rename);
}

void RenamePage::fillSettings(SettingsRecord& settings) const
{
    readOptions(*m_identifier->window(), settings.rename);
}

} // namespace torvel
