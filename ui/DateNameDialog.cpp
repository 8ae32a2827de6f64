#include "DateNameDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "DatePattern.h"
#include "OptionControls.h"
#include "Utf8Text.h"

namespace torvel {

namespace {

QComboBox* addBox(QWidget* parent, const char* name)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QCheckBox* addCheck(QWidget* parent, const char* name, const QString& text)
{
    auto* check = new QCheckBox(text, parent);
    check->setObjectName(QLatin1String(name));
    return check;
}

} // namespace

DateNameDialog::DateNameDialog(QWidget* window)
    : QDialog(window)
    , m_source(addBox(this, "DateSourceBox"))
    , m_format(addBox(this, "DateFormatBox"))
    , m_after(addCheck(this, "DateAfterCheck", QStringLiteral("日付を識別名の後に(&A)")))
    , m_perDate(addCheck(this, "DateNumberCheck", QStringLiteral("日付ごとに連番(&N)")))
    , m_extCase(addBox(this, "ExtCaseBox"))
    , m_example(new QLabel(this))
    , m_buttons(new QDialogButtonBox(
          QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this))
{
    setObjectName(QStringLiteral("DateNameDialog"));
    setWindowTitle(QStringLiteral("日付と拡張子"));
    buildControls();
    fillChoiceBoxes(*this);
    connectControls();
}

void DateNameDialog::buildControls()
{
    m_format->setEditable(true);
    for (const std::string_view pattern : offeredDatePatterns) {
        m_format->addItem(utf8Text(pattern));
    }
    m_format->setToolTip(
        QStringLiteral("年 yyyy yy、月 MM M、日 dd d、時 HH H、分 mm m、秒 ss s。\n"
                       "ほかの文字はそのまま名前に入ります。"));
    m_source->setToolTip(QStringLiteral("新しい名前に入れる日付です。"));
    m_perDate->setToolTip(QStringLiteral("日付が変わるたびに、連番を初期値から付け直します。"));
    m_extCase->setToolTip(
        QStringLiteral("名前のほかの部分とは別に、拡張子の大文字・小文字を決めます。"));
    m_example->setObjectName(QStringLiteral("DateExample"));
    m_example->setTextFormat(Qt::PlainText);
    m_example->setMinimumWidth(320);
    m_buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    m_buttons->button(QDialogButtonBox::Help)->setText(QStringLiteral("ヘルプ(&H)"));

    auto* form = new QFormLayout;
    const auto addRow = [this, form](const QString& caption, QWidget* field) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    addRow(QStringLiteral("日付(&T):"), m_source);
    addRow(QStringLiteral("書式(&F):"), m_format);
    form->addRow(QString(), m_after);
    form->addRow(QString(), m_perDate);
    addRow(QStringLiteral("拡張子(&E):"), m_extCase);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(m_example);
    column->addWidget(m_buttons);
    // Tab goes down the dialog as it stands, then to its buttons.
    QWidget::setTabOrder(m_source, m_format);
    QWidget::setTabOrder(m_format, m_after);
    QWidget::setTabOrder(m_after, m_perDate);
    QWidget::setTabOrder(m_perDate, m_extCase);
    QWidget::setTabOrder(m_extCase, m_buttons);
}

void DateNameDialog::connectControls()
{
    const auto changed = [this] {
        updateControls();
        Q_EMIT choicesChanged();
    };
    connect(m_source, &QComboBox::currentIndexChanged, this, changed);
    // Every keystroke in the pattern counts, as in the identifier box.
    connect(m_format, &QComboBox::editTextChanged, this, changed);
    connect(m_after, &QCheckBox::toggled, this, changed);
    connect(m_perDate, &QCheckBox::toggled, this, changed);
    connect(m_extCase, &QComboBox::currentIndexChanged, this, changed);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &DateNameDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &DateNameDialog::reject);
    connect(m_buttons, &QDialogButtonBox::helpRequested, this,
            [this] { Q_EMIT helpWanted(kHelpTopic); });
}

void DateNameDialog::updateControls()
{
    const bool dated = m_source->currentIndex() != static_cast<int>(DateSource::None);
    for (QWidget* control : {static_cast<QWidget*>(m_format), static_cast<QWidget*>(m_after),
                             static_cast<QWidget*>(m_perDate)}) {
        control->setEnabled(dated);
    }
    // A date is made only from a pattern that can be used; without a date
    // the pattern does not count.
    m_buttons->button(QDialogButtonBox::Ok)
        ->setEnabled(!dated || DatePattern::parse(bytesOf(m_format->currentText())).has_value());
}

void DateNameDialog::start()
{
    m_opened = RenameOptions();
    readOptions(*this, m_opened);
    updateControls();
    show();
    raise();
    activateWindow();
    m_source->setFocus(Qt::TabFocusReason);
}

void DateNameDialog::showExample(const QString& text, bool warning)
{
    m_example->setText(text);
    m_example->setStyleSheet(warning ? QStringLiteral("color: #c00000;") : QString());
}

void DateNameDialog::reject()
{
    // Only the dialog's own controls are set back: the page's stay as they are.
    showOptions(*this, m_opened);
    QDialog::reject();
}

void DateNameDialog::keyPressEvent(QKeyEvent* event)
{
    // The main window's F1 does not reach a window of its own.
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        Q_EMIT helpWanted(kHelpTopic);
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace torvel
