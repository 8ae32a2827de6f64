#include "DateEdit.h"

#include "SpinButton.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QStyleOptionFrame>
#include <QValidator>

#include <algorithm>

namespace torvel {

namespace {

// Unfilled positions show "_"; the logic reads them as blanks. Every digit is
// required, and the era letter, forced to capitals, is checked against the era
// table by the validator below.
const QString WesternMask = QStringLiteral("9999/99/99;_");
const QString EraMask = QStringLiteral(">X.99/99/99;_");
constexpr QChar MaskBlank = u'_';

} // namespace

// Lets the era position take only a letter of the era table (or stay blank).
class EraLetterValidator : public QValidator
{
public:
    explicit EraLetterValidator(QObject* parent)
        : QValidator(parent)
    {}

    void setLetters(QStringList letters) { m_letters = std::move(letters); }

    State validate(QString& input, int&) const override
    {
        if (input.isEmpty() || input.front() == MaskBlank || input.front() == u' ')
            return Intermediate;
        const bool known =
            std::any_of(m_letters.begin(), m_letters.end(),
                        [&input](const QString& letter) { return input.startsWith(letter); });
        return known ? Acceptable : Invalid;
    }

private:
    QStringList m_letters;
};

TDateEdit::TDateEdit(QWidget* parent)
    : QLineEdit(parent)
    , m_letters(new EraLetterValidator(this))
{
    // Dates are typed as digits and one Latin letter: keep the input method closed.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setInputMethodHints(Qt::ImhPreferLatin | Qt::ImhNoPredictiveText);
    connect(this, &QLineEdit::textChanged, this, &TDateEdit::OnChange);

    updateEraLetters();
    m_date.assignValue(EraDate::todayValue());

    m_spin = new SpinButton(this);
    m_spin->setObjectName(QStringLiteral("SpinButton"));
    m_spin->resize(SpinWidth, SpinHeight);
    m_spin->setFocusControl(this);
    connect(m_spin, &SpinButton::upClick, this, &TDateEdit::SpinUp);
    connect(m_spin, &SpinButton::downClick, this, &TDateEdit::SpinDown);
    setTextMargins(0, 0, SpinWidth + 2, 0);

    setD_Gengo(false);
    updateMinimumHeight();
    placeSpinButton();
}

TDateEdit::~TDateEdit()
{
    // The button goes with its parent; nothing may reach it from here on.
    m_spin = nullptr;
}

double TDateEdit::D_Date()
{
    readBack();
    return m_date.value();
}

void TDateEdit::setD_Date(double value)
{
    m_date.assignValue(value);
    DateChanged();
    ShowDate();
}

void TDateEdit::setD_Year(int year)
{
    if (!m_date.assignYear(year))
        return;
    DateChanged();
    ShowDate();
}

void TDateEdit::setD_Month(int month)
{
    if (!m_date.assignMonth(month))
        return;
    DateChanged();
    ShowDate();
}

void TDateEdit::setD_Day(int day)
{
    if (!m_date.assignDay(day))
        return;
    DateChanged();
    ShowDate();
}

// The old text does not fit the new mask; the box shows the stored date in
// the new form, and a change is announced once, for the final text only.
void TDateEdit::setD_Gengo(bool on)
{
    const QString before = displayText();
    m_date.setEraMode(on);
    {
        const QSignalBlocker quiet(this);
        applyMask();
        setBoxText(m_date.ShowDate());
    }
    if (displayText() != before)
        Q_EMIT textChanged(text());
}

QStringList TDateEdit::D_GengoList() const
{
    QStringList rows;
    for (const std::string& row : m_date.eraRows())
        rows.append(QString::fromStdString(row));
    return rows;
}

void TDateEdit::setD_GengoList(const QStringList& rows)
{
    std::vector<std::string> copied;
    copied.reserve(static_cast<std::size_t>(rows.size()));
    for (const QString& row : rows)
        copied.push_back(row.toStdString());
    m_date.setEraRows(std::move(copied));
    updateEraLetters();
}

void TDateEdit::updateEraLetters()
{
    QStringList letters;
    for (const std::string& letter : m_date.eraLetters())
        letters.append(QString::fromStdString(letter));
    m_letters->setLetters(letters);
}

QString TDateEdit::Text()
{
    readBack();
    return boxText();
}

QString TDateEdit::boxText() const
{
    QString shown = displayText();
    shown.replace(MaskBlank, u' ');
    return shown;
}

void TDateEdit::SpinUp()
{
    spin(1);
}

void TDateEdit::SpinDown()
{
    spin(-1);
}

void TDateEdit::DateChanged()
{
    Q_EMIT OnChangeDate();
}

// Reads the typed text into the date. False when a field could not be read:
// the error has been shown, the date is as it was, and the caller stops.
bool TDateEdit::readBack()
{
    const EraDate::ParseResult result = m_date.parse(boxText().toStdString());
    if (!result.read) {
        notify(Notice::Error, QString::fromStdString(result.message));
        return false;
    }
    if (!result.message.empty())
        notify(Notice::Message, QString::fromStdString(result.message));
    setBoxText(result.text);
    return true;
}

void TDateEdit::ShowDate()
{
    setBoxText(m_date.ShowDate());
}

// Only whole texts (every position filled, or all blank) are ever written, as
// the mask would shift the digits of a partly blank field. A text equal to what
// is shown is left alone, so a partial entry kept as typed stays intact.
void TDateEdit::setBoxText(const std::string& text)
{
    const QString wanted = QString::fromStdString(text);
    if (wanted != boxText())
        setText(wanted);
}

void TDateEdit::spin(int delta)
{
    if (isReadOnly()) {
        notify(Notice::Beep, {});
        return;
    }
    if (!readBack())
        return;
    m_date.stepDays(delta, EraDate::todayValue());
    DateChanged();
    ShowDate();
}

// The control's own meaning of a key; false when the typed text could not be read.
bool TDateEdit::handleKey(int key)
{
    switch (key) {
    case Qt::Key_Space:
        m_date.setBlank();
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!readBack())
            return false;
        m_date.stepDays(key == Qt::Key_Up ? 1 : -1, EraDate::todayValue());
        break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (!readBack())
            return false;
        m_date.stepMonths(key == Qt::Key_PageUp ? 1 : -1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!readBack())
            return false;
        break;
    default:
        return true;
    }
    DateChanged();
    ShowDate();
    return true;
}

