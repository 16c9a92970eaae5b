// The palette and fonts of Corvane's own windows as GDI objects, and the system's colours that
// the palette is chosen from.
#pragma once
#include "platform/handle.h"
#include "theme/palette.h"
#include "theme/ui_font.h"

#include <string>

// The system's colours as GetSysColor gives them now.
TSystemColours SystemColours();
// The palette the windows draw with: light mode's.
TPalette UiPalette();

TFontHandle MakeFont(const TFontSpec& spec);
// A face at a size in points, with TFontStyle flags, for the given DPI: the meter's own font.
TFontHandle MakeFont(const std::string& face, int points, unsigned styles, int dpi);
TFontHandle MakeUiFont(TUiFont font, int dpi, unsigned styles = fsRegular);

TBrushHandle MakeBrush(TColour colour);
TPenHandle MakePen(TColour colour);
// A window's ground: its whole client area filled with brush (for WM_ERASEBKGND).
void FillClient(HWND window, HDC dc, HBRUSH brush);
