// TStatsLabel: double-buffered text over the parent's backdrop.
#include "app/stats_label.h"
#include "platform/gdi_text.h"

#include <windowsx.h>

TStatsLabel::TStatsLabel(HWND parent, TBackdropPainter backdrop, TMouseDownHandler mouseDown)
    : backdrop_(std::move(backdrop)), mouseDown_(std::move(mouseDown)) {
    TWindowParams params;
    params.ClassName = "TCorvaneStatsLabel";
    params.Style = WS_CHILD | WS_VISIBLE;
    params.X = params.Y = 0;
    params.Width = params.Height = 1;
    params.Parent = parent;
    params.PaintsWholeClient = true;
    params.ClassStyle = CS_DBLCLKS;
    CreateHandle(params);
}

void TStatsLabel::SetText(const std::string& text) {
    if (text != text_) {
        text_ = text;
        // Kept as the window text too, so that it can be read like any label's caption: the
        // system's accessible object names the label with it.
        ::SetWindowTextA(Handle(), text_.c_str());
        ::InvalidateRect(Handle(), nullptr, FALSE);
        unannounced_ = true;
    }
    Announce();
}

// A screen reader hears of a new text at most once a second, the pace of the figures; without
// one nobody listens.
void TStatsLabel::Announce() {
    const DWORD now = ::GetTickCount();
    BOOL screenReader = FALSE;
    if (!unannounced_ || now - announced_ < 1000 ||
        !::SystemParametersInfoA(SPI_GETSCREENREADER, 0, &screenReader, 0) || !screenReader)
        return;
    ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, Handle(), OBJID_CLIENT, CHILDID_SELF);
    announced_ = now;
    unannounced_ = false;
}

void TStatsLabel::SetFont(HFONT font) {
    font_ = font;
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TStatsLabel::SetColour(COLORREF colour) {
    colour_ = colour;
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TStatsLabel::SetBounds(int left, int top, int width, int height) {
    ::SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

void TStatsLabel::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(Handle(), &ps);
    RECT client;
    ::GetClientRect(Handle(), &client);
    if (client.right > 0 && client.bottom > 0 &&
        buffer_.Fit(Handle(), client.right, client.bottom)) {
        HDC memory = buffer_.Dc();
        RECT inParent = client;
        ::MapWindowPoints(Handle(), ::GetParent(Handle()), reinterpret_cast<POINT*>(&inParent), 2);
        backdrop_(memory, inParent);
        TSelectObject font(memory, font_ ? font_ : ::GetStockObject(DEFAULT_GUI_FONT));
        ::SetBkMode(memory, TRANSPARENT);
        ::SetTextColor(memory, colour_);
        RECT text = client;
        DrawTextUtf8(memory, text_, text, DT_LEFT | DT_TOP | DT_WORDBREAK);
        ::BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    }
    ::EndPaint(Handle(), &ps);
}

LRESULT TStatsLabel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_RBUTTONDOWN: {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::ClientToScreen(Handle(), &pt);
        mouseDown_(msg, pt);
        return 0;
    }
    default:
        return TWindow::HandleMessage(msg, wParam, lParam);
    }
}
