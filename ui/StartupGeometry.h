#pragma once

#include <vector>

namespace torvel {

// The arithmetic of the main window's height and place on the screens, kept
// apart from the widgets so that every number can be checked without a
// screen. Pixels are the window's design pixels.

// The outer window height of a HeightSize: 0 small 475, 1 medium 580, 2 large
// 680; any other value gives the medium height.
int windowHeightFor(int heightSize);

// The height the screen allows for a wanted HeightSize: on a screen less than
// 490 pixels high only the small one (0); on one less than 610 pixels high the
// large one (2) becomes the medium one (1); otherwise the wanted one.
int heightSizeForScreen(int wanted, int screenHeight);

// A rectangle on the screen.
struct ScreenRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct WindowPlacement
{
    int left = 0;
    int top = 0;
    int height = 0; // outer height
};

// Where a window goes, and how tall it is made, when it was saved at (left,
// top) with the given outer width and wanted outer height, given the areas
// of the screens that a window may use. Every part of the window must be in
// reach, the status line at its bottom too: it goes on the screen it covers
// most, else (saved on a screen since removed, or on a larger one) on the
// nearest; it is made no taller than that screen's area, and moved the
// shortest way to lie wholly on it. A window wider than the screen has its
// left edge at the screen's. With no screen known the saved place and the
// wanted height stand.
WindowPlacement placeOnScreens(int left, int top, int width, int height,
                               const std::vector<ScreenRect>& screens);

} // namespace torvel
