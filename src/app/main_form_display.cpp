// Tf_Main's look: the backdrop, outline, statistics text and quota bar, the display settings,
// and the rendering of the template once a second.
#include "app/main_form.h"
#include "resource.h"
#include "app/stats_label.h"
#include "app/window_geometry.h"
#include "desktop/cool_tray_icon.h"
#include "desktop/rate_icon.h"
#include "display/render.h"
#include "history/billed_quota.h"
#include "log/usage_log.h"
#include "platform/accessible.h"
#include "platform/dialog.h"
#include "platform/dpi.h"
#include "platform/user_locale.h"
#include "text/texts.h"
#include "quota/quota_settings.h"
#include "config/config_keys.h"
#include "traffic/adapter_monitor.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>

namespace {

// The tray's hint while the watched adapter is away: its last figures would look current.
std::string NotConnectedHint(const std::string& adapterName) {
    return adapterName.empty()
               ? Text(TTextId::TrayHintNotConnected)
               : FormatText(Text(TTextId::TrayHintNotConnectedNamed), {{"adapter", adapterName}});
}

// Of several adapters counted together, those away ("Wi-Fi, USB Modem"); empty when none is.
std::string MissingAdaptersHint(const TAdapterMonitor& monitor) {
    std::string names;
    for (const std::string& name : monitor.MissingAdapters())
        names += (names.empty() ? "" : ", ") + name;
    return names.empty() ? names : NotConnectedHint(names);
}

} // namespace

