// TWindow: class registration, HWND binding and message dispatch.
#include "platform/window.h"
#include "platform/application.h"
#include "platform/file_io.h"
#include "resource.h"

#include <windowsx.h>

#include <stdexcept>
#include <string>

void RaiseLastWin32Error(const char* what) {
    DWORD code = ::GetLastError();
    throw std::runtime_error(std::string(what) +
                             " failed: " + SystemErrorMessage(static_cast<int>(code)));
}

void BringToFront(HWND window) {
    if (::IsIconic(window))
        ::ShowWindow(window, SW_RESTORE);
    ::SetForegroundWindow(window);
    ::BringWindowToTop(window);
}

HICON LoadProgramIcon(int size) {
    return static_cast<HICON>(::LoadImageA(
        ::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_CORVANE), IMAGE_ICON, size, size, 0));
}

TWindow::~TWindow() {
    DestroyHandle();
}

void TWindow::DestroyHandle() {
    if (hwnd_) {
        HWND wnd = hwnd_;
        ::DestroyWindow(wnd); // WM_NCDESTROY clears hwnd_
        hwnd_ = nullptr;
    }
}

void TWindow::CreateHandle(const TWindowParams& params) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    if (!::GetClassInfoExA(instance, params.ClassName, &wc)) {
        wc = WNDCLASSEXA{};
        wc.cbSize = sizeof wc;
        wc.style = params.ClassStyle;
        wc.lpfnWndProc = &TWindow::WindowProc;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = params.Background;
        if (params.ProgramIcon) { // loaded once per class, which keeps them
            wc.hIcon = LoadProgramIcon(::GetSystemMetrics(SM_CXICON));
            wc.hIconSm = LoadProgramIcon(::GetSystemMetrics(SM_CXSMICON));
        }
        wc.lpszClassName = params.ClassName;
        if (!::RegisterClassExA(&wc))
            RaiseLastWin32Error("RegisterClassEx");
    }
    paintsWholeClient_ = params.PaintsWholeClient;
    HWND wnd = ::CreateWindowExA(params.ExStyle, params.ClassName, params.Caption, params.Style,
                                 params.X, params.Y, params.Width, params.Height, params.Parent,
                                 nullptr, instance, this);
    if (!wnd)
        RaiseLastWin32Error("CreateWindowEx");
}

LRESULT TWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return paintsWholeClient_ ? 1 : DefaultHandling(msg, wParam, lParam);
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wParam));
        return 0;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_CONTEXTMENU:
        // Mouse coordinates are signed: a monitor left of the primary one has negative ones.
        OnContextMenu(reinterpret_cast<HWND>(wParam), {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_SETTINGCHANGE:
        OnSettingChange(reinterpret_cast<const char*>(lParam));
        return DefaultHandling(msg, wParam, lParam);
    case WM_DPICHANGED:
        OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        if (HBRUSH brush =
                OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), msg))
            return reinterpret_cast<LRESULT>(brush);
        return DefaultHandling(msg, wParam, lParam);
    case WM_GETMINMAXINFO:
        OnMinimumSize(*reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_THEMECHANGED:
        OnThemeChanged();
        return DefaultHandling(msg, wParam, lParam);
    default:
        return DefaultHandling(msg, wParam, lParam);
    }
}

void TWindow::OnPaint() {
    DefaultHandling(WM_PAINT, 0, 0);
}

void TWindow::OnTimer(UINT_PTR id) {
    DefaultHandling(WM_TIMER, id, 0);
}

void TWindow::OnSize(UINT kind, int width, int height) {
    DefaultHandling(WM_SIZE, kind, MAKELPARAM(width, height));
}

void TWindow::OnCommand(int id, int code, HWND control) {
    DefaultHandling(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

void TWindow::OnContextMenu(HWND window, POINT screen) {
    DefaultHandling(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window),
                    MAKELPARAM(screen.x, screen.y));
}

void TWindow::OnClose() {
    DefaultHandling(WM_CLOSE, 0, 0);
}

void TWindow::OnSettingChange(const char*) {}

void TWindow::OnDpiChanged(int dpi, const RECT& suggested) {
    DefaultHandling(WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

HBRUSH TWindow::OnControlColour(HDC, HWND, UINT) {
    return nullptr;
}

void TWindow::OnMinimumSize(MINMAXINFO& info) {
    DefaultHandling(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
}

LRESULT TWindow::DefaultHandling(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK TWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self)
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    try {
        return self->HandleMessage(msg, wParam, lParam);
    } catch (const std::exception& e) {
        TApplication::Instance().ShowException(e);
        return 0;
    }
}

void TMessageWindow::CreateMessageWindow(const char* className, bool topLevel) {
    TWindowParams params;
    params.ClassName = className;
    params.Style = topLevel ? WS_POPUP : 0;
    params.X = params.Y = params.Width = params.Height = 0;
    params.Parent = topLevel ? nullptr : HWND_MESSAGE;
    CreateHandle(params);
}
