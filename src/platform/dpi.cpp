// DPI queries through the per-window functions of user32 where this Windows build has them.
#include "platform/dpi.h"
#include "platform/system_library.h"
#include "platform/window.h"

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

// user32 is loaded with the executable; this only keeps it and its function table at hand.
const TSystemLibrary& User32() {
    static const TSystemLibrary user32("user32.dll");
    return user32;
}

int SystemDpi() {
    TWindowDc screen(nullptr);
    const int dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : 96;
}

} // namespace

int WindowDpi(HWND window) {
    static const auto getDpi = User32().FindProc<GetDpiForWindowFn>("GetDpiForWindow");
    const UINT dpi = (getDpi && window) ? getDpi(window) : 0;
    return dpi ? static_cast<int>(dpi) : SystemDpi();
}

int SystemMetricForDpi(int index, int dpi) {
    static const auto metric =
        User32().FindProc<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (metric)
        return metric(index, static_cast<UINT>(dpi));
    return ::MulDiv(::GetSystemMetrics(index), dpi, SystemDpi());
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) {
    static const auto adjust =
        User32().FindProc<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    if (adjust && adjust(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi)))
        return;
    if (!::AdjustWindowRectEx(&rect, style, FALSE, exStyle))
        RaiseLastWin32Error("AdjustWindowRectEx");
}
