// Windows on the screen: rectangles, snapping to the screen's edges and coming back into a
// work area. Portable arithmetic, shared by the main window and the History window.
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

// The rectangle of a window of the given size at (left, top), its far edges held at the largest
// coordinate instead of overflowing: a remembered place may hold any values.
TRectI WindowRect(int left, int top, int width, int height);

// A window remembered at (left, top) with the given size (not negative), opened again: a size
// larger than the work area is cut to it, and a window that was cut or is on no monitor comes
// into the work area as MoveIntoWorkArea brings it.
void PlaceRemembered(int& left, int& top, int& width, int& height, bool onAMonitor,
                     const TRectI& workArea);
