#pragma once

#include <QList>
#include <QRect>

#include <cstdint>

class QAction;
class QMainWindow;

namespace torvel {

namespace Ui {
class TForm1;
}

class Preview;
struct SettingsRecord;

// The screens the window stands on, as the window sees them; a test's
// window decides them.
class WindowScreens
{
public:
    virtual int screenHeight() const = 0;         // of the screen the window is on
    virtual QList<QRect> screenAreas() const = 0; // usable areas, task bars left out

protected:
    ~WindowScreens() = default;
};

// The main window's own layout: its three heights as far as its screen
// allows, with the lower half laid out to fit, the side of the command
// column, Tab's way through the window as it stands, and its place on the
// screen, kept in the settings file.
class WindowLayout
{
public:
    WindowLayout(Ui::TForm1& ui, QMainWindow& window, Preview& preview,
                 const WindowScreens& screens);

    std::uint8_t heightSize() const { return m_heightSize; } // 0 small, 1 medium, 2 large
    std::uint8_t buttonSide() const { return m_buttonSide; } // 1: command buttons at the left

    void applySettings(const SettingsRecord& settings);
    void fillSettings(SettingsRecord& settings) const;
    // Where the window stands now is what the settings file keeps.
    void keepPlace();

    // At start: the window where the settings put it, checked against the
    // screens; then, once its parts are filled, the column at its side and
    // the height.
    void placeWindow();
    void finishStart();

    void SizeChenge(std::uint8_t state);
    void HsClick(QAction* Sender); // a height item of the menu
    void ButtonSideCapClick();
    void orderTabChain();
    // The frame's height is known once the window is on the screen.
    void refitToFrame();

private:
    void fitOnScreen(int wantedHeight);
    void layOutLowerHalf();
    void checkHeightItem(int state);

    Ui::TForm1& ui;
    QMainWindow& m_window;
    Preview& m_preview;
    const WindowScreens& m_screens;
    std::uint8_t m_buttonSide = 1;
    std::uint8_t m_heightSize = 1; // the chosen height as far as the screen allows
    int m_chosenHeightSize = 1;    // as the settings file keeps it
    int m_formLeft = 0;
    int m_formTop = 0;
    int m_frameExtra = 0;
};

} // namespace torvel
