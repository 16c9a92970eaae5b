// Tf_Main: creation, the update cycle, monitor replacement and shutdown.
#include "app/main_form.h"
#include "product/constants.h"
#include "app/single_instance.h"
#include "app/stats_label.h"
#include "app/taskbar_dock.h"
#include "desktop/cool_tray_icon.h"
#include "display/rate_bars.h"
#include "history/history_window.h"
#include "history/hour_log.h"
#include "history/hour_log_flusher.h"
#include "log/calendar.h"
#include "log/usage_log.h"
#include "platform/application.h"
#include "platform/dialog.h"
#include "platform/gdi_count.h"
#include "platform/ui_theme.h"
#include "platform/user_locale.h"
#include "text/texts.h"
#include "config/config_keys.h"
#include "config/mem_ini_file.h"
#include "settings/network_keys.h"
#include "traffic/adapter_monitor.h"
#include "update/update_files.h"
#include "traffic/network_watch.h"

#include <exception>

namespace {
constexpr UINT_PTR kTimerUpdate = 1;
constexpr UINT_PTR kTimerAutoSave = 2;

// The "bandwidth" section's switches: what the monitor logs.
TLogSwitches StoredLogSwitches(const TMemIniFile& config) {
    TLogSwitches logging;
    logging.Log = ReadFlag(config, cfg::kDoLog);
    logging.LogIn = ReadFlag(config, cfg::kDoLogIns);
    logging.LogOut = ReadFlag(config, cfg::kDoLogOuts);
    return logging;
}
} // namespace

Tf_Main::Tf_Main(TMemIniFile& config, uint64_t folderKey)
    : config_(config), folderKey_(folderKey), showCopyMessage_(ShowRunningCopyMessage()),
      taskbarCreatedMessage_(::RegisterWindowMessageA("TaskbarCreated")) {
    CreateNativeWindow();
    CreateControls();
    CreateTrayIcon();
    networkWatch_ = std::make_unique<TNetworkChangeWatch>(Handle(), kMsgNetworkChanged);
    if (THourLog* hours = ProcessHourLog()) {
        HWND window = Handle();
        hourLogFlusher_ = std::make_unique<THourLogFlusher>(
            *hours, [window] { ::PostMessageA(window, kMsgHourLogFlushed, 0, 0); });
    }
    if (!::SetTimer(Handle(), kTimerUpdate, 1000, nullptr))
        RaiseLastWin32Error("SetTimer");
    if (!::SetTimer(Handle(), kTimerAutoSave, 60000, nullptr))
        RaiseLastWin32Error("SetTimer");
}

Tf_Main::~Tf_Main() = default;

// The drop shadow is a class style: read once, when the class is registered.
void Tf_Main::CreateNativeWindow() {
    TWindowParams params;
    params.ClassName = kMainWindowClass;
    params.Caption = kProductName;
    params.Style = WS_POPUP | WS_CLIPCHILDREN;
    params.X = 0;
    params.Y = 0;
    params.Width = 170;
    params.Height = 194;
    params.ProgramIcon = true;
    params.PaintsWholeClient = true;
    params.ClassStyle = CS_DBLCLKS;
    if (ReadFlag(config_, cfg::kDropShadow))
        params.ClassStyle |= CS_DROPSHADOW;
    CreateHandle(params);
    dpi_ = WindowDpi(Handle());
}

// The window is shown once it holds its figures, on a monitor: its first paint shows them, not
// a blank face until the first tick. A fault in them is the first tick's, not the start's.
void Tf_Main::FormCreate() {
    PlaceFromStore();
    Initialize();
    KeepOnAMonitor();
    updateErrors_.Run([this] { WriteStatistics(); });
    if (!docked_) { // docked, the placement shows it, where the taskbar is shown
        ::ShowWindow(Handle(), SW_SHOW);
        ::SetForegroundWindow(Handle());
    }
    DeleteUpdateLeftovers(ExecutableFolder());
    TApplication::Instance().SetAccelerators(Handle(), PopupMenu->Accelerators());
}

