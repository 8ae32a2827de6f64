#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <optional>

#include "StatusMessages.h"

class QProgressBar;

namespace torvel {

// The message line at the foot of the main window: a 50-pixel panel whose
// owner draws a coloured mark for the kind of the message, then the message:
// ready green, working no mark, warning red, waiting for the person the
// button face.
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
    void write(StatusKind kind, const QString& text);

    StatusKind kind() const { return m_kind; }
    // Panel 0 holds the kind's number (0 ready to 3 waiting) as decimal text,
    // never shown; panel 1 the text.
    QString panelText(int panel) const;

    // Where each panel lies in the bar's coordinates. Panel 1 stops short of
    // the progress bar while that is shown.
    QRect panelRect(int panel) const;
    // Where panel 1 draws its text, inside the panel's frame. A text wider
    // than this is cut at its edge.
    QRect textArea() const;

    // The progress bar at the right end, hidden unless a run is under way.
    QProgressBar* progressBar() const { return m_progress; }

    // Fills the kind mark into a panel rectangle: the rectangle shrunk by 3
    // pixels left and right and 2 pixels top and bottom; nothing while working.
    void paintKindMark(QPainter& painter, const QRect& panelRect) const;

    // The fill of a kind's mark; none while working.
    static std::optional<QColor> kindColor(StatusKind kind, const QPalette& palette);

Q_SIGNALS:
    // The owner-drawn panel asks to be drawn; painter is only valid during the
    // call.
    void drawPanel(QPainter* painter, int panel, const QRect& rect);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeProgressBar();

    StatusKind m_kind = StatusKind::Working;
    QString m_panel0;
    QString m_panel1;
    QProgressBar* m_progress;
};

} // namespace torvel
