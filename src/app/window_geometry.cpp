// The anchored layout of the main window.
#include "app/window_geometry.h"

namespace {

constexpr int kDesignWidth = 170;
constexpr int kDesignHeight = 194;

int Scale(int value, int dpi) {
    long long scaled = static_cast<long long>(value) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 48) / 96 : -((-scaled + 48) / 96));
}

// The window edges a control keeps its distance to, or'ed together.
enum TAnchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

struct TDesign {
    int Left, Top, Width, Height;
    unsigned Anchors;
};

// A control designed at (left, top, width, height) in the design client area: an edge
// anchored to the window keeps its distance to it; an unanchored side keeps the control's size.
TRectI Place(const TDesign& d, int clientWidth, int clientHeight, int dpi) {
    int left = Scale(d.Left, dpi), top = Scale(d.Top, dpi);
    int width = Scale(d.Width, dpi), height = Scale(d.Height, dpi);
    int rightGap = Scale(kDesignWidth - d.Left - d.Width, dpi);
    int bottomGap = Scale(kDesignHeight - d.Top - d.Height, dpi);
    TRectI r;
    if (d.Anchors & akRight) {
        r.Right = clientWidth - rightGap;
        r.Left = (d.Anchors & akLeft) ? left : r.Right - width;
    } else {
        r.Left = left;
        r.Right = left + width;
    }
    if (d.Anchors & akBottom) {
        r.Bottom = clientHeight - bottomGap;
        r.Top = (d.Anchors & akTop) ? top : r.Bottom - height;
    } else {
        r.Top = top;
        r.Bottom = top + height;
    }
    if (r.Right < r.Left)
        r.Right = r.Left;
    if (r.Bottom < r.Top)
        r.Bottom = r.Top;
    return r;
}

} // namespace

TMainLayout LayoutMainWindow(int clientWidth, int clientHeight, int dpi) {
    TMainLayout layout;
    const unsigned all = akLeft | akTop | akRight | akBottom;
    layout.Image = Place({55, 90, 137, 129, akRight | akBottom}, clientWidth, clientHeight, dpi);
    layout.Stats = Place({8, 8, 152, 159, all}, clientWidth, clientHeight, dpi);
    layout.QuotaBar =
        Place({6, 175, 157, 14, akLeft | akRight | akBottom}, clientWidth, clientHeight, dpi);
    return layout;
}
