// TNoticeWindow: a small window in the corner of the work area that tells the user something
// when the tray icon is not there to show a balloon. It takes no focus and closes itself on a
// click or after a while.
#pragma once
#include "platform/ui_theme.h"
#include "platform/window.h"

#include <string>

class TNoticeWindow : public TWindow {
  public:
    static constexpr char kClassName[] = "TCorvaneNotice";
    static constexpr UINT kShowMs = 20000;

    TNoticeWindow(const std::string& title, const std::string& text);

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT_PTR id) override;
    void OnCommand(int id, int code, HWND control) override;
    HBRUSH OnControlColour(HDC dc, HWND control, UINT kind) override;
    void OnThemeChanged() override;

  private:
    void Place(const std::string& text, int dpi);
    TFontHandle font_;
};
