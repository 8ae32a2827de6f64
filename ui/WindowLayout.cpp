// The main window's layout: its height steps, the side of the command buttons
// and its place on the screen.
#include "WindowLayout.h"

#include "ui_MainForm.h"

#include <QLayout>
#include <QMainWindow>

#include <vector>

#include "OwnerDrawnTabs.h"
#include "SettingsRecord.h"
#include "Preview.h"
#include "StartupGeometry.h"
#include "StatusLine.h"

namespace torvel {

namespace {

std::vector<ScreenRect> screenRects(const QList<QRect>& areas)
{
    std::vector<ScreenRect> rects;
    rects.reserve(static_cast<std::size_t>(areas.size()));
    for (const QRect& area : areas) {
        rects.push_back({area.x(), area.y(), area.width(), area.height()});
    }
    return rects;
}

} // namespace

WindowLayout::WindowLayout(Ui::TForm1& form, QMainWindow& window, Preview& preview,
                           const WindowScreens& screens)
    : ui(form)
    , m_window(window)
    , m_preview(preview)
    , m_screens(screens)
{}

// ---------------------------------------------------------------------------
// Height

void WindowLayout::SizeChenge(std::uint8_t state)
{
    if (state <= 2) {
        checkHeightItem(state);
    }
    fitOnScreen(windowHeightFor(state));
    layOutLowerHalf();
    m_heightSize = state;
}

void WindowLayout::layOutLowerHalf()
{
    if (m_window.layout() != nullptr) {
        m_window.layout()->activate();
    }
    const int client = ui.centralWidget->height();
    ui.StatusBar1->setGeometry(0, client - StatusLine::kHeight, m_window.width(),
                               StatusLine::kHeight);
    const int bottom = client - ui.StatusBar1->height() - 1;

    TPageControlEx* lower = ui.PageControl2;
    lower->resize(lower->width(), bottom - lower->y() - 1);
    const QRect page = lower->DisplayRect();
    ui.DirTree->setGeometry(0, 0, page.width(), page.height() - 1);
    QWidget* filter = ui.CheckListBox1;
    filter->resize(filter->width(), ui.DirTree->height() - 2 * filter->y());

    QWidget* edit5 = ui.Edit5;
    edit5->move(edit5->x(), bottom - edit5->height() - 2);
    ui.CuteButton3->setGeometry(ui.CuteButton3->x(), edit5->y(), ui.CuteButton3->width(),
                                edit5->height());
    QWidget* source = ui.Label11;
    source->move(source->x(), edit5->y() - source->height() - 2);
    ui.Label7->setGeometry(ui.Label7->x(), source->y(), ui.Label7->width(), source->height() + 3);

    QWidget* grid = ui.StringGrid1;
    grid->resize(grid->width(), ui.Label7->y() - grid->y() - 2);
    m_preview.setColumnWidths();
}

void WindowLayout::checkHeightItem(int state)
{
    QAction* items[3] = {ui.N475, ui.N580, ui.N680};
    if (state >= 0 && state <= 2) {
        items[state]->setChecked(true);
    }
}

void WindowLayout::fitOnScreen(int wantedHeight)
{
    // The status line and the run's results are at the bottom: the window is
    // kept wholly on its screen, as tall as wanted where the screen allows.
    const QRect frame = m_window.frameGeometry();
    const WindowPlacement place = placeOnScreens(frame.x(), frame.y(), frame.width(), wantedHeight,
                                                 screenRects(m_screens.screenAreas()));
    // The frame's height is known only once the window is on the screen; until
    // then the whole height goes to the window.
    m_window.setFixedHeight(qMax(1, place.height - m_frameExtra));
    if (m_window.layout() != nullptr) {
        m_window.layout()->activate();
    }
    m_window.move(place.left, place.top);
}

void WindowLayout::refitToFrame()
{
    if (!m_window.isVisible()) {
        return;
    }
    const int extra = m_window.frameGeometry().height() - m_window.geometry().height();
    if (extra != m_frameExtra && extra >= 0) {
        m_frameExtra = extra;
        SizeChenge(m_heightSize);
    }
}

void WindowLayout::HsClick(QAction* Sender)
{
    const int wanted = Sender != nullptr ? Sender->property("Tag").toInt() : m_heightSize;
    // Kept as chosen, also when this screen allows less: a larger one gets it.
    m_chosenHeightSize = wanted;
    const int state = heightSizeForScreen(wanted, m_screens.screenHeight());
    if (state != m_heightSize) {
        SizeChenge(static_cast<std::uint8_t>(state));
        return;
    }
    // Nothing changes, so the check mark stays where it was.
    checkHeightItem(m_heightSize);
}

// ---------------------------------------------------------------------------
// Side of the command buttons and place of the window

void WindowLayout::ButtonSideCapClick()
{
    m_buttonSide = m_buttonSide != 0 ? 0 : 1;
    QWidget* column = ui.Panel3;
    QWidget* pages = ui.PageControl1;
    if (m_buttonSide == 1) {
        column->move(1, column->y());
        pages->move(column->width() + 1, pages->y());
        // The caption names the move the next click makes.
        ui.ButtonSideCap->setText(QStringLiteral("ボタンは右に"));
    } else {
        pages->move(1, pages->y());
        column->move(pages->width() + 1, column->y());
        ui.ButtonSideCap->setText(QStringLiteral("ボタンは左に"));
    }
    orderTabChain();
}

void WindowLayout::orderTabChain()
{
    // Tab goes through the window as it stands on the screen. The form's
    // list orders the controls within the work pages only: an order from a
    // page control to a control on one of its own pages cuts Qt's chain in
    // two, and the rest keep the order in which the form makes them. The
    // check box the time stamp page adds below its button follows it, 設定
    // follows the field whose text it confirms, and the command column comes
    // before the work pages when it stands at their left, after them when
    // it stands at their right. 設定 is the window's last control, so after
    // it is before the work pages once Tab wraps round.
    QWidget::setTabOrder(ui.DateButton,
                         m_window.findChild<QWidget*>(QStringLiteral("ShotDateCheck")));
    QWidget::setTabOrder(ui.Edit5, ui.CuteButton3);
    QWidget* before =
        m_buttonSide == 1 ? static_cast<QWidget*>(ui.CuteButton3) : ui.RadioGroup6Item1;
    for (QWidget* button : {ui.SpeedButton1, ui.PreViewButton, ui.TorvelButton, ui.EndButton}) {
        QWidget::setTabOrder(before, button);
        before = button;
    }
}

void WindowLayout::placeWindow()
{
    // The window takes its final height only later in start-up; the place is
    // checked with that height.
    const WindowPlacement place =
        placeOnScreens(m_formLeft, m_formTop, m_window.width(), windowHeightFor(m_heightSize),
                       screenRects(m_screens.screenAreas()));
    m_window.move(place.left, place.top);
}

void WindowLayout::finishStart()
{
    if (m_buttonSide == 0) {
        m_buttonSide = 1;
        ButtonSideCapClick();
    }
    SizeChenge(m_heightSize);
}

void WindowLayout::keepPlace()
{
    m_formTop = m_window.y();
    m_formLeft = m_window.x();
}

// ---------------------------------------------------------------------------
// Settings

void WindowLayout::applySettings(const SettingsRecord& settings)
{
    m_buttonSide = settings.buttonSide != 0 ? 1 : 0;
    m_formLeft = settings.formLeft;
    m_formTop = settings.formTop;
    // The height must fit the screen the window opens on; a start on a
    // small screen leaves the height chosen for larger ones as it was.
    m_chosenHeightSize = settings.heightSize;
    m_heightSize = static_cast<std::uint8_t>(
        heightSizeForScreen(settings.heightSize, m_screens.screenHeight()));
    checkHeightItem(m_heightSize);
}

void WindowLayout::fillSettings(SettingsRecord& settings) const
{
    settings.buttonSide = m_buttonSide;
    settings.heightSize = m_chosenHeightSize;
    settings.formLeft = m_formLeft;
    settings.formTop = m_formTop;
}

} // namespace torvel
