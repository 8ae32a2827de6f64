#include "OwnerDrawnTabs.h"

#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>
#include <QWheelEvent>

namespace torvel {

namespace {

bool isTabStepKey(int key)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

bool isPageStepKey(const QKeyEvent* event)
{
    if ((event->modifiers() & Qt::ControlModifier) == 0) {
        return false;
    }
    const int key = event->key();
    return key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_PageUp
           || key == Qt::Key_PageDown;
}

} // namespace

TPageControlExTabBar::TPageControlExTabBar(TPageControlEx* owner)
    : QTabBar(owner)
    , m_owner(owner)
{}

void TPageControlExTabBar::paintEvent(QPaintEvent* event)
{
    if (!m_owner->ownerDraw()) {
        QTabBar::paintEvent(event);
        return;
    }
    paintOwnerDrawn();
}

void TPageControlExTabBar::paintOwnerDrawn()
{
    QPainter painter(this);
    const int selected = currentIndex();
    auto drawOne = [&](int index) {
        QStyleOptionTab option;
        initStyleOption(&option, index);
        option.text.clear();
        option.icon = QIcon();
        style()->drawControl(QStyle::CE_TabBarTabShape, &option, &painter, this);

        TOwnerDrawState state;
        if (index == selected) {
            state |= TOwnerDrawFlag::odSelected;
            if (hasFocus()) {
                state |= TOwnerDrawFlag::odFocus;
            }
        }
        if (!isTabEnabled(index)) {
            state |= TOwnerDrawFlag::odDisabled;
        }
        // The item is the inside of the tab's frame.
        m_owner->drawItem(painter, index, tabRect(index).adjusted(2, 2, -2, -2), state);
    };
    // The selected tab overlaps its neighbours, so it is drawn last.
    for (int i = 0; i < count(); ++i) {
        if (i != selected && isTabVisible(i)) {
            drawOne(i);
        }
    }
    if (selected >= 0 && isTabVisible(selected)) {
        drawOne(selected);
    }
}

void TPageControlExTabBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const int index = tabAt(event->position().toPoint());
        if (index >= 0 && index != currentIndex() && !m_owner->canChange()) {
            event->accept();
            return;
        }
    }
    m_owner->userChange([&] { QTabBar::mousePressEvent(event); });
}

void TPageControlExTabBar::keyPressEvent(QKeyEvent* event)
{
    if (isTabStepKey(event->key()) && !m_owner->canChange()) {
        event->accept();
        return;
    }
    m_owner->userChange([&] { QTabBar::keyPressEvent(event); });
}

#if QT_CONFIG(wheelevent)
void TPageControlExTabBar::wheelEvent(QWheelEvent* event)
{
    if (!m_owner->canChange()) {
        event->accept();
        return;
    }
    m_owner->userChange([&] { QTabBar::wheelEvent(event); });
}
#endif

TPageControlEx::TPageControlEx(QWidget* parent)
    : QTabWidget(parent)
{
    setTabBar(new TPageControlExTabBar(this));
    connect(this, &QTabWidget::currentChanged, this, [this](int /*index*/) {
        if (m_userChange) {
            Q_EMIT OnChange();
        }
    });
}

TPageControlEx::~TPageControlEx() = default;

void TPageControlEx::setOwnerDraw(bool ownerDraw)
{
    if (ownerDraw == m_ownerDraw) {
        return;
    }
    m_ownerDraw = ownerDraw;
    tabBar()->update();
}

QRect TPageControlEx::DisplayRect() const
{
    QStyleOptionTabWidgetFrame option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, this);
}

void TPageControlEx::drawItem(QPainter& painter, int index, const QRect& itemRect,
                              TOwnerDrawState state)
{
    painter.save();
    painter.setFont(font());
    painter.setBrush(palette().button());
    painter.setPen(palette().color(QPalette::WindowText));
    QRect rect = itemRect;
    rect.setTop(rect.top() + 1);
    if (state.testFlag(TOwnerDrawFlag::odSelected)) {
        rect.setLeft(rect.left() + 2);
    }
    m_canvas = &painter;
    DrawTab(index, rect, state);
    m_canvas = nullptr;
    painter.restore();
}

void TPageControlEx::DrawTab(int index, const QRect& rect, TOwnerDrawState state)
{
    QPainter* canvas = Canvas();
    if (canvas == nullptr) {
        return;
    }
    canvas->fillRect(rect, canvas->brush());
    if (isSignalConnected(QMetaMethod::fromSignal(&TPageControlEx::OnDrawTab))) {
        Q_EMIT OnDrawTab(this, index, rect, state);
        return;
    }
    canvas->save();
    canvas->setClipRect(rect);
    canvas->drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     tabText(index));
    canvas->restore();
}

bool TPageControlEx::canChange()
{
    bool allowChange = true;
    Q_EMIT OnChanging(&allowChange);
    return allowChange;
}

void TPageControlEx::keyPressEvent(QKeyEvent* event)
{
    if (isPageStepKey(event) && !canChange()) {
        event->accept();
        return;
    }
    userChange([&] { QTabWidget::keyPressEvent(event); });
}

} // namespace torvel
