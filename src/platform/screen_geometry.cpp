// Snapping to the screen's edges and coming back into a work area.
#include "platform/screen_geometry.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>

// Distances are taken in 64 bits: a remembered place may hold any values.
void SnapPosition(int& left, int& top, int width, int height, const TRectI& workArea,
                  int distance) {
    if (left == 0 && top == 0)
        return;
    auto near = [distance](int64_t a, int64_t b) { return std::llabs(a - b) < distance; };
    if (near(left, 0))
        left = 0;
    if (near(top, 0))
        top = 0;
    if (near(workArea.Right, int64_t{left} + width))
        left = workArea.Right - width;
    if (near(workArea.Bottom, int64_t{top} + height))
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
