// TWindow's named handlers: what each receives from its message, and what the defaults do.
#include "platform/window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class TRecordingWindow : public TWindow {
  public:
    explicit TRecordingWindow(bool paintsWholeClient) {
        TWindowParams params;
        params.ClassName = paintsWholeClient ? "CorvaneTestOpaque" : "CorvaneTestPlain";
        params.Style = WS_POPUP;
        params.X = params.Y = 0;
        params.Width = params.Height = 40;
        params.PaintsWholeClient = paintsWholeClient;
        CreateHandle(params);
    }
    std::vector<std::string> Calls;
    POINT MenuAt{};

  protected:
    void OnTimer(UINT_PTR id) override { Calls.push_back("timer " + std::to_string(id)); }
    void OnSize(UINT kind, int width, int height) override {
        Calls.push_back("size " + std::to_string(kind) + " " + std::to_string(width) + "x" +
                        std::to_string(height));
    }
    void OnCommand(int id, int code, HWND) override {
        Calls.push_back("command " + std::to_string(id) + " " + std::to_string(code));
    }
    void OnContextMenu(HWND, POINT screen) override { MenuAt = screen; }
    void OnSettingChange(const char* area) override {
        Calls.push_back(std::string("setting ") + (area ? area : "(none)"));
    }
    void OnDpiChanged(int dpi, const RECT& r) override {
        Calls.push_back("dpi " + std::to_string(dpi) + " at " + std::to_string(r.left) + "," +
                        std::to_string(r.top) + "-" + std::to_string(r.right) + "," +
                        std::to_string(r.bottom));
    }
    // Edit fields get a brush of their own; the rest the default.
    HBRUSH OnControlColour(HDC, HWND control, UINT kind) override {
        Calls.push_back("colour " + std::to_string(kind) + (control ? " of a control" : ""));
        return kind == WM_CTLCOLOREDIT ? static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH))
                                       : nullptr;
    }
    void OnMinimumSize(MINMAXINFO& info) override { info.ptMinTrackSize = {33, 44}; }
};

TEST(WindowHandlers, MessagesArriveUnpackedAtTheirNamedHandlers) {
    TRecordingWindow window(false);
    HWND hwnd = window.Handle();
    window.Calls.clear(); // creation sends its own WM_SIZE
    ::SendMessageA(hwnd, WM_TIMER, 7, 0);
    ::SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(120, 45));
    ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(40001, BN_CLICKED), 0);
    EXPECT_EQ(window.Calls,
              (std::vector<std::string>{"timer 7", "size 0 120x45", "command 40001 0"}));
    // A monitor left of or above the primary one has negative coordinates.
    ::SendMessageA(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(-300, -20));
    EXPECT_EQ(window.MenuAt.x, -300);
    EXPECT_EQ(window.MenuAt.y, -20);

    window.Calls.clear();
    ::SendMessageA(hwnd, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("ImmersiveColorSet"));
    ::SendMessageA(hwnd, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    RECT suggested{10, 20, 300, 400};
    ::SendMessageA(hwnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    HDC dc = ::GetDC(hwnd);
    const LRESULT edit = ::SendMessageA(hwnd, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                        reinterpret_cast<LPARAM>(hwnd));
    const LRESULT label = ::SendMessageA(hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0);
    ::ReleaseDC(hwnd, dc);
    EXPECT_EQ(edit, reinterpret_cast<LRESULT>(::GetStockObject(GRAY_BRUSH)));
    EXPECT_NE(label, 0) << "without a brush of the window's own, the system's default one";
    EXPECT_EQ(window.Calls,
              (std::vector<std::string>{
                  "setting ImmersiveColorSet", "setting (none)", "dpi 144 at 10,20-300,400",
                  "colour " + std::to_string(WM_CTLCOLOREDIT) + " of a control",
                  "colour " + std::to_string(WM_CTLCOLORSTATIC)}));
    MINMAXINFO info{};
    ::SendMessageA(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 33);
    EXPECT_EQ(info.ptMinTrackSize.y, 44);
}

TEST(WindowHandlers, DefaultsEraseAndCloseAsTheSystemWould) {
    TRecordingWindow plain(false), opaque(true);
    HDC dc = ::GetDC(plain.Handle());
    ASSERT_NE(dc, nullptr);
    // Only a window that paints all of itself skips the erase (and says it erased).
    EXPECT_EQ(::SendMessageA(opaque.Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    EXPECT_EQ(::SendMessageA(plain.Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 0)
        << "a class without a background brush erases nothing";
    ::ReleaseDC(plain.Handle(), dc);
    ::SendMessageA(plain.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(plain.Handle(), nullptr) << "an unhandled close destroys the window";
}

} // namespace
