// The History window's chart: draws a page's bars, axis, labels and legend into a back buffer
// kept between paints, and reports the bar under the pointer or chosen with the arrow keys.
// Its font and buffer are made when the DPI or the size changes, never per tick; colours come
// through the DC's brush and pen. For screen readers the bars are the items of a list, the
// chosen one the focused item.
#pragma once
#include "history/history_chart.h"
#include "platform/accessible.h"
#include "platform/back_buffer.h"
#include "platform/ui_theme.h"
#include "platform/window.h"

#include <functional>

class THistoryChartView : public TWindow {
  public:
    // The bar to show figures of changed (-1: none).
    using TBarChanged = std::function<void()>;

    THistoryChartView(HWND parent, int id, int dpi, TBarChanged barChanged);
    ~THistoryChartView() override;

    // A new page, or the same page with fresh figures: then the chosen bar stays.
    void SetPage(const THistoryPage& page, char separator);
    void SetDpi(int dpi);
    // The page as drawn (years grouped to fit the width) and, of its bars, the one under the
    // pointer, else the one chosen with the keys, else -1.
    const THistoryPage& ShownPage() const { return shown_; }
    int ShownBar() const { return hover_ >= 0 ? hover_ : selected_; }

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnPaint() override;
    void OnSize(UINT, int, int) override { Layout(); }

  private:
    // What a screen reader is told: the page's title, the shown bars with their figures.
    class TBars : public TAccessibleItems {
      public:
        explicit TBars(const THistoryChartView& view) : view_(view) {}
        std::string AccessibleName() const override { return view_.page_.Title; }
        int ItemCount() const override { return static_cast<int>(view_.shown_.Bars.size()); }
        std::string ItemName(int item) const override;
        TRectI ItemRect(int item) const override;
        int FocusedItem() const override;

      private:
        const THistoryChartView& view_;
    };

    void NotifyFocusedBar() const;

    void Layout();
    void Draw(HDC dc, int width, int height);
    void DrawAxes(HDC dc);
    void DrawBars(HDC dc);
    void MouseMoved(int x, int y);
    void MouseLeft();
    void KeyPressed(WPARAM key);
    void Select(int bar);
    void Hover(int bar);

    TBarChanged barChanged_;
    THistoryPage page_;
    THistoryPage shown_;
    char separator_ = '.';
    TChartLayout layout_;
    int dpi_ = 96;
    int hover_ = -1;
    int selected_ = -1;
    bool tracking_ = false;
    TFontHandle font_;
    TPalette palette_;   // as last drawn
    TBackBuffer buffer_; // keeps the font selected too
    TBars bars_{*this};
    TAccessibleHandle accessible_;
};
