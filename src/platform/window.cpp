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

void TWindow::CreateHandle(const TWindowSpec& spec) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA wc{};
    if (!::GetClassInfoExA(instance, spec.ClassName, &wc)) {
        wc = WNDCLASSEXA{};
        wc.cbSize = sizeof wc;
        wc.style = spec.ClassStyle;
        wc.lpfnWndProc = &TWindow::WindowProc;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = spec.Background;
        wc.hIcon = spec.Icon;
        wc.hIconSm = spec.SmallIcon;
        wc.lpszClassName = spec.ClassName;
        if (!::RegisterClassExA(&wc))
            RaiseLastWin32Error("RegisterClassEx");
    }
    HWND wnd =
        ::CreateWindowExA(spec.ExStyle, spec.ClassName, spec.Caption, spec.Style, spec.X, spec.Y,
                          spec.Width, spec.Height, spec.Parent, nullptr, instance, this);
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
    TWindowSpec spec;
    spec.ClassName = className;
    spec.Style = topLevel ? WS_POPUP : 0;
    spec.X = spec.Y = spec.Width = spec.Height = 0;
    spec.Parent = topLevel ? nullptr : HWND_MESSAGE;
    CreateHandle(spec);
}
