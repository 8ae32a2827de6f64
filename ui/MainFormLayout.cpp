// The main window's layout: its height steps, the side of the command buttons,
// its place on the screen, and the switching of its pages.
#include "MainForm.h"

#include "ui_MainForm.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QLayout>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>

#include <climits>
#include <vector>

#include "FolderPanel.h"
#include "OwnerDrawnTabs.h"
#include "Preview.h"
#include "RenamePage.h"
#include "StartupGeometry.h"
#include "StatusLine.h"
#include "TimeStampPage.h"

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

// ---------------------------------------------------------------------------
// Height

void TForm1::SizeChenge(std::uint8_t state)
{
    if (state <= 2) {
        checkHeightItem(state);
    }
    fitOnScreen(windowHeightFor(state));
    layOutLowerHalf();
    HeightSize = state;
}

void TForm1::layOutLowerHalf()
{
    if (layout() != nullptr) {
        layout()->activate();
    }
    const int client = ui->centralWidget->height();
    ui->StatusBar1->setGeometry(0, client - StatusLine::kHeight, width(), StatusLine::kHeight);
    const int bottom = client - ui->StatusBar1->height() - 1;

    TPageControlEx* lower = ui->PageControl2;
    lower->resize(lower->width(), bottom - lower->y() - 1);
    const QRect page = lower->DisplayRect();
    ui->DirTree->setGeometry(0, 0, page.width(), page.height() - 1);
    QWidget* filter = ui->CheckListBox1;
    filter->resize(filter->width(), ui->DirTree->height() - 2 * filter->y());

    QWidget* edit5 = ui->Edit5;
    edit5->move(edit5->x(), bottom - edit5->height() - 2);
    ui->CuteButton3->setGeometry(ui->CuteButton3->x(), edit5->y(), ui->CuteButton3->width(),
                                 edit5->height());
    QWidget* source = ui->Label11;
    source->move(source->x(), edit5->y() - source->height() - 2);
    ui->Label7->setGeometry(ui->Label7->x(), source->y(), ui->Label7->width(),
                            source->height() + 3);

    QWidget* grid = ui->StringGrid1;
    grid->resize(grid->width(), ui->Label7->y() - grid->y() - 2);
    m_preview->setColumnWidths();
}

void TForm1::checkHeightItem(int state)
{
    QAction* items[3] = {ui->N475, ui->N580, ui->N680};
    if (state >= 0 && state <= 2) {
        items[state]->setChecked(true);
    }
}

void TForm1::fitOnScreen(int wantedHeight)
{
    // The status line and the run's results are at the bottom: the window is
    // kept wholly on its screen, as tall as wanted where the screen allows.
    const QRect frame = frameGeometry();
    const WindowPlacement place = placeOnScreens(frame.x(), frame.y(), frame.width(), wantedHeight,
                                                 screenRects(screenAreas()));
    // The frame's height is known only once the window is on the screen; until
    // then the whole height goes to the window.
    setFixedHeight(qMax(1, place.height - m_frameExtra));
    if (layout() != nullptr) {
        layout()->activate();
    }
    move(place.left, place.top);
}

void TForm1::refitToFrame()
{
    if (!isVisible()) {
        return;
    }
    const int extra = frameGeometry().height() - geometry().height();
    if (extra != m_frameExtra && extra >= 0) {
        m_frameExtra = extra;
        SizeChenge(HeightSize);
    }
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    refitToFrame();
}

void TForm1::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    refitToFrame();
}

int TForm1::screenHeight() const
{
    const QScreen* current = screen();
    return current != nullptr ? current->geometry().height() : INT_MAX;
}

QList<QRect> TForm1::screenAreas() const
{
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        areas << screen->availableGeometry();
    }
    return areas;
}

