// Tf_History: the controls, their layout at the monitor's DPI, the remembered place and size,
// the views and navigation, and the refresh once a second.
#include "history/history_window.h"
#include "platform/user_locale.h"
#include "platform/screen_geometry.h"
#include "history/history_chart_view.h"
#include "platform/dpi.h"
#include "platform/text_fit.h"
#include "config/config_keys.h"
#include "text/texts.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

namespace {

constexpr UINT_PTR kTimerRefresh = 1;
constexpr int kDefaultWidth = 640, kDefaultHeight = 400; // client area at 96 DPI
constexpr int kMinWidth = 520, kMinHeight = 320;         // window at 96 DPI
constexpr int kLargestSide = 32767;                      // no screen is larger
const int kControls[] = {hcBack, hcToday, hcForward, hcFigures, hcSummary, hcExport, IDCANCEL};

THistoryClock ClockNow() {
    THistoryClock clock;
    clock.NowUtc = SystemUtcNow();
    return clock;
}

// The work area of the monitor that holds most of the rectangle, else the primary monitor's.
TRectI WorkAreaAt(const TRectI& r, bool& onAMonitor) {
    const RECT rc{r.Left, r.Top, r.Right, r.Bottom};
    HMONITOR monitor = ::MonitorFromRect(&rc, MONITOR_DEFAULTTONULL);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    onAMonitor = monitor != nullptr;
    if (!onAMonitor || !::GetMonitorInfoA(monitor, &info))
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &info.rcWork, 0);
    return {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

} // namespace

Tf_History::Tf_History(HWND owner, TMemIniFile& config) : config_(config) {
    TDialogParams params;
    params.ClassName = "Tf_History";
    params.Caption = Text(TTextId::HistoryCaption).c_str();
    params.ClientWidth = kDefaultWidth;
    params.ClientHeight = kDefaultHeight;
    params.Resizable = true;
    params.OwnWindow = true;
    CreateDialogWindow(params, owner);
    dpi_ = WindowDpi(Handle());
    font_ = MakeUiFont(TUiFont::Dialog, dpi_);
    separator_ = UserDecimalSeparator()[0];
    CreateControls();
    PlaceFromStore();
    GrowToMinimumSize();
    Relayout();
    const int view = std::clamp(ReadInt(config_, cfg::kHistoryView), 0, kHistoryViewCount - 1);
    ShowView(static_cast<THistoryView>(view));
    if (!::SetTimer(Handle(), kTimerRefresh, 1000, nullptr))
        RaiseLastWin32Error("SetTimer");
}

// The controls go before the fonts they use.
Tf_History::~Tf_History() {
    chart_.reset();
    DestroyHandle();
}

void Tf_History::CreateControls() {
    for (int i = 0; i < kHistoryViewCount; ++i) {
        const DWORD first = i == 0 ? WS_GROUP | WS_TABSTOP : 0;
        AddControl(TControlArgs(WC_BUTTONA, Text(kHistoryViews[i].Name).c_str())
                       .SetStyle(BS_AUTORADIOBUTTON | BS_PUSHLIKE | first)
                       .SetId(hcFirstView + i));
    }
    AddControl(TControlArgs(WC_BUTTONA, Text(TTextId::HistoryBack).c_str())
                   .SetStyle(WS_GROUP | WS_TABSTOP)
                   .SetId(hcBack));
    AddControl(TControlArgs(WC_BUTTONA, Text(TTextId::HistoryToday).c_str())
                   .SetStyle(WS_TABSTOP)
                   .SetId(hcToday));
    AddControl(TControlArgs(WC_BUTTONA, Text(TTextId::HistoryForward).c_str())
                   .SetStyle(WS_TABSTOP)
                   .SetId(hcForward));
    chart_ =
        std::make_unique<THistoryChartView>(Handle(), hcChart, dpi_, [this] { ShowFigures(); });
    AddControl(TControlArgs(WC_STATICA, Text(TTextId::HistoryNoBar).c_str())
                   .SetStyle(SS_LEFT | SS_NOPREFIX | WS_GROUP)
                   .SetId(hcFigures));
    AddControl(
        TControlArgs(WC_STATICA).SetStyle(SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS).SetId(hcSummary));
    AddControl(TControlArgs(WC_BUTTONA, Text(TTextId::HistoryExport).c_str())
                   .SetStyle(WS_GROUP | WS_TABSTOP)
                   .SetId(hcExport));
    AddControl(TControlArgs(WC_BUTTONA, Text(TTextId::HistoryClose).c_str())
                   .SetStyle(WS_TABSTOP)
                   .SetId(IDCANCEL));
    SetControlFonts(FALSE);
}

// The window's own font on every control; the chart has its own.
void Tf_History::SetControlFonts(BOOL redraw) {
    const auto font = reinterpret_cast<WPARAM>(font_.get());
    for (int id : kControls)
        ::SendMessageA(Control(id), WM_SETFONT, font, redraw);
    for (int i = 0; i < kHistoryViewCount; ++i)
        ::SendMessageA(Control(hcFirstView + i), WM_SETFONT, font, redraw);
}

int Tf_History::Px(int pixels96) const {
    return ::MulDiv(pixels96, dpi_, 96);
}

// Its width at 96 DPI, or what its text needs in a language with longer words.
int Tf_History::ButtonWidth(int id, int pixels96) const {
    return std::max(Px(pixels96), TextFitWidth(Control(id)));
}

// Top row: the views on the left, Back, Today and Forward on the right. Bottom row: the page's
// summary, Export and Close. Between them the chart and, under it, the bar's figures.
void Tf_History::Relayout() {
    if (!chart_)
        return; // sized while being created
    RECT client;
    ::GetClientRect(Handle(), &client);
    const int w = client.right, h = client.bottom, m = Px(8), gap = Px(4), button = Px(25),
              line = Px(16);
    HDWP batch = ::BeginDeferWindowPos(kHistoryViewCount + 8);
    auto place = [&batch, this](int id, int x, int y, int cx, int cy) {
        if (batch)
            batch = ::DeferWindowPos(batch, Control(id), nullptr, x, y, std::max(0, cx),
                                     std::max(0, cy), SWP_NOZORDER | SWP_NOACTIVATE);
    };
    for (int i = 0, x = m; i < kHistoryViewCount; ++i) {
        const int width = ButtonWidth(hcFirstView + i, 64);
        place(hcFirstView + i, x, m, width, button);
        x += width + gap;
    }
    const int forward = ButtonWidth(hcForward, 80), today = ButtonWidth(hcToday, 64);
    const int back = ButtonWidth(hcBack, 80);
    place(hcForward, w - m - forward, m, forward, button);
    place(hcToday, w - m - forward - gap - today, m, today, button);
    place(hcBack, w - m - forward - 2 * gap - today - back, m, back, button);
    const int bottomRow = h - m - button;
    const int close = ButtonWidth(IDCANCEL, 75), exportWidth = ButtonWidth(hcExport, 80);
    const int exportLeft = w - m - close - gap - exportWidth;
    place(IDCANCEL, w - m - close, bottomRow, close, button);
    place(hcExport, exportLeft, bottomRow, exportWidth, button);
    place(hcSummary, m, bottomRow + (button - line) / 2, exportLeft - gap - m, line);
    // Two lines, or what a language with longer words needs.
    figuresHeight_ = std::max(2 * line, TextFitHeight(Control(hcFigures), w - 2 * m));
    const int figuresTop = bottomRow - Px(8) - figuresHeight_;
    place(hcFigures, m, figuresTop, w - 2 * m, figuresHeight_);
    const int chartTop = m + button + Px(8);
    place(hcChart, m, chartTop, w - 2 * m, figuresTop - Px(6) - chartTop);
    if (batch)
        ::EndDeferWindowPos(batch);
}

// Left and top in screen pixels; width and height at 96 DPI, like the main window's size. A
// place on a monitor that is gone comes back into the primary monitor's work area, a size
// larger than the work area into that work area; the file may hold any values.
void Tf_History::PlaceFromStore() {
    const int width = ReadInt(config_, cfg::kHistoryWidth);
    const int height = ReadInt(config_, cfg::kHistoryHeight);
    if (width <= 0 || height <= 0)
        return; // centred at the default size
    int left = ReadInt(config_, cfg::kHistoryLeft), top = ReadInt(config_, cfg::kHistoryTop);
    int w = Px(std::clamp(width, kMinWidth, kLargestSide));
    int h = Px(std::clamp(height, kMinHeight, kLargestSide));
    bool onAMonitor = false;
    const TRectI work = WorkAreaAt(WindowRect(left, top, w, h), onAMonitor);
    PlaceRemembered(left, top, w, h, onAMonitor, work);
    ::SetWindowPos(Handle(), nullptr, left, top, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The size it has when neither maximised nor minimised; in memory until the configuration is
// next written.
void Tf_History::SavePlacement() {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    RECT rc{};
    if ((::IsZoomed(Handle()) || ::IsIconic(Handle())) &&
        ::GetWindowPlacement(Handle(), &placement))
        rc = placement.rcNormalPosition;
    else if (!::GetWindowRect(Handle(), &rc))
        return;
    WriteInt(config_, cfg::kHistoryLeft, rc.left);
    WriteInt(config_, cfg::kHistoryTop, rc.top);
    WriteInt(config_, cfg::kHistoryWidth, ::MulDiv(rc.right - rc.left, 96, dpi_));
    WriteInt(config_, cfg::kHistoryHeight, ::MulDiv(rc.bottom - rc.top, 96, dpi_));
    WriteInt(config_, cfg::kHistoryView, static_cast<int>(cursor_.View));
}

// Once closed it holds nothing large until it is opened anew: the chart's buffer goes too.
void Tf_History::Cancel() {
    if (!Handle())
        return;
    SavePlacement();
    ::KillTimer(Handle(), kTimerRefresh);
    Close();
    chart_.reset();
}

// Moved onto a monitor with another DPI: fonts and layout follow, the size is the system's.
// The controls take the new font before the old one goes.
void Tf_History::OnDpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    TFontHandle old = std::exchange(font_, MakeUiFont(TUiFont::Dialog, dpi));
    SetControlFonts(TRUE);
    chart_->SetDpi(dpi);
    ::SetWindowPos(Handle(), nullptr, suggested.left, suggested.top,
                   suggested.right - suggested.left, suggested.bottom - suggested.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    Relayout();
}

void Tf_History::ShowView(THistoryView view) {
    ::CheckRadioButton(Handle(), hcFirstView, hcFirstView + kHistoryViewCount - 1,
                       hcFirstView + static_cast<int>(view));
    cursor_ = CurrentCursor(view, ClockNow());
    followNow_ = true;
    Refresh();
}

void Tf_History::Navigate(int pages) {
    cursor_ = StepCursor(cursor_, pages);
    followNow_ = cursor_ == CurrentCursor(cursor_.View, ClockNow());
    Refresh();
}

void Tf_History::b_TodayClick() {
    followNow_ = true;
    Refresh();
    ::SetFocus(chart_->Handle());
}

void Tf_History::b_ExportClick() {
    ExportHistory(Handle(), cursor_.View);
}

void Tf_History::timerRefreshTimer() {
    Refresh();
}

// Only the view's own data is gathered: the page's hours for bars of hours, every day otherwise.
THistoryData Tf_History::CollectData() const {
    THistoryData data;
    const bool ofHours = ViewInfo(cursor_.View).Bar == THistoryUnit::Hour;
    if (!ofHours)
        data.Days = DayTotalsOf(CopyLogTable());
    if (THourLog* hours = ProcessHourLog()) {
        data.HasHours = hours->HourBounds(data.FirstHour, data.LastHour);
        if (ofHours) {
            uint32_t first = 0, last = 0;
            PageHourRange(cursor_, first, last);
            data.Hours = hours->Range(first, last);
        }
    }
    return data;
}

// A button that is about to be disabled hands the keyboard focus to the chart.
void Tf_History::Refresh() {
    const THistoryClock clock = ClockNow();
    if (followNow_)
        cursor_ = CurrentCursor(cursor_.View, clock);
    page_ = BuildHistoryPage(cursor_, CollectData(), clock);
    chart_->SetPage(page_, separator_);
    SetText(hcSummary, PageSummary(page_, separator_));
    ShowFigures();
    const bool enabled[] = {page_.CanGoBack, !followNow_, page_.CanGoForward};
    for (int i = 0; i < 3; ++i) {
        HWND button = Control(hcBack + i);
        if (!enabled[i] && ::GetFocus() == button)
            ::SetFocus(chart_->Handle());
        ::EnableWindow(button, enabled[i]);
    }
}

void Tf_History::ShowFigures() {
    const THistoryPage& shown = chart_->ShownPage();
    const int bar = chart_->ShownBar();
    const bool valid = bar >= 0 && bar < static_cast<int>(shown.Bars.size());
    SetText(hcFigures,
            valid ? BarFigures(shown.Bars[bar], separator_) : Text(TTextId::HistoryNoBar));
    RECT rc;
    ::GetClientRect(Control(hcFigures), &rc);
    if (std::max(2 * Px(16), TextFitHeight(Control(hcFigures), rc.right)) != figuresHeight_)
        Relayout();
}

// Unchanged texts are not set again: a static control repaints whenever its text is set.
void Tf_History::SetText(int id, const std::string& text) {
    HWND control = Control(id);
    const int length = ::GetWindowTextLengthA(control);
    std::string current(static_cast<size_t>(length) + 1, '\0');
    current.resize(static_cast<size_t>(::GetWindowTextA(control, current.data(), length + 1)));
    if (current != text)
        ::SetWindowTextA(control, text.c_str());
}

void Tf_History::OnCommand(int id, int code, HWND) {
    const int view = id - hcFirstView;
    if (view >= 0 && view < kHistoryViewCount && code == BN_CLICKED) {
        if (static_cast<int>(cursor_.View) != view)
            ShowView(static_cast<THistoryView>(view));
        return;
    }
    switch (id) {
    case hcBack:
        Navigate(-1);
        break;
    case hcForward:
        Navigate(1);
        break;
    case hcToday:
        b_TodayClick();
        break;
    case hcExport:
        b_ExportClick();
        break;
    case IDCANCEL:
        Cancel();
        break;
    default:
        break;
    }
}

void Tf_History::OnTimer(UINT_PTR id) {
    if (id == kTimerRefresh)
        refreshErrors_.Run([this] { timerRefreshTimer(); });
}

// The default or remembered width may be less than a language with longer words needs.
void Tf_History::GrowToMinimumSize() {
    MINMAXINFO info{};
    OnMinimumSize(info);
    RECT rc;
    if (::GetWindowRect(Handle(), &rc) && rc.right - rc.left < info.ptMinTrackSize.x)
        ::SetWindowPos(Handle(), nullptr, 0, 0, info.ptMinTrackSize.x, rc.bottom - rc.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Tf_History::OnMinimumSize(MINMAXINFO& info) {
    // The top row's buttons side by side, with a gap between the views and the paging, however
    // long the language's words.
    const int gap = Px(4);
    int row = 2 * Px(8) + Px(16) + ButtonWidth(hcBack, 80) + ButtonWidth(hcToday, 64) +
              ButtonWidth(hcForward, 80) + 2 * gap;
    for (int i = 0; i < kHistoryViewCount; ++i)
        row += ButtonWidth(hcFirstView + i, 64) + gap;
    RECT window, client;
    ::GetWindowRect(Handle(), &window);
    ::GetClientRect(Handle(), &client);
    const int frame = (window.right - window.left) - client.right;
    info.ptMinTrackSize = {std::max<int>(Px(kMinWidth), row + frame), Px(kMinHeight)};
}
