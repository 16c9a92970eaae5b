// Snapping to the screen's edges and coming back into a work area.
#include "platform/screen_geometry.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>

void SnapPosition(int& left, int& top, int width, int height, const TRectI& workArea,
                  int distance) {
    if (left == 0 && top == 0)
        return;
    if (std::abs(left) < distance)
        left = 0;
    if (std::abs(top) < distance)
        top = 0;
    if (std::abs(workArea.Right - (left + width)) < distance)
        left = workArea.Right - width;
    if (std::abs(workArea.Bottom - (top + height)) < distance)
        top = workArea.Bottom - height;
}

void MoveIntoWorkArea(int& left, int& top, int width, int height, const TRectI& workArea) {
    left = std::max(std::min(left, workArea.Right - width), workArea.Left);
    top = std::max(std::min(top, workArea.Bottom - height), workArea.Top);
}

TRectI WindowRect(int left, int top, int width, int height) {
    auto far = [](int from, int size) {
        return static_cast<int>(std::clamp<int64_t>(int64_t{from} + size, INT_MIN, INT_MAX));
    };
    return {left, top, far(left, width), far(top, height)};
}

void PlaceRemembered(int& left, int& top, int& width, int& height, bool onAMonitor,
                     const TRectI& workArea) {
    const bool fits = width <= workArea.Width() && height <= workArea.Height();
    if (onAMonitor && fits)
        return;
    width = std::min(width, workArea.Width());
    height = std::min(height, workArea.Height());
    MoveIntoWorkArea(left, top, width, height, workArea);
}