void TForm1::HsClick(QAction* Sender)
{
    const int wanted = Sender != nullptr ? Sender->property("Tag").toInt() : HeightSize;
    // Kept as chosen, also when this screen allows less: a larger one gets it.
    m_chosenHeightSize = wanted;
    const int state = heightSizeForScreen(wanted, screenHeight());
    if (state != HeightSize) {
        SizeChenge(static_cast<std::uint8_t>(state));
        return;
    }
    // Nothing changes, so the check mark stays where it was.
    checkHeightItem(HeightSize);
}

// ---------------------------------------------------------------------------
// Side of the command buttons and place of the window

void TForm1::ButtonSideCapClick()
{
    ButtonSide = ButtonSide != 0 ? 0 : 1;
    QWidget* column = ui->Panel3;
    QWidget* pages = ui->PageControl1;
    if (ButtonSide == 1) {
        column->move(1, column->y());
        pages->move(column->width() + 1, pages->y());
        // The caption names the move the next click makes.
        ui->ButtonSideCap->setText(QStringLiteral("ボタンは右に"));
    } else {
        pages->move(1, pages->y());
        column->move(pages->width() + 1, column->y());
        ui->ButtonSideCap->setText(QStringLiteral("ボタンは左に"));
    }
    orderTabChain();
}

void TForm1::orderTabChain()
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
    QWidget::setTabOrder(ui->DateButton, findChild<QWidget*>(QStringLiteral("ShotDateCheck")));
    QWidget::setTabOrder(ui->Edit5, ui->CuteButton3);
    QWidget* before =
        ButtonSide == 1 ? static_cast<QWidget*>(ui->CuteButton3) : ui->RadioGroup6Item1;
    for (QWidget* button : {ui->SpeedButton1, ui->PreViewButton, ui->TorvelButton, ui->EndButton}) {
        QWidget::setTabOrder(before, button);
        before = button;
    }
}

void TForm1::placeWindow(int left, int top)
{
    // The window takes its final height only later in start-up; the place is
    // checked with that height.
    const WindowPlacement place =
        placeOnScreens(left, top, width(), windowHeightFor(HeightSize), screenRects(screenAreas()));
    move(place.left, place.top);
}

// ---------------------------------------------------------------------------
// Pages

void TForm1::R1Click()
{
    ui->PageControl1->setCurrentIndex(tabOf(Page::Rename));
    PageControl1Change();
}

void TForm1::D1Click()
{
    ui->PageControl1->setCurrentIndex(tabOf(Page::TimeStamp));
    PageControl1Change();
}

void TForm1::P1Click()
{
    ui->PageControl1->setCurrentIndex(tabOf(Page::Attributes));
    PageControl1Change();
}

void TForm1::PageControl1Change()
{
    const Page page = currentPage();
    if (page == Page::TimeStamp) {
        m_stampPage->fillFromFirstFile();
    } else if (page == Page::Attributes) {
        TSheetPro();
    }
    const bool renamePage = page == Page::Rename;
    updatePreviewCommands();
    ui->NonPreCheck->setEnabled(renamePage);
    m_folders->setRenamePage(renamePage);
    // The destination belongs to the rename page only: elsewhere the filter
    // stays in front and the destination page is hidden.
    TPageControlEx* lower = ui->PageControl2;
    if (renamePage) {
        lower->setTabVisible(tabOf(LowerPage::Destination), true);
        lower->setCurrentIndex(tabOf(LowerPage::Destination));
    } else {
        lower->setCurrentIndex(tabOf(LowerPage::Filter));
        lower->setTabVisible(tabOf(LowerPage::Destination), false);
    }
    StringGrid1Write(immediatePreview());
}

void TForm1::updatePreviewCommands()
{
    const bool enable = currentPage() == Page::Rename && fileListCount() > 0 && !immediatePreview();
    ui->PreViewButton->setEnabled(enable);
    ui->S1->setEnabled(enable);
}

void TForm1::PageControl2Changing(bool* AllowChange)
{
    if (AllowChange != nullptr) {
        *AllowChange = currentPage() == Page::Rename;
    }
}

} // namespace torvel
