// `Tf_Main`: the small borderless panel that shows the statistics, with the two timers that
// drive the display and the autosave, its popup menu and tray icon, dragging and snapping.
#pragma once
#include "app/main_menu.h"
#include "display/rate_alert.h"
#include "display/render.h"
#include "platform/application.h"
#include "platform/window.h"
#include "quota/quota_alerts.h"
#include "quota/quota_settings.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class TAdapterMonitor;
class THourLogFlusher;
class TCoolTrayIcon;
class TNetworkChangeWatch;
class TRateBars;
class TMemIniFile;
class TStatsLabel;
class TTaskbarDock;
struct TTextSize;
class Tf_History;

class Tf_Main : public TWindow {
  public:
    // Answered with the process's GDI object count: lets a test watch for GDI leaks.
    static constexpr UINT kMsgGdiObjectCount = WM_APP + 100;
    // Posted when routes or interfaces changed.
    static constexpr UINT kMsgNetworkChanged = WM_APP + 101;
    // Answered with the number of quota alerts shown since start: lets a test see each once.
    static constexpr UINT kMsgQuotaAlertCount = WM_APP + 102;
    // Posted by the hourly store's flusher after each flush.
    static constexpr UINT kMsgHourLogFlushed = WM_APP + 103;
    // Answered with the number of the hourly store's flushes whose outcome was handled: lets a
    // test wait for them.
    static constexpr UINT kMsgHourLogFlushCount = WM_APP + 104;
    // Answered with the number of speed alerts shown since start.
    static constexpr UINT kMsgRateAlertCount = WM_APP + 105;
    // Answered with TUiTheme's report (the mode, the entry points found and called): lets a
    // test see which parts a platform could make dark.
    static constexpr UINT kMsgThemeReport = WM_APP + 110;
    // Posted by the taskbar's watch while docked, with the WinEvent as wParam.
    static constexpr UINT kMsgTaskbarChanged = WM_APP + 111;

    // folderKey: the executable folder's key, which a second copy started there asks for.
    Tf_Main(TMemIniFile& config, uint64_t folderKey);
    ~Tf_Main() override;

    // Places the window, applies the settings and writes the figures, then shows it; removes
    // what an update left behind.
    void FormCreate();
    // Restarts the adapter monitor and applies the display settings.
    void Initialize();
    void WriteStatistics();

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnPaint() override;                                 // main_form_display.cpp
    void OnTimer(UINT_PTR id) override;                      // main_form.cpp
    void OnSize(UINT kind, int width, int height) override;  // main_form.cpp
    void OnClose() override;                                 // main_form.cpp
    void OnCommand(int id, int code, HWND control) override; // main_form_mouse.cpp
    void OnContextMenu(HWND window, POINT screen) override;  // main_form_mouse.cpp
    void OnDpiChanged(int dpi, const RECT& suggested) override; // main_form_display.cpp
    void OnMinimumSize(MINMAXINFO& info) override;              // main_form_display.cpp
    void OnSettingChange(const char* area) override;            // main_form.cpp

  private:
    // The display settings as last applied; GDI objects are remade only when these change.
    struct TLook {
        int Opacity = -1;
        COLORREF Background = 0, Border = 0, FontColour = 0;
        std::string FontName;
        int FontSize = 0;
        int FontPixels = 0;      // docked: the font's cell height, chosen from the taskbar
        unsigned FontStyles = 0; // TFontStyle flags
        int Width = 0, Height = 0;
        int Dpi = 0;
    };

