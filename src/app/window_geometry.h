// The main window's geometry: snapping to the screen edges and the layout of its controls,
// which keep their distances to the edges they are anchored to. Portable arithmetic.
#pragma once

struct TRectI {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

// Where a window of the given size at (left, top) lands: an edge less than `distance` pixels
// from screen coordinate 0 (left, top) or from the work area's right or bottom edge goes onto
// it. The position (0, 0) itself is left alone.
void SnapPosition(int& left, int& top, int width, int height, const TRectI& workArea,
                  int distance = 5);

// Moves a window of the given size at (left, top) into the work area, as little as it takes; a
// window larger than the work area keeps its left and top edges on the work area's.
void MoveIntoWorkArea(int& left, int& top, int width, int height, const TRectI& workArea);

// The main window's controls for a client area of the given size; everything is designed at
// 96 DPI for a 170 x 194 client area and scaled by dpi / 96.
struct TMainLayout {
    TRectI Image;    // the icon backdrop, anchored right and bottom
    TRectI Stats;    // the statistics text, anchored on all sides
    TRectI QuotaBar; // anchored left, right and bottom
};
TMainLayout LayoutMainWindow(int clientWidth, int clientHeight, int dpi);
