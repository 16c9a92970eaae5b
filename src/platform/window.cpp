// TWindow: class registration, HWND binding and message dispatch.
#include "platform/window.h"
#include "platform/application.h"
#include "platform/file_io.h"

#include <stdexcept>
#include <string>

void RaiseLastWin32Error(const char* what) {
    DWORD code = ::GetLastError();
    throw std::runtime_error(std::string(what) +
                             " failed: " + SystemErrorMessage(static_cast<int>(code)));
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
        wc.hIcon = params.Icon;
        wc.hIconSm = params.SmallIcon;
        wc.lpszClassName = params.ClassName;
        if (!::RegisterClassExA(&wc))
            RaiseLastWin32Error("RegisterClassEx");
    }
    HWND wnd = ::CreateWindowExA(params.ExStyle, params.ClassName, params.Caption, params.Style,
                                 params.X, params.Y, params.Width, params.Height, params.Parent,
                                 nullptr, instance, this);
    if (!wnd)
        RaiseLastWin32Error("CreateWindowEx");
}

LRESULT TWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefaultHandling(msg, wParam, lParam);
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