// Top and left from the store, in screen pixels; beyond the primary screen's size they go to 0.
void Tf_Main::PlaceFromStore() {
    int top = ReadInt(config_, cfg::kTop);
    int left = ReadInt(config_, cfg::kLeft);
    if (::GetSystemMetrics(SM_CYSCREEN) < top)
        top = 0;
    if (::GetSystemMetrics(SM_CXSCREEN) < left)
        left = 0;
    ::SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Tf_Main::Initialize() {
    ReadQuotaState();
    ReadRateAlerts();
    ReplaceMonitor();
    ApplyDisplaySettings();
    TUiTheme::Instance().SetSetting(ParseThemeSetting(ReadText(config_, cfg::kTheme).c_str()));
    ApplyLanguage();
    PopupMenu->SetDocked(docked_);
}

// A language chosen in Settings shows at once in the menu and the tray icon's hint; windows
// take it as they are opened.
void Tf_Main::ApplyLanguage() {
    const TTextTable& shown = Texts();
    ChooseWindowLanguage(ReadText(config_, cfg::kLanguage));
    if (&Texts() == &shown)
        return;
    auto menu = std::make_unique<TMainMenu>();
    TrayIcon->SetPopupMenu(menu->Menu(), Handle());
    TApplication::Instance().SetAccelerators(Handle(), menu->Accelerators());
    PopupMenu = std::move(menu);
    updateErrors_.Run([this] { WriteStatistics(); });
}

// The windows follow Windows' app mode ("ImmersiveColorSet") and high contrast live; the
// theme reads both again whatever changed, and tells the windows only of a new mode.
void Tf_Main::OnSettingChange(const char*) {
    TUiTheme::Instance().SystemChanged(false);
    if (docked_)
        DisplayChanged();
}

// The old monitor is told to stop and frees itself; nobody waits for it.
void Tf_Main::ReplaceMonitor() {
    if (monitor_)
        monitor_->RequestStop();
    monitor_ = TAdapterMonitor::Create(StoredAdapterTargets(config_), StoredLogSwitches(config_));
}

// A sleep is no interval: the first reading after it starts anew, on the adapter found then.
void Tf_Main::PowerBroadcast(WPARAM event) {
    if (!monitor_)
        return;
    if (event == PBT_APMSUSPEND)
        monitor_->Suspend();
    else if (event == PBT_APMRESUMESUSPEND || event == PBT_APMRESUMEAUTOMATIC)
        monitor_->Resume();
}

void Tf_Main::OnTimer(UINT_PTR id) {
    if (id == kTimerUpdate)
        updateErrors_.Run([this] { timerUpdateTimer(); });
    else if (id == kTimerAutoSave)
        autoSaveErrors_.Run([this] { timerAutoSaveTimer(); });
    else if (id == kTimerDockSettle)
        DockSettled();
}

void Tf_Main::timerUpdateTimer() {
    // An adapter chosen by the user and found under another index is remembered there.
    if (monitor_ && !monitor_->Automatic() && monitor_->Connected())
        RememberWatchedAdapter(config_, monitor_->AdapterIndex(), monitor_->AdapterLuid());
    WriteStatistics();
    DrawTrayRates();
    CheckRateAlerts();
}

// The hourly store is flushed beside the window, and asked first: a daily log that cannot be
// written now does not hold it up.
void Tf_Main::timerAutoSaveTimer() {
    if (hourLogFlusher_)
        hourLogFlusher_->Request();
    SaveLogIfChanged();
}

// A message posted before the close took the flusher away finds none.
void Tf_Main::HourLogFlushed() {
    if (!hourLogFlusher_)
        return;
    hourLogErrors_.Run([this] {
        if (const std::exception_ptr failure = hourLogFlusher_->Outcome())
            std::rethrow_exception(failure);
    });
    ++hourLogFlushes_;
}

// The user travelled or set the clock: today is another day at once, not after a restart.
void Tf_Main::TimeChanged() {
    ReloadTimeZone();
    OnTimer(kTimerUpdate);
}

// The setup program and the tray menu ask while a dialog may be open: the dialogs end first,
// as Cancel would, and the close comes back once the last has gone.
void Tf_Main::OnClose() {
    TApplication& app = TApplication::Instance();
    if (app.ModalOpen())
        app.CloseAfterModals(Handle());
    else
        FormClose();
}

// The log first, then the configuration with the History window's place, which closes; a
// failure keeps the window open and running. Once the close is sure, the flusher ends (after a
// flush under way) and the hourly store is written here.
void Tf_Main::FormClose() {
    SaveLog();
    if (history_)
        history_->Cancel();
    config_.FlushToFile();
    hourLogFlusher_.reset();
    FlushHourLogQuietly();
    TrayIcon.reset();
    networkWatch_.reset();
    DestroyHandle();
}

// A lasting fault of the hourly store has been told already; at the end the most it loses is
// the last minute, which a kill would lose as well.
void Tf_Main::FlushHourLogQuietly() {
    try {
        FlushHourLog();
    } catch (const std::exception&) {
    }
}

// Windows is ending the session: nothing may be lost, and nobody is there to read an error.
void Tf_Main::SaveOnEndSession() {
    try {
        SaveLog();
    } catch (const std::exception&) {
    }
    FlushHourLogQuietly();
    try {
        config_.FlushToFile();
    } catch (const std::exception&) {
    }
}

// Restored from the taskbar or by the system: the window comes forward as from the tray icon.
void Tf_Main::OnSize(UINT kind, int, int) {
    if (kind == SIZE_MINIMIZED)
        wasMinimized_ = true;
    else if (wasMinimized_)
        ApplicationEvents1Restore();
    Relayout();
}

LRESULT Tf_Main::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (showCopyMessage_ && msg == showCopyMessage_) {
        if (!IsFolderKeyMessage(wParam, lParam, folderKey_))
            return 0;
        ShowRunningCopy();
        return 1;
    }
    if (msg == taskbarCreatedMessage_ && dock_) {
        dock_->Rehook();
        DisplayChanged();
    }
    if (MouseMessage(msg))
        return 0;
    bool handled = true;
    LRESULT result = Dispatch(msg, wParam, lParam, handled);
    return handled ? result : TWindow::HandleMessage(msg, wParam, lParam);
}

