#include "StatusLine.h"

#include <qdrawutil.h>
#include <QAccessibleWidget>
#include <QEvent>
#include <QPainter>
#include <QProgressBar>

namespace torvel {

namespace {

constexpr int kProgressWidth = 160;
constexpr int kProgressMargin = 2;

// Repaints the bar when its progress bar appears or goes, since panel 1
// changes its width then.
class ProgressWatcher : public QObject
{
public:
    ProgressWatcher(QWidget* bar)
        : QObject(bar)
        , m_bar(bar)
    {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show || event->type() == QEvent::Hide) {
            m_bar->update();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* m_bar;
};

// What a screen reader is told of an empty line.
const QString kAccessibleCaption = QStringLiteral("ステータス");

// The line draws its text itself; to a screen reader it is a status bar whose
// name is the text it shows.
QAccessibleInterface* statusLineAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("torvel::StatusLine") && object->isWidgetType()) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::StatusBar);
    }
    return nullptr;
}

} // namespace

StatusLine::StatusLine(QWidget* parent)
    : QWidget(parent)
    , m_panel0(QStringLiteral("1"))
    , m_progress(new QProgressBar(this))
{
    setObjectName(QStringLiteral("StatusBar1"));
    static const bool accessibleInstalled = [] {
        QAccessible::installFactory(statusLineAccessible);
        return true;
    }();
    Q_UNUSED(accessibleInstalled);
    setAccessibleName(kAccessibleCaption);
    m_progress->setAccessibleName(QStringLiteral("進行状況"));
    setAutoFillBackground(true);
    resize(400, kHeight);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setTextVisible(false);
    m_progress->hide();
    m_progress->installEventFilter(new ProgressWatcher(this));
    placeProgressBar();
}

void StatusLine::write(StatusKind kind, const QString& text)
{
    m_kind = kind;
    m_panel0 = QString::number(static_cast<int>(kind));
    m_panel1 = text;
    // Setting the name tells a screen reader that it changed.
    setAccessibleName(text.isEmpty() ? kAccessibleCaption : text);
    repaint();
}

QString StatusLine::panelText(int panel) const
{
    if (panel == 0) {
        return m_panel0;
    }
    return panel == 1 ? m_panel1 : QString();
}

QRect StatusLine::panelRect(int panel) const
{
    if (panel == 0) {
        return {0, 0, kKindPanelWidth, height()};
    }
    if (panel != 1) {
        return {};
    }
    int right = width();
    if (m_progress->isVisibleTo(this)) {
        right = m_progress->geometry().left() - kProgressMargin;
    }
    return {kKindPanelWidth, 0, qMax(0, right - kKindPanelWidth), height()};
}

QRect StatusLine::textArea() const
{
    return panelRect(1).adjusted(3, 1, -2, -1);
}

std::optional<QColor> StatusLine::kindColor(StatusKind kind, const QPalette& palette)
{
    switch (kind) {
    case StatusKind::Ready:
        return QColor(0, 255, 0);
    case StatusKind::Warning:
        return QColor(255, 0, 0);
    case StatusKind::Waiting:
        return palette.color(QPalette::Button);
    case StatusKind::Working:
        break;
    }
    return std::nullopt;
}

void StatusLine::paintKindMark(QPainter& painter, const QRect& rect) const
{
    const std::optional<QColor> fill = kindColor(m_kind, palette());
    if (!fill) {
        return;
    }
    painter.fillRect(rect.adjusted(3, 2, -3, -2), *fill);
}

void StatusLine::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);

    const QRect kindRect = panelRect(0);
    painter.save();
    painter.setClipRect(kindRect);
    Q_EMIT drawPanel(&painter, 0, kindRect);
    painter.restore();

    const QRect textRect = panelRect(1);
    if (textRect.width() <= 0) {
        return;
    }
    qDrawShadePanel(&painter, textRect, palette(), true, 1);
    // A text longer than the panel is cut at its edge, not shortened.
    const QRect inner = textArea();
    painter.setClipRect(inner);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, m_panel1);
}

void StatusLine::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeProgressBar();
}

void StatusLine::placeProgressBar()
{
    m_progress->setGeometry(width() - kProgressWidth - kProgressMargin, kProgressMargin,
                            kProgressWidth, height() - 2 * kProgressMargin);
}

} // namespace torvel
