#include "SpinButton.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

namespace torvel {

namespace {
// The first repeat waits a little longer, so that a single click stays single.
constexpr int FirstRepeatMs = 400;
constexpr int RepeatMs = 100;
} // namespace

SpinButton::SpinButton(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    resize(sizeHint());
    m_repeat.setSingleShot(true);
    connect(&m_repeat, &QTimer::timeout, this, [this] { fire(RepeatMs); });
}

QRect SpinButton::halfRect(Half half) const
{
    const int upperHeight = height() / 2;
    if (half == Half::Up)
        return {0, 0, width(), upperHeight};
    return {0, upperHeight, width(), height() - upperHeight};
}

SpinButton::Half SpinButton::halfAt(const QPoint& point) const
{
    if (halfRect(Half::Up).contains(point))
        return Half::Up;
    if (halfRect(Half::Down).contains(point))
        return Half::Down;
    return Half::None;
}

void SpinButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (Half half : {Half::Up, Half::Down}) {
        QStyleOptionButton panel;
        panel.initFrom(this);
        panel.rect = halfRect(half);
        panel.state |= m_pressed == half ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &panel, &painter, this);

        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = panel.rect.adjusted(3, 1, -3, -1);
        if (m_pressed == half)
            arrow.rect.translate(1, 1);
        const auto element =
            half == Half::Up ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown;
        style()->drawPrimitive(element, &arrow, &painter, this);
    }
}

void SpinButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (m_focusControl && !m_focusControl->hasFocus())
        m_focusControl->setFocus(Qt::MouseFocusReason);
    m_pressed = halfAt(event->position().toPoint());
    update();
    if (m_pressed == Half::None)
        return;
    fire(FirstRepeatMs);
}

void SpinButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        stop();
    else
        QWidget::mouseReleaseEvent(event);
}

void SpinButton::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        stop();
    QWidget::changeEvent(event);
}

// A handler may open a modal box, which swallows the button's release: the
// repeat goes on only while the mouse button is still down afterwards.
void SpinButton::fire(int nextRepeatMs)
{
    if (m_pressed == Half::Up)
        Q_EMIT upClick();
    else if (m_pressed == Half::Down)
        Q_EMIT downClick();
    if (m_pressed != Half::None && (QGuiApplication::mouseButtons() & Qt::LeftButton))
        m_repeat.start(nextRepeatMs);
    else
        stop();
}

void SpinButton::stop()
{
    m_repeat.stop();
    m_pressed = Half::None;
    update();
}

} // namespace torvel
