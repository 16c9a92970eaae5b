// The fonts of Corvane's own windows at a DPI: the dialogs' and the History window's, the
// notice's and the about box's heading. The floating meter's font is the user's.
#pragma once

// Styles of a font, or'ed together.
enum TFontStyle : unsigned { fsRegular = 0, fsBold = 1, fsItalic = 2 };

enum class TUiFont {
    Dialog,  // Tahoma 8 pt
    Notice,  // Segoe UI 9 pt, as the system's balloons
    Heading, // Tahoma, 15 pixels at 96 DPI, bold
};

struct TFontSpec {
    const char* Face = "";
    int Height = 0; // as LOGFONT's lfHeight: negative, the characters' height in pixels
    unsigned Styles = fsRegular;
};

TFontSpec UiFontSpec(TUiFont font, int dpi, unsigned styles = fsRegular);
