// The faces and sizes of the program's own fonts.
#include "theme/ui_font.h"

#include <cstdint>

namespace {

// value * numerator / denominator rounded half up, as Windows' MulDiv rounds positive values.
int ScaleRounded(int value, int numerator, int denominator) {
    const int64_t doubled = int64_t{2} * value * numerator;
    return static_cast<int>((doubled + denominator) / (int64_t{2} * denominator));
}

} // namespace

TFontSpec UiFontSpec(TUiFont font, int dpi, unsigned styles) {
    switch (font) {
    case TUiFont::Notice:
        return {"Segoe UI", -ScaleRounded(9, dpi, 72), styles};
    case TUiFont::Heading:
        return {"Tahoma", -ScaleRounded(15, dpi, 96), styles | fsBold};
    case TUiFont::Dialog:
        break;
    }
    return {"Tahoma", -ScaleRounded(8, dpi, 72), styles};
}
