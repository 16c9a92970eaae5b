// A colour swatch: a small framed rectangle filled with one colour that reports any mouse
// button pressed on it, and the Space bar while it has the focus, to its parent.
#pragma once
#include <windows.h>

// Parent notification (WM_COMMAND code) for a mouse button pressed on the swatch.
constexpr WORD kSwatchMouseDown = 0x4C01;
// wParam: the new colour (0x00BBGGRR); repaints.
constexpr UINT kSwatchSetColour = WM_USER + 1;
// Returns the colour.
constexpr UINT kSwatchGetColour = WM_USER + 2;

// The window class of the swatches, registered once per process.
const char* ColourSwatchClass();
