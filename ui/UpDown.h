#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace torvel {

// A pair of small arrow buttons, one above the other, standing beside an edit
// box. With a buddy box it keeps a position within a range: the arrows (and the
// Up/Down keys in the box) step it by one without wrapping and write it into
// the box as plain digits; the position follows the box's text while that is a
// whole number within the range, and otherwise keeps its last valid value.
// Without a buddy it only reports the arrow clicks.
class UpDown : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int Min READ minimum WRITE setMin)
    Q_PROPERTY(int Max READ maximum WRITE setMax)
    Q_PROPERTY(int Position READ position WRITE setPosition)

public:
    explicit UpDown(QWidget* parent = nullptr);

    void setBuddy(QLineEdit* buddy);
    QLineEdit* buddy() const { return m_buddy; }

    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    void setMin(int minimum);
    void setMax(int maximum);
    void setRange(int minimum, int maximum);

    int position() const { return m_position; }
    // Clamps to the range and, with a buddy, writes the position into it.
    void setPosition(int position);

    // What a click on the upper or the lower arrow does.
    void stepUp();
    void stepDown();

Q_SIGNALS:
    void upClicked();
    void downClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void step(int delta);
    void followBuddyText(const QString& text);

    QToolButton* m_up;
    QToolButton* m_down;
    QLineEdit* m_buddy = nullptr;
    int m_min = 0;
    int m_max = 100;
    int m_position = 0;
};

} // namespace torvel
