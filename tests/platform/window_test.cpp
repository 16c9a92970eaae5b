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