    // main_form.cpp: life cycle
    void CreateNativeWindow();
    void PlaceFromStore();
    void ReplaceMonitor();
    void PowerBroadcast(WPARAM event);
    void timerUpdateTimer();
    void timerAutoSaveTimer();
    void TimeChanged();
    void FormClose();
    void HourLogFlushed();
    void FlushHourLogQuietly();
    void SaveOnEndSession();
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled);

    // main_form_display.cpp: look and the rendered text
    void CreateControls();
    void ApplyDisplaySettings();
    TLook WantedLook() const;
    void ApplyOpacity(int opacity);
    void ApplyColoursAndFont(const TLook& wanted);
    void ApplySize(int width, int height);
    void Relayout();
    void PaintBackdrop(HDC dc, const RECT& area);
    void SetQuotaHint(const std::string& hint);
    void ApplyLanguage();
    void ApplyTrayRates(bool shown);
    void DrawTrayRates();

    // main_form_quota.cpp: the quota bar and the quota's alerts
    void ReadQuotaState();
    void ReadRateAlerts();
    void CheckRateAlerts();
    void UpdateQuotaBar(const TQuotaFigures& figures, int decimals, char separator);
    void CheckQuotaAlerts(const TQuotaFigures& figures, int decimals, char separator);

    // main_form_dock.cpp: the meter docked on the taskbar. Margins round its text: across
    // in pixels at 96 DPI, down in pixels, since a thin taskbar has none to spare.
    static constexpr int kDockMarginX = 4, kDockMarginY = 1;
    static constexpr UINT_PTR kTimerDockSettle = 3;
    void SetDocked(bool docked);
    void UseDockColours(TLook& look) const;
    void PlaceDocked();
    void TaskbarChanged();
    void DisplayChanged();
    void DockSettled();
    void WriteDockedText(const std::string& shown, const std::string& full);
    void SetDockHint(const std::string& hint);
    TTextSize MeasureDocked(HFONT font, int wrapWidth) const;
    void OnTheTaskbar1Click();

    // main_form_mouse.cpp: dragging, snapping, the menu and its commands, the tray icon
    bool MouseMessage(UINT msg);
    void StatsMouseDown(UINT button, POINT screen);
    void s_BorderMouseDown(UINT button, POINT screen);
    void BeginDrag(POINT screen);
    void DragTo(POINT screen);
    void EndDrag();
    void SnapWindowPos(WINDOWPOS& pos);
    void KeepOnAMonitor();
    void Settings1Click();
    void About1Click();
    void History1Click();
    void CheckforUpdates1Click();
    void Minimize1Click();
    void Close1Click();
    void TrayIconClick();
    void ApplicationEvents1Restore();
    void ShowRunningCopy();
    void FormActivate();
    void CreateTrayIcon();

    TMemIniFile& config_;
    const uint64_t folderKey_;
    const UINT showCopyMessage_;
    TAdapterMonitor* monitor_ = nullptr; // frees itself once told to stop
    std::unique_ptr<TNetworkChangeWatch> networkWatch_;
    TLook look_;
    int dpi_ = 96;
    TBrushHandle background_;
    TPenHandle borderPen_;
    TFontHandle font_;
    TIconHandle backdropIcon_;
    std::unique_ptr<TStatsLabel> l_Stats;
    HWND QuotaBar = nullptr;
    // The quota bar's state as last set: only a change is sent to it, since every message to
    // the bar also passes the tooltip's hook on it.
    bool quotaShown_ = true; // created visible
    int32_t quotaRange_ = -1;
    int32_t quotaPosition_ = -1;
    TWindowHandle tooltip_; // unowned, so destroyed here
    // The template as last read and the renderer that keeps it split, from tick to tick.
    std::string templateText_;
    TStatisticsRenderer renderer_;
    std::string quotaHint_;
    std::string nextQuotaHint_; // this tick's hint, before it is compared with the shown one
    // The quota's settings and the record of the alerts shown, read when the settings are
    // applied; the period's last day in the user's format, made when the day changes.
    TQuotaSettings quota_;
    TShownAlerts shownAlerts_;
    double periodEndDay_ = -1;
    std::string periodEndText_;
    // Docked: the taskbar's watch, the template of its own and the text's size as placed.
    bool docked_ = false;
    bool dockTucked_ = false; // docked and minimized: hidden until the tray icon brings it back
    const UINT taskbarCreatedMessage_;
    std::unique_ptr<TTaskbarDock> dock_;
    std::string dockTemplateText_;
    TStatisticsRenderer dockRenderer_;
    TFontHandle dockSmallFont_; // the smallest readable size, where the text needs it
    TMemDcHandle dockMeasureDc_; // kept: measuring each second costs no window DC
    int dockTextWidth_ = 0, dockTextHeight_ = 0;
    std::string dockHint_;
    std::unique_ptr<TMainMenu> PopupMenu;
    std::unique_ptr<TCoolTrayIcon> TrayIcon;
    // The last seconds' rates while the tray icon draws them ("trayrates"), else null.
    std::unique_ptr<TRateBars> trayRates_;
    // The History window beside this one, kept (closed) until it is opened anew.
    std::unique_ptr<Tf_History> history_;
    bool wasMinimized_ = false;
    int quotaAlertsShown_ = 0;
    // The speed alerts' settings and episodes, afresh whenever the settings are applied.
    TRateAlertSettings rateAlertSettings_;
    std::optional<TRateAlerts> rateAlerts_;
    int rateAlertsShown_ = 0;
    // A lasting fault fails at every tick: one error box at a time per timer.
    TErrorBoxOnce updateErrors_;
    TErrorBoxOnce autoSaveErrors_;
    // The hourly store is written beside the window, not by it; a secondary file's fault is
    // told once, not every minute.
    std::unique_ptr<THourLogFlusher> hourLogFlusher_;
    TErrorBoxOnce hourLogErrors_{TErrorBoxOnce::kOncePerCause};
    int hourLogFlushes_ = 0;
    // An interactive move in progress: where it started.
    bool dragging_ = false;
    POINT dragStartCursor_{};
    POINT dragStartWindow_{};
};
