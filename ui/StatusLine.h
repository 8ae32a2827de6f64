#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <optional>

class QProgressBar;

namespace torvel {

// The message line at the foot of the main window: a 50-pixel panel whose
// owner draws a coloured mark for the kind of the message, then the message.
// Kinds: 0 ready (green), 1 working (no mark), 2 warning (red), 3 waiting for
// the person (button face).
//
// Long steps run on the one user-interface thread without returning to the
// event loop, so write() repaints at once: that repaint is the only way a
// progress text becomes visible while such a step runs.
class StatusLine : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kHeight = 23;
    static constexpr int kKindPanelWidth = 50;

    explicit StatusLine(QWidget* parent = nullptr);

    // Shows text with its kind and repaints the bar before returning.
    void write(int kind, const QString& text);

    int kind() const { return m_kind; }
    // Panel 0 holds the kind as decimal text (never shown), panel 1 the text.
    QString panelText(int panel) const;

    // Where each panel lies in the bar's coordinates. Panel 1 stops short of
    // the progress bar while that is shown.
    QRect panelRect(int panel) const;

    // The progress bar at the right end, hidden unless a run is under way.
    QProgressBar* progressBar() const { return m_progress; }

    // Fills the kind mark into a panel rectangle: the rectangle shrunk by 3
    // pixels left and right and 2 pixels top and bottom; nothing for kind 1.
    void paintKindMark(QPainter& painter, const QRect& panelRect) const;

    // The fill of a kind's mark; none for kind 1 and for unknown kinds.
    static std::optional<QColor> kindColor(int kind, const QPalette& palette);

Q_SIGNALS:
    // The owner-drawn panel asks to be drawn; painter is only valid during the
    // call.
    void drawPanel(QPainter* painter, int panel, const QRect& rect);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeProgressBar();

    int m_kind = 1;
    QString m_panel0;
    QString m_panel1;
    QProgressBar* m_progress;
};

} // namespace torvel
