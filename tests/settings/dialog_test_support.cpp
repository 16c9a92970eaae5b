// Helpers for the dialog tests.
#include "dialog_test_support.h"
#include "platform/application.h"
#include "platform/handle.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <vector>

namespace dialogtest {

void EnsureApplication() {
    TApplication& app = TApplication::Instance();
    if (!app.IsUiThread())
        app.Initialize();
    if (app.Title().empty())
        app.SetTitle("Corvane");
}

bool FileExists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string WindowText(HWND window) {
    std::vector<char> text(static_cast<size_t>(::GetWindowTextLengthA(window)) + 1, '\0');
    int length = ::GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
    return std::string(text.data(), static_cast<size_t>(length > 0 ? length : 0));
}

TDialogAnswerer::TDialogAnswerer(std::function<bool(const std::string&)> filter, int answer,
                                 TAction act)
    : filter_(std::move(filter)), answer_(answer), act_(std::move(act)) {
    DWORD uiThread = ::GetCurrentThreadId();
    thread_ = std::thread([this, uiThread] { Run(uiThread); });
}

TDialogAnswerer::~TDialogAnswerer() {
    if (thread_.joinable())
        thread_.join();
}

bool TDialogAnswerer::Join() {
    if (thread_.joinable())
        thread_.join();
    return found_.load();
}

namespace {
struct TSearch {
    const std::function<bool(const std::string&)>* Filter;
    HWND Found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TSearch*>(param);
    char cls[32] = {};
    ::GetClassNameA(window, cls, sizeof cls);
    if (std::string(cls) != "#32770" || !::IsWindowVisible(window))
        return TRUE;
    if (!(*search->Filter)(WindowText(window)))
        return TRUE;
    search->Found = window;
    return FALSE;
}
} // namespace

// Polls in bounded rounds; a box that never appears ends the wait without an answer.
void TDialogAnswerer::Run(DWORD uiThread) {
    for (int round = 0; round < 1000; ++round) {
        TSearch search{&filter_};
        ::EnumThreadWindows(uiThread, MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.Found) {
            caption_ = WindowText(search.Found);
            text_ = WindowText(::GetDlgItem(search.Found, 0xFFFF));
            if (act_)
                act_(search.Found);
            found_.store(true);
            ::PostMessageA(search.Found, WM_COMMAND, MAKEWPARAM(answer_, BN_CLICKED), 0);
            return;
        }
        ::Sleep(20);
    }
}

void PumpPending() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

std::string SaveScreenshot(HWND window, const std::string& name) {
    const char* folder = std::getenv("CORVANE_SHOTS");
    if (!folder || !*folder)
        return "";
    RECT rc;
    ::GetWindowRect(window, &rc);
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    // The window's own DC reads what the window painted, whether or not the X server has it yet.
    TWindowDc screen(nullptr);
    struct TWholeWindowDc {
        HWND Window;
        HDC Dc;
        ~TWholeWindowDc() { ::ReleaseDC(Window, Dc); }
    } source{window, ::GetWindowDC(window)};
    TMemDcHandle memory(::CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up, as a BMP file stores it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    TBitmapHandle bitmap(
        ::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap)
        return "";
    {
        TSelectObject select(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, width, height, source.Dc, 0, 0, SRCCOPY);
        ::GdiFlush();
    }
    const std::string path = std::string(folder) + "\\" + name + ".bmp";
    BITMAPFILEHEADER file{};
    const DWORD imageBytes = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + imageBytes;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), imageBytes);
    return out.good() ? path : "";
}

} // namespace dialogtest
