// The measuring and the moving behind GrowToFitTexts.
#include "platform/text_fit.h"
#include "platform/gdi_text.h"
#include "platform/dpi.h"
#include "platform/handle.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Margins at 96 DPI: a push button's edges and focus rectangle, a check box's box and the gap
// after it, a group box's caption indent on either side, a tab page's edge.
constexpr int kButtonMargin = 8, kCheckBoxMargin = 18, kGroupMargin = 16, kPageMargin = 8;

struct TChild {
    HWND Window;
    RECT Rect; // in the container's client coordinates
    RECT Old;
};

bool HasClass(HWND window, const char* name) {
    char cls[32] = "";
    ::GetClassNameA(window, cls, sizeof cls);
    return ::lstrcmpiA(cls, name) == 0;
}

bool IsPage(HWND window) {
    return HasClass(window, "#32770");
}

std::string WindowText(HWND window) {
    std::string text(static_cast<size_t>(::GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(
        static_cast<size_t>(::GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The text's extent in the control's font; wrapped at `width` when format has DT_WORDBREAK.
SIZE TextExtent(HWND control, const std::string& text, UINT format, int width = 0) {
    TWindowDc dc(control);
    auto font = reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0));
    TSelectObject select(dc.get(),
                         font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(SYSTEM_FONT));
    RECT rc{0, 0, width, 0};
    DrawTextUtf8(dc.get(), text, rc, format | DT_CALCRECT);
    return {rc.right, rc.bottom};
}

int Scaled(HWND control, int pixels96) {
    return ::MulDiv(pixels96, WindowDpi(control), 96);
}

// Labels that draw their text, not pictures, lines or frames, nor those that cut it short.
bool IsTextLabel(HWND control, DWORD style) {
    const DWORD type = style & SS_TYPEMASK;
    return HasClass(control, WC_STATICA) && !(style & SS_ELLIPSISMASK) &&
           (type <= SS_RIGHT || type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE);
}

UINT LabelFormat(DWORD style) {
    return style & SS_NOPREFIX ? DT_NOPREFIX : 0;
}

// A label that wraps its text over lines it has the height for.
bool Wraps(HWND control, DWORD style, const RECT& rc, const std::string& text) {
    const DWORD type = style & SS_TYPEMASK;
    const int line = TextExtent(control, "X", DT_SINGLELINE).cy;
    return type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE && !text.empty() &&
           rc.bottom - rc.top >= 2 * line;
}

int ButtonFitWidth(HWND control, DWORD style, const std::string& text) {
    const DWORD type = style & BS_TYPEMASK;
    if (style & BS_MULTILINE)
        return 0;
    // Push buttons are types 0 and 1; check boxes and radio buttons 2 to 6 and 9.
    int margin;
    if (style & BS_PUSHLIKE || type <= BS_DEFPUSHBUTTON)
        margin = kButtonMargin;
    else if (type <= BS_AUTO3STATE || type == BS_AUTORADIOBUTTON)
        margin = kCheckBoxMargin;
    else if (type == BS_GROUPBOX)
        margin = kGroupMargin;
    else
        return 0;
    return TextExtent(control, text, DT_SINGLELINE).cx + Scaled(control, margin);
}

// Tabs that do not fit show scroll arrows: the tab control lacks the tabs' overhang and room
// for the arrows.
int TabsShortfall(HWND tabs, int width) {
    HWND arrows = ::FindWindowExA(tabs, nullptr, UPDOWN_CLASSA, nullptr);
    if (!arrows || !(::GetWindowLongA(arrows, GWL_STYLE) & WS_VISIBLE))
        return 0;
    const LRESULT count = ::SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0);
    RECT last{}, room{};
    ::SendMessageA(tabs, TCM_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&last));
    ::GetWindowRect(arrows, &room);
    return std::max(0L, last.right - width) + room.right - room.left;
}

// What a control lacks for its text: width, or for a wrapping label height.
SIZE Shortfall(HWND control, const RECT& rc) {
    const DWORD style = static_cast<DWORD>(::GetWindowLongA(control, GWL_STYLE));
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    if (IsTextLabel(control, style)) {
        const std::string text = WindowText(control);
        if (Wraps(control, style, rc, text))
            return {
                0, std::max(0L,
                            TextExtent(control, text, LabelFormat(style) | DT_WORDBREAK, width).cy -
                                height)};
    }
    if (HasClass(control, WC_TABCONTROLA))
        return {TabsShortfall(control, width), 0};
    return {std::max(0, TextFitWidth(control) - width), 0};
}

bool IsFrame(HWND control) {
    return HasClass(control, WC_BUTTONA) &&
           (::GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// Moves the controls on a control's row from `from` on right by dx, those below it down by dy.
void Push(std::vector<TChild>& children, size_t index, LONG from, SIZE by) {
    const RECT row = children[index].Rect;
    for (size_t i = 0; i < children.size(); ++i) {
        RECT& r = children[i].Rect;
        if (i == index || IsPage(children[i].Window))
            continue;
        if (r.left >= from && r.top < row.bottom && r.bottom > row.top)
            ::OffsetRect(&r, by.cx, 0);
        if (r.top >= row.bottom)
            ::OffsetRect(&r, 0, by.cy);
    }
}

void Grow(std::vector<TChild>& children, size_t index, SIZE by) {
    Push(children, index, children[index].Rect.right, by);
    children[index].Rect.right += by.cx;
    children[index].Rect.bottom += by.cy;
}

// A control that starts where a text still runs (a label sized to its text in a wider font
// than the row was laid out for) moves out of its way, with the rest of the row.
void Unoverlap(std::vector<TChild>& children, size_t index, int fitWidth) {
    RECT text = children[index].Rect;
    text.right = std::min(text.right, text.left + fitWidth);
    LONG from = text.right;
    for (const TChild& c : children) {
        const RECT& r = c.Rect;
        if (r.left > text.left && r.left < from && r.top < text.bottom && r.bottom > text.top &&
            !IsPage(c.Window) && !IsFrame(c.Window))
            from = r.left;
    }
    if (from < text.right)
        Push(children, index, from, {text.right - from, 0});
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// A frame keeps the controls it held, with the margins it had around them.
void Enclose(std::vector<TChild>& children) {
    for (TChild& frame : children) {
        if (!IsFrame(frame.Window))
            continue;
        LONG oldRight = 0, oldBottom = 0, right = 0, bottom = 0;
        for (const TChild& c : children) {
            if (&c != &frame && Inside(c.Old, frame.Old)) {
                oldRight = std::max(oldRight, c.Old.right), right = std::max(right, c.Rect.right);
                oldBottom = std::max(oldBottom, c.Old.bottom);
                bottom = std::max(bottom, c.Rect.bottom);
            }
        }
        frame.Rect.right = std::max(frame.Rect.right, right + frame.Old.right - oldRight);
        frame.Rect.bottom = std::max(frame.Rect.bottom, bottom + frame.Old.bottom - oldBottom);
    }
}

std::vector<TChild> Children(HWND container) {
    std::vector<TChild> children;
    for (HWND child = ::GetWindow(container, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        RECT rc;
        ::GetWindowRect(child, &rc);
        ::MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&rc), 2);
        children.push_back({child, rc, rc});
    }
    return children;
}

SIZE Extent(const std::vector<TChild>& children, bool now) {
    SIZE extent{};
    for (const TChild& child : children) {
        const RECT& r = now ? child.Rect : child.Old;
        extent.cx = std::max(extent.cx, r.right);
        extent.cy = std::max(extent.cy, r.bottom);
    }
    return extent;
}

void Place(const std::vector<TChild>& children) {
    for (const TChild& c : children) {
        if (!::EqualRect(&c.Rect, &c.Old))
            ::SetWindowPos(c.Window, nullptr, c.Rect.left, c.Rect.top, c.Rect.right - c.Rect.left,
                           c.Rect.bottom - c.Rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

std::vector<TChild> FitChildren(HWND container);

// Tab pages lie over their tab control: all grow by what the most demanding one needs, and the
// tab control with them. A page needs its controls and the margin it was laid out with, also
// where its own code placed a row of measured texts past its edge.
SIZE PagesShortfall(std::vector<TChild>& children) {
    SIZE most{};
    for (TChild& page : children) {
        if (!IsPage(page.Window))
            continue;
        const SIZE now = Extent(FitChildren(page.Window), true);
        RECT client;
        ::GetClientRect(page.Window, &client);
        const int margin = Scaled(page.Window, kPageMargin);
        most.cx = std::max(most.cx, now.cx + margin - client.right);
        most.cy = std::max(most.cy, now.cy + margin - client.bottom);
    }
    for (TChild& page : children) {
        if (IsPage(page.Window)) {
            page.Rect.right += most.cx;
            page.Rect.bottom += most.cy;
        }
    }
    return most;
}

// Fits a container's controls and places them; returns them with their old and new places.
std::vector<TChild> FitChildren(HWND container) {
    std::vector<TChild> children = Children(container);
    const SIZE pages = PagesShortfall(children);
    for (size_t i = 0; i < children.size(); ++i) {
        HWND window = children[i].Window;
        if (IsPage(window) || !(::GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE))
            continue;
        SIZE need = Shortfall(window, children[i].Rect);
        if (HasClass(window, WC_TABCONTROLA))
            need = {std::max(need.cx, pages.cx), pages.cy};
        if (need.cx > 0 || need.cy > 0)
            Grow(children, i, need);
        if (const int fit = TextFitWidth(window); fit > 0 && !IsFrame(window))
            Unoverlap(children, i, fit);
    }
    Enclose(children);
    Place(children);
    return children;
}

bool IsPushButton(HWND control) {
    const DWORD type = static_cast<DWORD>(::GetWindowLongA(control, GWL_STYLE)) & BS_TYPEMASK;
    return HasClass(control, WC_BUTTONA) && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}

} // namespace

int TextFitWidth(HWND control) {
    const DWORD style = static_cast<DWORD>(::GetWindowLongA(control, GWL_STYLE));
    if (IsTextLabel(control, style))
        return TextExtent(control, WindowText(control), LabelFormat(style) | DT_SINGLELINE).cx;
    if (HasClass(control, WC_BUTTONA))
        return ButtonFitWidth(control, style, WindowText(control));
    return 0;
}

int TextFitHeight(HWND label, int width) {
    const DWORD style = static_cast<DWORD>(::GetWindowLongA(label, GWL_STYLE));
    return TextExtent(label, WindowText(label), LabelFormat(style) | DT_WORDBREAK, width).cy;
}

void GrowToFitTexts(HWND window) {
    const std::vector<TChild> children = FitChildren(window);
    const SIZE now = Extent(children, true), before = Extent(children, false);
    const SIZE grow{std::max(0L, now.cx - before.cx), std::max(0L, now.cy - before.cy)};
    if (grow.cx == 0 && grow.cy == 0)
        return;
    RECT client;
    ::GetClientRect(window, &client);
    for (const TChild& c : children) {
        const bool movedAcross = c.Rect.left != c.Old.left || c.Rect.right != c.Old.right;
        if (IsPushButton(c.Window) && !movedAcross && c.Rect.left > client.right / 2)
            ::SetWindowPos(c.Window, nullptr, c.Rect.left + grow.cx, c.Rect.top, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT rc;
    ::GetWindowRect(window, &rc);
    ::SetWindowPos(window, nullptr, rc.left - grow.cx / 2, rc.top - grow.cy / 2,
                   rc.right - rc.left + grow.cx, rc.bottom - rc.top + grow.cy,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}
