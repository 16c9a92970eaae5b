// Tf_History: the History window, reached from the popup and tray menus. Its views (the last
// 48 hours, a month, two years, all years); Back, Today and Forward; the figures of the bar
// under the pointer or chosen with the arrow keys; export through the Save As dialog. A window
// of its own beside the meter (not modal), it is resizable, remembers its place and size,
// follows the monitor's DPI and refreshes each second.
#pragma once
#include "history/history_page.h"
#include "platform/application.h"
#include "platform/dialog.h"

#include <memory>

class TMemIniFile;
class THistoryChartView;

enum THistoryControl : int {
    hcBack = 100,
    hcToday,
    hcForward,
    hcChart,
    hcFigures,
    hcSummary,
    hcExport,
    hcFirstView = 200, // a button per view, in the order of kHistoryViews
};

class Tf_History : public TDialog {
  public:
    // Created at owner's DPI, hidden until Show.
    Tf_History(HWND owner, TMemIniFile& config);
    ~Tf_History() override;

    // Closes the window, its place, size and view kept in the configuration; a no-op once it
    // has closed.
    void Cancel() override;

  protected:
    void OnCommand(int id, int code, HWND control) override;
    void OnClose() override { Cancel(); }
    void OnSize(UINT, int, int) override { Relayout(); }
    void OnTimer(UINT_PTR id) override;
    void OnDpiChanged(int dpi, const RECT& suggested) override;
    void OnMinimumSize(MINMAXINFO& info) override;

  private:
    void CreateControls();
    void SetControlFonts(BOOL redraw);
    void PlaceFromStore();
    void SavePlacement();
    void Relayout();
    void GrowToMinimumSize();
    int Px(int pixels96) const;
    int ButtonWidth(int id, int pixels96) const;
    void ShowView(THistoryView view);
    void Navigate(int pages);
    void b_TodayClick();
    void b_ExportClick();
    void timerRefreshTimer();
    void Refresh();
    THistoryData CollectData() const;
    void ShowFigures();
    void SetText(int id, const std::string& text);

    TMemIniFile& config_;
    int dpi_ = 96;
    TFontHandle font_;
    std::unique_ptr<THistoryChartView> chart_;
    THistoryCursor cursor_;
    bool followNow_ = true; // the page moves on with the clock until the user goes back
    THistoryPage page_;
    char separator_ = '.';
    int figuresHeight_ = 0; // the figures' label: two lines, or more for longer words
    TErrorBoxOnce refreshErrors_;
};

// Writes the daily or hourly records as CSV or JSON to a file the user picks.
void ExportHistory(HWND owner, THistoryView view);
