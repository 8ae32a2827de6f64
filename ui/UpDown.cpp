#include "UpDown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

namespace torvel {

UpDown::UpDown(QWidget* parent)
    : QWidget(parent)
    , m_up(new QToolButton(this))
    , m_down(new QToolButton(this))
{
    setFocusPolicy(Qt::TabFocus);
    for (QToolButton* button : {m_up, m_down}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    m_up->setAccessibleName(QStringLiteral("増やす"));
    m_down->setAccessibleName(QStringLiteral("減らす"));
    connect(m_up, &QToolButton::clicked, this, &UpDown::stepUp);
    connect(m_down, &QToolButton::clicked, this, &UpDown::stepDown);
    resize(19, 23);
}

void UpDown::setBuddy(QLineEdit* buddy)
{
    if (m_buddy != nullptr) {
        m_buddy->removeEventFilter(this);
        disconnect(m_buddy, nullptr, this, nullptr);
    }
    m_buddy = buddy;
    if (m_buddy != nullptr) {
        m_buddy->installEventFilter(this);
        connect(m_buddy, &QLineEdit::textChanged, this, &UpDown::followBuddyText);
        followBuddyText(m_buddy->text());
    }
}

void UpDown::setMin(int minimum)
{
    setRange(minimum, qMax(minimum, m_max));
}

void UpDown::setMax(int maximum)
{
    setRange(qMin(m_min, maximum), maximum);
}

void UpDown::setRange(int minimum, int maximum)
{
    m_min = minimum;
    m_max = qMax(minimum, maximum);
    m_position = qBound(m_min, m_position, m_max);
}

void UpDown::setPosition(int position)
{
    m_position = qBound(m_min, position, m_max);
    if (m_buddy != nullptr) {
        m_buddy->setText(QString::number(m_position));
    }
}

void UpDown::stepUp()
{
    step(1);
    Q_EMIT upClicked();
}

void UpDown::stepDown()
{
    step(-1);
    Q_EMIT downClicked();
}

void UpDown::step(int delta)
{
    if (m_buddy == nullptr) {
        return;
    }
    const int next = qBound(m_min, m_position + delta, m_max);
    if (next != m_position || m_buddy->text() != QString::number(next)) {
        setPosition(next);
    }
}

void UpDown::followBuddyText(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (ok && value >= m_min && value <= m_max) {
        m_position = value;
    }
}

bool UpDown::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_buddy && event->type() == QEvent::KeyPress && isEnabled()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up) {
            stepUp();
            return true;
        }
        if (key == Qt::Key_Down) {
            stepDown();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UpDown::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up) {
        stepUp();
        return;
    }
    if (event->key() == Qt::Key_Down) {
        stepDown();
        return;
    }
    QWidget::keyPressEvent(event);
}

void UpDown::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int upper = height() / 2;
    m_up->setGeometry(0, 0, width(), upper);
    m_down->setGeometry(0, upper, width(), height() - upper);
}

} // namespace torvel
