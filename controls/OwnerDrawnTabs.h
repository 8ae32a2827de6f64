#pragma once
// A page control whose tabs the window draws itself (TPageControlEx), and the
// tab row that paints them.

#include <QFlags>
#include <QTabBar>
#include <QTabWidget>

class QPainter;

namespace torvel {

// The state of a tab handed to its drawing step.
enum class TOwnerDrawFlag : unsigned
{
    odSelected = 0x01,
    odGrayed = 0x02,
    odDisabled = 0x04,
    odChecked = 0x08,
    odFocus = 0x10,
};
Q_DECLARE_FLAGS(TOwnerDrawState, TOwnerDrawFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TOwnerDrawState)

class TPageControlEx;

// The tab row of TPageControlEx: paints owner-drawn tabs and asks its page
// control before a page change made by the user.
class TPageControlExTabBar : public QTabBar
{
    Q_OBJECT
public:
    explicit TPageControlExTabBar(TPageControlEx* owner);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
#if QT_CONFIG(wheelevent)
    void wheelEvent(QWheelEvent* event) override;
#endif

private:
    void paintOwnerDrawn();
    TPageControlEx* m_owner;
};

// A page control whose tabs the program may draw itself and whose tabs may
// stand on any of the four sides.
//
// Page changes follow the classic page-control contract rather than Qt's:
// OnChanging may refuse a change the user asks for (a tab click, the arrow
// keys, Ctrl+Tab), and OnChange is raised only after such a user change, never
// when the program sets the current page.
class TPageControlEx : public QTabWidget
{
    Q_OBJECT
    Q_PROPERTY(bool OwnerDraw READ ownerDraw WRITE setOwnerDraw)

public:
    explicit TPageControlEx(QWidget* parent = nullptr);
    ~TPageControlEx() override;

    bool ownerDraw() const { return m_ownerDraw; }
    void setOwnerDraw(bool ownerDraw);

    // The painter that OnDrawTab draws on; only valid while a tab is drawn,
    // null otherwise.
    QPainter* Canvas() const { return m_canvas; }

    // The rectangle that the pages occupy, in the control's coordinates.
    QRect DisplayRect() const;

    // Draws one tab: fills the rectangle with the canvas brush, then hands over
    // to OnDrawTab, or writes the caption itself when nobody listens.
    virtual void DrawTab(int index, const QRect& rect, TOwnerDrawState state);

    // Called by the tab row for each tab while owner drawing is on.
    void drawItem(QPainter& painter, int index, const QRect& itemRect, TOwnerDrawState state);

    // Asks OnChanging whether the user may leave the current page.
    bool canChange();

    // Runs a page change asked for by the user, so that OnChange follows it.
    template <typename Step>
    void userChange(Step step)
    {
        const bool outer = m_userChange;
        m_userChange = true;
        step();
        m_userChange = outer;
    }

Q_SIGNALS:
    void OnDrawTab(torvel::TPageControlEx* control, int index, const QRect& rect,
                   torvel::TOwnerDrawState state);
    void OnChanging(bool* allowChange);
    void OnChange();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_ownerDraw = false;
    QPainter* m_canvas = nullptr;
    bool m_userChange = false;
};

} // namespace torvel

Q_DECLARE_METATYPE(torvel::TOwnerDrawState)
