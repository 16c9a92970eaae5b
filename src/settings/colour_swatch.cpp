// The colour swatch window class; the colour lives in the window's extra bytes.
#include "settings/colour_swatch.h"
#include "platform/ui_theme.h"
#include "platform/window.h"

namespace {

const char kClassName[] = "CorvaneColourSwatch";

void Paint(HWND wnd) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(wnd, &ps);
    RECT rc;
    ::GetClientRect(wnd, &rc);
    FillSolid(dc, rc, static_cast<TColour>(::GetWindowLongPtrA(wnd, 0)));
    FrameSolid(dc, rc, UiPalette().Frame);
    if (::GetFocus() == wnd) {
        ::InflateRect(&rc, -3, -3);
        ::DrawFocusRect(dc, &rc);
    }
    ::EndPaint(wnd, &ps);
}

void NotifyParent(HWND wnd) {
    int id = ::GetDlgCtrlID(wnd);
    ::SendMessageA(::GetParent(wnd), WM_COMMAND, MAKEWPARAM(id, kSwatchMouseDown),
                   reinterpret_cast<LPARAM>(wnd));
}

LRESULT CALLBACK SwatchProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        Paint(wnd);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
        NotifyParent(wnd);
        return msg == WM_XBUTTONDOWN ? TRUE : 0;
    case WM_KEYDOWN: // the Space bar, as on a button
        if (wParam != VK_SPACE)
            break;
        NotifyParent(wnd);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        ::InvalidateRect(wnd, nullptr, FALSE);
        return 0;
    case kSwatchSetColour:
        ::SetWindowLongPtrA(wnd, 0, static_cast<LONG_PTR>(wParam & 0xFFFFFF));
        ::InvalidateRect(wnd, nullptr, FALSE);
        return 0;
    case kSwatchGetColour:
        return ::GetWindowLongPtrA(wnd, 0);
    default:
        break;
    }
    return ::DefWindowProcA(wnd, msg, wParam, lParam);
}

} // namespace

const char* ColourSwatchClass() {
    static const bool registered = [] {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = SwatchProc;
        wc.cbWndExtra = sizeof(LONG_PTR);
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.lpszClassName = kClassName;
        if (!::RegisterClassExA(&wc))
            RaiseLastWin32Error("RegisterClassEx");
        return true;
    }();
    (void)registered;
    return kClassName;
}
