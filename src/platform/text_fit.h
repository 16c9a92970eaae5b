// Layouts that grow with their texts: controls whose text does not fit in their font are widened
// (or, for a wrapping label, heightened), and what lies beside or below them moves along.
#pragma once
#include <windows.h>

// The width a control needs to show its text on one line, box and margins included; 0 for a
// control whose text this does not measure (edits, lists, pictures, labels that cut their text
// short with an ellipsis).
int TextFitWidth(HWND control);
// The height a label needs to show its text wrapped at `width`.
int TextFitHeight(HWND label, int width);
// Fits every control of a window (the controls of its tab pages too) to its text: a control
// that grows pushes the controls right of it on its row, and those below it, by as much; tab
// pages and their tab control grow together; the window grows by what its controls need, and
// push buttons in its right half move with its right edge. Nothing moves when every text fits.
void GrowToFitTexts(HWND window);
