#pragma once

#include <QWidget>

namespace torvel {

// A push button built like a panel: a box with a centred caption whose two
// bevels carry its whole visual state. Flat, it reads as plain text until the
// mouse is over it or it has the focus (raised), and shows sunken while
// pressed. A mouse click never takes the keyboard focus, so a button beside an
// edit box can be pressed without ending the editing.
class TCuteButton : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(bool Flat READ flat WRITE setFlat)
    Q_PROPERTY(int BevelWidth READ bevelWidth WRITE setBevelWidth)
    Q_PROPERTY(Qt::Alignment Alignment READ alignment WRITE setAlignment)

public:
    enum class Bevel
    {
        None,
        Lowered,
        Raised
    };
    Q_ENUM(Bevel)

    explicit TCuteButton(QWidget* parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);

    bool flat() const { return m_flat; }
    void setFlat(bool flat);

    int bevelWidth() const { return m_bevelWidth; }
    void setBevelWidth(int width);

    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);

    Bevel bevelInner() const { return m_inner; }
    Bevel bevelOuter() const { return m_outer; }

    // Presses the button from the program, as a click would.
    void click();

    QSize sizeHint() const override;

Q_SIGNALS:
    void clicked();

protected:
    // Whether the platform reports the left mouse button held down now.
    virtual bool leftButtonDown() const;

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void setBevelOuter(Bevel bevel);
    void grabAccelerator();
    void drawBevel(QPainter& painter, QRect& rect, Bevel bevel) const;

    QString m_caption;
    bool m_flat = false;
    int m_bevelWidth = 1;
    Qt::Alignment m_alignment = Qt::AlignCenter;
    Bevel m_inner = Bevel::Raised;
    Bevel m_outer = Bevel::None;
    bool m_leftPressed = false;
    int m_shortcutId = 0;
};

} // namespace torvel
