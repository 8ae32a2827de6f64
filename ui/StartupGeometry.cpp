#include "StartupGeometry.h"

#include <algorithm>

namespace torvel {

int windowHeightFor(int heightSize)
{
    switch (heightSize) {
    case 0:
        return 475;
    case 2:
        return 680;
    default:
        return 580;
    }
}

int heightSizeForScreen(int wanted, int screenHeight)
{
    // The thresholds leave room for the window's frame and a task bar.
    if (screenHeight < 490)
        return 0;
    if (screenHeight < 610 && wanted == 2)
        return 1;
    return wanted;
}

namespace {

// The start of a span of length size placed at start within [areaStart,
// areaStart + areaSize): unchanged when it fits, else moved the shortest way
// in; a span longer than the area starts with it.
long long fitSpan(long long start, long long size, long long areaStart, long long areaSize)
{
    if (size >= areaSize)
        return areaStart;
    return std::clamp(start, areaStart, areaStart + areaSize - size);
}

// How much of a span lies within another.
long long overlapOf(long long start, long long size, long long areaStart, long long areaSize)
{
    return std::max(0LL, std::min(start + size, areaStart + areaSize) - std::max(start, areaStart));
}

// How far apart two spans are; 0 when they overlap.
long long gapBetween(long long start, long long size, long long areaStart, long long areaSize)
{
    return std::max({0LL, areaStart - (start + size), start - (areaStart + areaSize)});
}

} // namespace

WindowPlacement placeOnScreens(int left, int top, int width, int height,
                               const std::vector<ScreenRect>& screens)
{
    // Wide arithmetic throughout: a position read from a file may lie near
    // the limits of int.
    const ScreenRect* chosen = nullptr;
    long long mostCovered = 0;
    long long nearestGap = 0;
    for (const ScreenRect& screen : screens) {
        if (screen.width <= 0 || screen.height <= 0)
            continue;
        const long long covered = overlapOf(left, width, screen.left, screen.width)
                                  * overlapOf(top, height, screen.top, screen.height);
        const long long gap = gapBetween(left, width, screen.left, screen.width)
                              + gapBetween(top, height, screen.top, screen.height);
        // A screen the window covers beats any it does not; among those it
        // does not cover, the nearest wins.
        const bool better = chosen == nullptr || covered > mostCovered
                            || (covered == 0 && mostCovered == 0 && gap < nearestGap);
        if (better) {
            chosen = &screen;
            mostCovered = covered;
            nearestGap = gap;
        }
    }
    if (chosen == nullptr)
        return {left, top, height};
    const int fitted = std::min(height, chosen->height);
    return {static_cast<int>(fitSpan(left, width, chosen->left, chosen->width)),
            static_cast<int>(fitSpan(top, fitted, chosen->top, chosen->height)), fitted};
}

} // namespace torvel
