// A pair of small up and down buttons stacked in one narrow widget. A press
// fires at once and repeats while the button is held; the buttons never take
// the keyboard focus but hand it to the control they serve.
#pragma once

#include <QTimer>
#include <QWidget>

namespace torvel {

class SpinButton : public QWidget
{
    Q_OBJECT
public:
    explicit SpinButton(QWidget* parent = nullptr);

    // The widget that gets the focus when either button is pressed.
    void setFocusControl(QWidget* control) { m_focusControl = control; }
    QSize sizeHint() const override { return {17, 19}; }

Q_SIGNALS:
    void upClick();
    void downClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    enum class Half
    {
        None,
        Up,
        Down
    };
    Half halfAt(const QPoint& point) const;
    QRect halfRect(Half half) const;
    void fire(int nextRepeatMs);
    void stop();

    QWidget* m_focusControl = nullptr;
    QTimer m_repeat;
    Half m_pressed = Half::None;
};

} // namespace torvel