void TDateEdit::keyPressEvent(QKeyEvent* event)
{
    if (!isReadOnly() && !handleKey(event->key())) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

// Leaving for another control reads the entry back. A popup menu or another
// window taking the focus (the message box of the read-back among them) is no
// leaving: the focus comes back here.
void TDateEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    if (!readBack())
        return;
    DateChanged();
    Q_EMIT OnExit();
}

void TDateEdit::mouseReleaseEvent(QMouseEvent* event)
{
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT OnClick();
}

void TDateEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    placeSpinButton();
}

void TDateEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        updateMinimumHeight();
        placeSpinButton();
    } else if (event->type() == QEvent::ReadOnlyChange) {
        setAttribute(Qt::WA_InputMethodEnabled, false);
    }
}

void TDateEdit::applyMask()
{
    setValidator(m_date.eraMode() ? m_letters : nullptr);
    setInputMask(m_date.eraMode() ? EraMask : WesternMask);
}

// The button fills the right end of the box inside its frame.
void TDateEdit::placeSpinButton()
{
    if (!m_spin)
        return;
    QStyleOptionFrame option;
    initStyleOption(&option);
    const int frame =
        hasFrame() ? style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this) : 0;
    m_spin->setGeometry(width() - frame - SpinWidth, frame, SpinWidth,
                        std::max(height() - 2 * frame, 1));
}

// Lower than this, the text would be cut: the font's height, a quarter of the
// smaller of it and the screen font's height for the leading, and the frame.
void TDateEdit::updateMinimumHeight()
{
    const int fontHeight = fontMetrics().height();
    const int screenHeight = QFontMetrics(QApplication::font()).height();
    setMinimumHeight(fontHeight + std::min(fontHeight, screenHeight) / 4 + 4 + 2);
}

void TDateEdit::notify(Notice kind, const QString& text)
{
    if (m_notice) {
        m_notice(kind, text);
        return;
    }
    const QString title = QGuiApplication::applicationDisplayName();
    switch (kind) {
    case Notice::Beep:
        QApplication::beep();
        break;
    case Notice::Message:
        QMessageBox(QMessageBox::NoIcon, title, text, QMessageBox::Ok, this).exec();
        break;
    case Notice::Error:
        QMessageBox::critical(this, title, text);
        break;
    }
}

} // namespace torvel
