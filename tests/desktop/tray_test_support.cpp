// Shell recorder, recording window and small helpers of the tray icon tests.
#include "tray_test_support.h"
#include "message_pump.h"

#include <stdexcept>

TCoolTrayIcon::TShellNotify TShellRecorder::Function() {
    return [this](DWORD message, NOTIFYICONDATAA* data) {
        Calls.push_back({message, *data});
        return Result;
    };
}

int TShellRecorder::Count(DWORD message, UINT id) const {
    int count = 0;
    for (const auto& call : Calls)
        if (call.Message == message && call.Data.uID == id)
            ++count;
    return count;
}

namespace {
constexpr char kClassName[] = "CorvaneTrayTestWindow";
}

TRecordingWindow::TRecordingWindow(bool visible) {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    if (!::GetClassInfoA(instance, kClassName, &wc)) {
        wc = WNDCLASSA{};
        wc.lpfnWndProc = &TRecordingWindow::Proc;
        wc.hInstance = instance;
        wc.lpszClassName = kClassName;
        if (!::RegisterClassA(&wc))
            throw std::runtime_error("RegisterClass failed");
    }
    window_.reset(::CreateWindowExA(0, kClassName, "tray test",
                                    WS_POPUP | (visible ? WS_VISIBLE : 0), 40, 40, 120, 80, nullptr,
                                    nullptr, instance, this));
    if (!window_)
        throw std::runtime_error("CreateWindowEx failed");
}

TRecordingWindow::~TRecordingWindow() {
    if (window_)
        ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0);
}

LRESULT CALLBACK TRecordingWindow::Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TRecordingWindow*>(::GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (self && (msg == WM_COMMAND || msg == WM_NULL || msg == WM_SIZE || msg == WM_APP))
        self->Entries.push_back({msg, wParam});
    if (self && msg == WM_NCDESTROY)
        self->window_.release(); // destroyed from outside
    return ::DefWindowProcA(wnd, msg, wParam, lParam);
}

bool TRecordingWindow::Sync() {
    size_t before = static_cast<size_t>(Count(WM_APP));
    if (!::PostMessageA(Handle(), WM_APP, 0, 0))
        return false;
    return PumpUntil([&] { return static_cast<size_t>(Count(WM_APP)) > before; });
}

std::vector<UINT> TRecordingWindow::Commands() const {
    std::vector<UINT> ids;
    for (const auto& entry : Entries)
        if (entry.Message == WM_COMMAND)
            ids.push_back(LOWORD(entry.WParam));
    return ids;
}

int TRecordingWindow::Count(UINT message) const {
    int count = 0;
    for (const auto& entry : Entries)
        if (entry.Message == message)
            ++count;
    return count;
}

void ShellCallback(const TCoolTrayIcon& icon, UINT mouseMessage) {
    ::SendMessageA(icon.CallbackWindow(), TCoolTrayIcon::CallbackMessage, icon.IconId(),
                   mouseMessage);
}

HICON MakeTestIcon(int sizePx) {
    int stride = (sizePx + 15) / 16 * 2;
    std::vector<BYTE> andMask(static_cast<size_t>(stride * sizePx), 0x00);
    std::vector<BYTE> xorMask(static_cast<size_t>(stride * sizePx), 0xAA);
    return ::CreateIcon(::GetModuleHandleA(nullptr), sizePx, sizePx, 1, 1, andMask.data(),
                        xorMask.data());
}

int IconSize(HICON icon) {
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info))
        return 0;
    BITMAP mask{};
    ::GetObjectA(info.hbmMask, sizeof mask, &mask);
    ::DeleteObject(info.hbmMask);
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    return mask.bmWidth;
}