// What the named handlers and the mouse leave: placement, the session and the test queries.
LRESULT Tf_Main::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    switch (msg) {
    case WM_TIMECHANGE:
        TimeChanged();
        return 0;
    case WM_DISPLAYCHANGE:
        if (docked_)
            DisplayChanged();
        return 0;
    case kMsgTaskbarChanged:
        TaskbarChanged();
        return 0;
    case WM_WINDOWPOSCHANGING:
        SnapWindowPos(*reinterpret_cast<WINDOWPOS*>(lParam));
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE)
            FormActivate();
        handled = false;
        return 0;
    case kMsgGdiObjectCount:
        return static_cast<LRESULT>(CountGdiObjects());
    case WM_SYSCOLORCHANGE:
        TUiTheme::Instance().SystemChanged(true);
        return 0;
    case kMsgThemeReport:
        return static_cast<LRESULT>(TUiTheme::Instance().Report());
    case kMsgNetworkChanged:
        if (monitor_)
            monitor_->NetworkChanged();
        return 0;
    case WM_POWERBROADCAST:
        PowerBroadcast(wParam);
        return TRUE;
    case kMsgQuotaAlertCount:
        return quotaAlertsShown_;
    case kMsgRateAlertCount:
        return rateAlertsShown_;
    case kMsgHourLogFlushed:
        HourLogFlushed();
        return 0;
    case kMsgHourLogFlushCount:
        return hourLogFlushes_;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            SaveOnEndSession();
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        handled = false;
        return 0;
    }
}
