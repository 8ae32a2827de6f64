#pragma once

#include <string>
#include <vector>

namespace torvel {

// The arithmetic of the main window's size and layout, kept apart from the
// widgets so that every number can be checked without a screen. Pixels are
// the window's design pixels.

// The outer window height of a HeightSize: 0 small 475, 1 medium 580, 2 large
// 680; any other value gives the medium height.
int windowHeightFor(int heightSize);

// The height the screen allows for a wanted HeightSize: on a screen less than
// 490 pixels high only the small one (0); on one less than 610 pixels high the
// large one (2) becomes the medium one (1); otherwise the wanted one.
int heightSizeForScreen(int wanted, int screenHeight);

// Where the lower half goes for a client height. Inputs are what the window
// has at that moment; every output is a top or height of one control.
struct LowerHalfInput
{
    int clientHeight = 0;      // client area of the window
    int statusBarHeight = 0;   // StatusBar1
    int lowerPagesTop = 0;     // PageControl2
    int destinationHeight = 0; // Edit5 (and CuteButton3)
    int sourcePanelHeight = 0; // Label11
    int gridTop = 0;           // StringGrid1
};

struct LowerHalfLayout
{
    int bottom = 0;              // B: the last row above the status bar
    int lowerPagesHeight = 0;    // PageControl2
    int destinationTop = 0;      // Edit5 and CuteButton3
    int sourcePanelTop = 0;      // Label11
    int sourceCaptionTop = 0;    // Label7
    int sourceCaptionHeight = 0; // Label7: the panel's height plus 3
    int gridHeight = 0;          // StringGrid1, down to 2 pixels above Label7
};

LowerHalfLayout lowerHalfLayout(const LowerHalfInput& in);

// The folder tree fills the lower control's current page, one pixel short;
// the filter list is as much shorter than the tree as twice its own top.
int folderTreeHeight(int pageClientHeight);
int filterListHeight(int treeHeight, int filterListTop);

// The client width that holds the button column and the work page control
// side by side: 40 + 560 + 2 = 602 at design size.
int clientWidthFor(int buttonColumnWidth, int workPagesWidth);

// The top band for a ButtonSide: 1 puts the button column at left 1 and the
// work pages beside it, 0 the work pages at left 1 and the column beside
// them. menuCaption names the move the next click of the side item makes.
struct TopBandLayout
{
    int buttonColumnLeft = 0;
    int workPagesLeft = 0;
    std::string menuCaption; // UTF-8
};

TopBandLayout topBandLayout(int buttonSide, int buttonColumnWidth, int workPagesWidth);

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
