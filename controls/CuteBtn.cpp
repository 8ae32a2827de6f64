#include "CuteBtn.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>

namespace torvel {

TCuteButton::TCuteButton(QWidget* parent)
    : QWidget(parent)
{
    // Keyboard focus comes only from the tab chain or the program: a click
    // leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover, false);
    resize(75, 25);
}

void TCuteButton::setCaption(const QString& caption)
{
    if (caption == m_caption) {
        return;
    }
    m_caption = caption;
    grabAccelerator();
    update();
}

void TCuteButton::setFlat(bool flat)
{
    if (flat == m_flat) {
        return;
    }
    m_flat = flat;
    m_inner = flat ? Bevel::None : Bevel::Raised;
    update();
}

void TCuteButton::setBevelWidth(int width)
{
    m_bevelWidth = qMax(1, width);
    update();
}

void TCuteButton::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

void TCuteButton::click()
{
    Q_EMIT clicked();
}

QSize TCuteButton::sizeHint() const
{
    return {75, 25};
}

void TCuteButton::setBevelOuter(Bevel bevel)
{
    if (bevel == m_outer) {
        return;
    }
    m_outer = bevel;
    update();
}

void TCuteButton::grabAccelerator()
{
    if (m_shortcutId != 0) {
        releaseShortcut(m_shortcutId);
        m_shortcutId = 0;
    }
    const QKeySequence mnemonic = QKeySequence::mnemonic(m_caption);
    if (!mnemonic.isEmpty()) {
        m_shortcutId = grabShortcut(mnemonic, Qt::WindowShortcut);
    }
}

bool TCuteButton::event(QEvent* event)
{
    if (event->type() == QEvent::Shortcut) {
        auto* shortcut = static_cast<QShortcutEvent*>(event);
        if (shortcut->shortcutId() == m_shortcutId && isEnabled() && parentWidget() != nullptr
            && parentWidget()->isVisible()) {
            click();
            return true;
        }
    }
    return QWidget::event(event);
}

void TCuteButton::drawBevel(QPainter& painter, QRect& rect, Bevel bevel) const
{
    if (bevel == Bevel::None) {
        return;
    }
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    const QColor topLeft = bevel == Bevel::Raised ? light : dark;
    const QColor bottomRight = bevel == Bevel::Raised ? dark : light;
    for (int i = 0; i < m_bevelWidth && rect.width() > 0 && rect.height() > 0; ++i) {
        painter.setPen(topLeft);
        painter.drawLine(rect.topLeft(), rect.topRight());
        painter.drawLine(rect.topLeft(), rect.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(rect.bottomLeft(), rect.bottomRight());
        painter.drawLine(rect.topRight(), rect.bottomRight());
        rect.adjust(1, 1, -1, -1);
    }
}

void TCuteButton::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    // The face is the parent's background, as a panel of the parent's colour
    // would look.
    QRect area = rect();
    drawBevel(painter, area, m_outer);
    drawBevel(painter, area, m_inner);
    // Like a panel, the caption keeps its colour when the button is disabled:
    // a disabled flat button reads as a label.
    painter.setPen(palette().color(QPalette::Active, QPalette::WindowText));
    painter.drawText(area, int(m_alignment) | Qt::TextShowMnemonic | Qt::TextSingleLine, m_caption);
}

void TCuteButton::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    // Dragging in with the left button held shows the button pressed.
    setBevelOuter(leftButtonDown() ? Bevel::Lowered : Bevel::Raised);
}

bool TCuteButton::leftButtonDown() const
{
    return (QGuiApplication::mouseButtons() & Qt::LeftButton) != 0;
}

void TCuteButton::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    setBevelOuter(Bevel::None);
}

void TCuteButton::focusInEvent(QFocusEvent* event)
{
    setBevelOuter(Bevel::Raised);
    QWidget::focusInEvent(event);
}

void TCuteButton::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    setBevelOuter(Bevel::None);
}

void TCuteButton::keyPressEvent(QKeyEvent* event)
{
    QWidget::keyPressEvent(event);
    const int key = event->key();
    const bool pressKey = key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
    if (!pressKey || !isEnabled()) {
        return;
    }
    event->accept();
    setBevelOuter(Bevel::Lowered);
    repaint();
    click();
    setBevelOuter(Bevel::Raised);
}

void TCuteButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_leftPressed = true;
        setBevelOuter(Bevel::Lowered);
    }
    QWidget::mousePressEvent(event);
    event->accept();
}

void TCuteButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const bool wasPressed = m_leftPressed;
        m_leftPressed = false;
        // The click comes first, when the button is released over the control.
        if (wasPressed && rect().contains(event->position().toPoint())) {
            click();
        }
        setBevelOuter(Bevel::None);
    }
    QWidget::mouseReleaseEvent(event);
    event->accept();
}

} // namespace torvel
