// The layout of the main window's controls, which keep their distances to the edges they are
// anchored to. Portable arithmetic.
#pragma once
#include "platform/screen_geometry.h"

// The main window's controls for a client area of the given size; everything is designed at
// 96 DPI for a 170 x 194 client area and scaled by dpi / 96.
struct TMainLayout {
    TRectI Image;    // the icon backdrop, anchored right and bottom
    TRectI Stats;    // the statistics text, anchored on all sides
    TRectI QuotaBar; // anchored left, right and bottom
};
TMainLayout LayoutMainWindow(int clientWidth, int clientHeight, int dpi);
