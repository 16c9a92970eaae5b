// `l_Stats`: the statistics text, drawn transparently over the main window's backdrop,
// word-wrapped and cut off at its edges; an ampersand underlines the next character. Its window
// text is the text, and a change is announced to a running screen reader.
#pragma once
#include "platform/back_buffer.h"
#include "platform/window.h"

#include <functional>
#include <string>

class TStatsLabel : public TWindow {
  public:
    // Paints the parent's backdrop for a part of the label, given in the label's coordinates.
    using TBackdropPainter = std::function<void(HDC dc, const RECT& labelRectInParent)>;
    // A mouse button was pressed or double-clicked on the label (message and screen point).
    using TMouseDownHandler = std::function<void(UINT button, POINT screen)>;

    TStatsLabel(HWND parent, TBackdropPainter backdrop, TMouseDownHandler mouseDown);

    void SetText(const std::string& text);
    const std::string& Text() const { return text_; }
    void SetFont(HFONT font);
    void SetColour(COLORREF colour);
    void SetBounds(int left, int top, int width, int height);

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnPaint() override;

  private:
    void Announce();

    TBackdropPainter backdrop_;
    TMouseDownHandler mouseDown_;
    std::string text_;
    HFONT font_ = nullptr;
    COLORREF colour_ = RGB(255, 255, 255);
    TBackBuffer buffer_;
    bool unannounced_ = false;
    DWORD announced_ = 0; // GetTickCount of the last announcement
};