void Tf_Main::CreateControls() {
    l_Stats = std::make_unique<TStatsLabel>(
        Handle(), [this](HDC dc, const RECT& area) { PaintBackdrop(dc, area); },
        [this](UINT button, POINT screen) { StatsMouseDown(button, screen); });
    QuotaBar = ::CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 0, 0,
                                 1, 1, Handle(), nullptr, ::GetModuleHandleA(nullptr), nullptr);
    if (!QuotaBar)
        RaiseLastWin32Error("CreateWindowEx");
    // Its hint, kept as its window text, names it: no label stands before it.
    SetAccessibleName(QuotaBar, nullptr);
    // Unowned: Wine does not make a window topmost while it owns another window.
    tooltip_.reset(::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                     WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, nullptr, nullptr,
                                     ::GetModuleHandleA(nullptr), nullptr));
    if (tooltip_) {
        TOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = Handle();
        tool.uId = reinterpret_cast<UINT_PTR>(QuotaBar);
        tool.lpszText = const_cast<char*>("");
        ::SendMessageA(tooltip_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    PopupMenu = std::make_unique<TMainMenu>();
}

// Applied in this order: opacity, docking, colours, font, size (or place), stacking, tray,
// the tray's rates.
void Tf_Main::ApplyDisplaySettings() {
    ApplyOpacity(ReadInt(config_, cfg::kOpacity));
    SetDocked(ReadFlag(config_, cfg::kDock));
    ApplyColoursAndFont(WantedLook());
    if (docked_) {
        PlaceDocked();
    } else {
        ApplySize(ReadInt(config_, cfg::kWidth), ReadInt(config_, cfg::kHeight));
        bool onTop = ReadFlag(config_, cfg::kStayOnTop);
        ::SetWindowPos(Handle(), onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    bool toTray = ReadFlag(config_, cfg::kGoToTray);
    TrayIcon->MinimizeToTray = toTray;
    TrayIcon->SetIconVisible(toTray);
    ApplyTrayRates(ReadFlag(config_, cfg::kTrayRates));
}

// The look the settings ask for; docked, the taskbar's colours stand in for the default ones.
Tf_Main::TLook Tf_Main::WantedLook() const {
    TLook wanted = look_;
    wanted.Background = static_cast<COLORREF>(ReadInt(config_, cfg::kBackground));
    wanted.Border = static_cast<COLORREF>(ReadInt(config_, cfg::kBorder));
    wanted.FontColour = static_cast<COLORREF>(ReadInt(config_, cfg::kFontColour));
    wanted.FontName = ReadText(config_, cfg::kFontName);
    wanted.FontSize = ReadInt(config_, cfg::kFontSize);
    wanted.FontStyles = (ReadFlag(config_, cfg::kFontBold) ? fsBold : fsRegular) |
                        (ReadFlag(config_, cfg::kFontItalic) ? fsItalic : fsRegular);
    wanted.Dpi = dpi_;
    if (docked_)
        UseDockColours(wanted);
    else
        wanted.FontPixels = 0;
    return wanted;
}

// Turned off, the program's icon comes back at once; turned on, the bars come at the next tick.
void Tf_Main::ApplyTrayRates(bool shown) {
    if (shown == (trayRates_ != nullptr))
        return;
    if (shown) {
        trayRates_ = std::make_unique<TRateBars>();
        return;
    }
    trayRates_.reset();
    TrayIcon->SetIconLoader(LoadProgramIcon);
}

// Once a second: the bars at the small icon's size for the tray's DPI. The scale keeps
// learning while the icon is hidden, so it is right when the icon shows.
void Tf_Main::DrawTrayRates() {
    if (!trayRates_)
        return;
    trayRates_->Add(monitor_ ? monitor_->DeltaIn() : 0, monitor_ ? monitor_->DeltaOut() : 0);
    if (!TrayIcon->IconVisible())
        return;
    const int size = SystemMetricForDpi(SM_CXSMICON, WindowDpi(TrayIcon->CallbackWindow()));
    TrayIcon->TakeIcon(MakeRateIcon(size, *trayRates_));
}

// Exactly 100 is opaque; otherwise alpha is opacity x 2. Values outside the dialog's 10 to 100
// (only by editing the file) are taken as the nearest end, so the window never disappears.
void Tf_Main::ApplyOpacity(int opacity) {
    opacity = std::clamp(opacity, 10, 100);
    if (opacity == look_.Opacity)
        return;
    look_.Opacity = opacity;
    LONG_PTR ex = ::GetWindowLongPtrA(Handle(), GWL_EXSTYLE);
    if (opacity == 100) {
        ::SetWindowLongPtrA(Handle(), GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
        return;
    }
    ::SetWindowLongPtrA(Handle(), GWL_EXSTYLE, ex | WS_EX_LAYERED);
    if (!::SetLayeredWindowAttributes(Handle(), 0, static_cast<BYTE>(opacity * 2), LWA_ALPHA))
        RaiseLastWin32Error("SetLayeredWindowAttributes");
}

// GDI objects are made only when their setting (or the DPI) changed.
void Tf_Main::ApplyColoursAndFont(const TLook& wanted) {
    if (!background_ || wanted.Background != look_.Background)
        background_.reset(::CreateSolidBrush(wanted.Background));
    if (!borderPen_ || wanted.Border != look_.Border)
        borderPen_.reset(::CreatePen(PS_SOLID, 1, wanted.Border));
    if (!font_ || wanted.FontName != look_.FontName || wanted.FontSize != look_.FontSize ||
        wanted.FontStyles != look_.FontStyles || wanted.Dpi != look_.Dpi ||
        wanted.FontPixels != look_.FontPixels) {
        font_ = wanted.FontPixels > 0
                    ? MakeFont(TFontSpec{wanted.FontName.c_str(), wanted.FontPixels,
                                         wanted.FontStyles})
                    : MakeFont(wanted.FontName, wanted.FontSize, wanted.FontStyles, wanted.Dpi);
        l_Stats->SetFont(font_.get());
        dockSmallFont_.reset(); // made again, of the same face, where the taskbar needs it
    }
    if (!backdropIcon_ || wanted.Dpi != look_.Dpi) {
        int size = ::MulDiv(128, wanted.Dpi, 96);
        backdropIcon_.reset(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr),
                                                            MAKEINTRESOURCEA(IDI_CORVANE),
                                                            IMAGE_ICON, size, size, 0)));
    }
    l_Stats->SetColour(wanted.FontColour);
    int opacity = look_.Opacity;
    look_ = wanted;
    look_.Opacity = opacity;
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

// Width and height are layout sizes at 96 DPI, like every size of the window.
void Tf_Main::ApplySize(int width, int height) {
    look_.Width = width;
    look_.Height = height;
    int w = std::max(5, ::MulDiv(width, dpi_, 96)), h = std::max(5, ::MulDiv(height, dpi_, 96));
    ::SetWindowPos(Handle(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Relayout();
}

void Tf_Main::Relayout() {
    if (!l_Stats)
        return;
    RECT client;
    ::GetClientRect(Handle(), &client);
    if (docked_) { // the text alone, inside the margins it was measured with
        const int x = ::MulDiv(kDockMarginX, dpi_, 96), y = kDockMarginY;
        l_Stats->SetBounds(x, y, client.right - 2 * x, client.bottom - 2 * y);
        return;
    }
    TMainLayout layout = LayoutMainWindow(client.right, client.bottom, dpi_);
    l_Stats->SetBounds(layout.Stats.Left, layout.Stats.Top, layout.Stats.Width(),
                       layout.Stats.Height());
    ::SetWindowPos(QuotaBar, nullptr, layout.QuotaBar.Left, layout.QuotaBar.Top,
                   layout.QuotaBar.Width(), layout.QuotaBar.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

// The background and the icon behind the text; `area` is in the main window's coordinates
// and is drawn at the DC's origin.
void Tf_Main::PaintBackdrop(HDC dc, const RECT& area) {
    RECT fill{0, 0, area.right - area.left, area.bottom - area.top};
    ::FillRect(dc, &fill, background_.get());
    if (!backdropIcon_ || docked_)
        return;
    RECT client;
    ::GetClientRect(Handle(), &client);
    TMainLayout layout = LayoutMainWindow(client.right, client.bottom, dpi_);
    int size = ::MulDiv(128, dpi_, 96);
    ::DrawIconEx(dc, layout.Image.Left - area.left, layout.Image.Top - area.top,
                 backdropIcon_.get(), size, size, 0, nullptr, DI_NORMAL);
}

void Tf_Main::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(Handle(), &ps);
    RECT client;
    ::GetClientRect(Handle(), &client);
    PaintBackdrop(dc, client);
    // s_Border: a hollow one-pixel outline over the whole client area; none on the taskbar.
    if (!docked_) {
        TSelectObject pen(dc, borderPen_.get());
        TSelectObject brush(dc, ::GetStockObject(NULL_BRUSH));
        ::Rectangle(dc, 0, 0, client.right, client.bottom);
    }
    ::EndPaint(Handle(), &ps);
}

// Once a second: the shown text and the bar's hint are built in strings kept from tick to tick.
void Tf_Main::WriteStatistics() {
    ReadText(config_, cfg::kFormat, templateText_);
    int decimals = static_cast<int16_t>(ReadInt(config_, cfg::kDecimalPlaces));
    TMonitorCounters counters;
    if (monitor_) {
        counters.DeltaIn = monitor_->DeltaIn();
        counters.DeltaOut = monitor_->DeltaOut();
        counters.TotalIn = monitor_->TotalIn();
        counters.TotalOut = monitor_->TotalOut();
    }
    TLogTotals totals = GetLogTotals();
    TQuotaFigures figures = CurrentBilledQuotaFigures(quota_.Terms);
    char separator = UserDecimalSeparator()[0];
    const std::string& text =
        renderer_.Render(templateText_, decimals, counters, totals, separator, figures);
    if (docked_) {
        ReadText(config_, cfg::kDockTemplate, dockTemplateText_);
        if (dockTemplateText_.empty()) // an empty meter on the taskbar could not be clicked
            dockTemplateText_ = kDefaultDockTemplate;
        WriteDockedText(dockRenderer_.Render(dockTemplateText_, decimals, counters, totals,
                                             separator, figures),
                        text);
    } else {
        l_Stats->SetText(text);
    }
    const std::string missing = monitor_ ? MissingAdaptersHint(*monitor_) : std::string();
    TrayIcon->SetHint(monitor_ && !monitor_->Connected() ? NotConnectedHint(monitor_->AdapterName())
                      : missing.empty()                  ? text
                                                         : missing);
    UpdateQuotaBar(figures, decimals, separator);
    CheckQuotaAlerts(figures, decimals, separator);
}

void Tf_Main::SetQuotaHint(const std::string& hint) {
    if (hint == quotaHint_)
        return;
    quotaHint_ = hint;
    ::SetWindowTextA(QuotaBar, quotaHint_.c_str());
    if (!tooltip_)
        return;
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(QuotaBar);
    tool.lpszText = quotaHint_.data();
    ::SendMessageA(tooltip_.get(), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

// Dragged onto a monitor with another DPI: every size follows, the place stays the system's.
void Tf_Main::OnDpiChanged(int dpi, const RECT& suggested) {
    dpi_ = dpi;
    if (docked_) {
        DisplayChanged();
        return;
    }
    ::SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    TLook wanted = look_;
    wanted.Dpi = dpi;
    ApplyColoursAndFont(wanted);
    ApplySize(look_.Width, look_.Height);
}

// The panel may be made as small as the user likes, down to a few pixels.
void Tf_Main::OnMinimumSize(MINMAXINFO& info) {
    info.ptMinTrackSize = {5, 5};
}
