// TCoolTrayIcon and TTrayIconHandler, the hidden window that receives the shell's callbacks
// for every tray icon of the process.
#include "desktop/cool_tray_icon.h"
#include "config/utf8_text.h"
#include "platform/application.h"
#include "platform/dpi.h"
#include "desktop/shared_handler_window.h"

#include <cstring>
#include <stdexcept>
#include <utility>

namespace {
// Calls an event handler; false when the handler destroyed the component that fired it.
bool FireEvent(std::function<void()> event, std::shared_ptr<bool> alive) {
    if (event)
        event();
    return *alive;
}

// Cut on a character boundary: half a UTF-8 character would show as garbage.
template <size_t N> void CopyText(char (&field)[N], std::string_view text) {
    const std::string_view fits = Utf8Prefix(text, N - 1);
    std::memcpy(field, fits.data(), fits.size());
    field[fits.size()] = '\0';
}
} // namespace

// Id of the "TaskbarCreated" message Explorer broadcasts when it (re)creates the taskbar;
// 0 when it could not be registered.
static UINT TaskbarRestartMessage = 0;

// One per process while any tray icon exists. A hidden top-level window: message-only windows
// do not receive the "TaskbarCreated" broadcast.
class TTrayIconHandler : public TSharedHandlerWindow<TTrayIconHandler, TCoolTrayIcon> {
  public:
    TTrayIconHandler() {
        if (!TaskbarRestartMessage)
            TaskbarRestartMessage = ::RegisterWindowMessageA("TaskbarCreated");
        CreateMessageWindow("CorvaneTrayIcon", true);
        // Lets the broadcast through when the process runs elevated; without it the icon is
        // merely not re-added after an Explorer restart.
        if (TaskbarRestartMessage)
            ::ChangeWindowMessageFilterEx(Handle(), TaskbarRestartMessage, MSGFLT_ALLOW, nullptr);
    }

    // The shell's icon id is 32 bits wide, too narrow for an address: hand out serial numbers.
    static HWND AddIcon(TCoolTrayIcon* icon, UINT& id) {
        TTrayIconHandler& handler = Shared();
        do {
            ++handler.lastId_;
        } while (handler.lastId_ == 0 || handler.Contains(handler.lastId_));
        id = handler.lastId_;
        handler.Add(id, icon);
        return handler.Handle();
    }

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == TCoolTrayIcon::CallbackMessage) {
            if (TCoolTrayIcon* icon = Find(static_cast<UINT>(wParam)))
                icon->HandleCallback(LOWORD(lParam));
            return 0;
        }
        if (TaskbarRestartMessage && msg == TaskbarRestartMessage) {
            ForEachClient([](TCoolTrayIcon& icon) {
                if (icon.IconVisible())
                    icon.AddTrayIcon();
            });
            return 0;
        }
        switch (msg) {
        case WM_DPICHANGED:
            return TWindow::HandleMessage(msg, wParam, lParam); // OnDpiChanged
        case WM_DESTROY:
        case WM_CLOSE:
        case WM_QUERYENDSESSION:
        case WM_QUIT:
        case WM_ENDSESSION:
            return 1;
        default:
            return DefaultHandling(msg, wParam, lParam);
        }
    }

    void OnDpiChanged(int dpi, const RECT&) override {
        ForEachClient([dpi](TCoolTrayIcon& icon) { icon.ReloadIcon(static_cast<UINT>(dpi)); });
    }

  private:
    UINT lastId_ = 0;
};

TCoolTrayIcon::TCoolTrayIcon(HWND owner, TShellNotify shellNotify)
    : Owner_(owner), ShellNotify_(std::move(shellNotify)),
      ClickDelayTimer_(::GetDoubleClickTime(), [this](TSimpleTimer&) { ClickDelayTimerTick(); }) {
    NotifyData_.cbSize = NOTIFYICONDATAA_V2_SIZE;
    NotifyData_.hWnd = TTrayIconHandler::AddIcon(this, NotifyData_.uID);
    NotifyData_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    NotifyData_.uCallbackMessage = CallbackMessage;
    if (!Owner_)
        return;
    if (!::SetWindowSubclass(Owner_, &OwnerSubclassProc, reinterpret_cast<UINT_PTR>(this),
                             reinterpret_cast<DWORD_PTR>(this))) {
        TTrayIconHandler::Release(NotifyData_.uID);
        throw std::runtime_error("SetWindowSubclass failed");
    }
    OwnerSubclassed_ = true;
}

TCoolTrayIcon::~TCoolTrayIcon() {
    *Alive_ = false;
    DeleteTrayIcon();
    if (OwnerSubclassed_)
        ::RemoveWindowSubclass(Owner_, &OwnerSubclassProc, reinterpret_cast<UINT_PTR>(this));
    TTrayIconHandler::Release(NotifyData_.uID);
}

void TCoolTrayIcon::SetIcon(HICON icon) {
    IconLoader_ = nullptr;
    // A picture that cannot be copied is sent as no picture.
    Icon_.reset(icon ? ::CopyIcon(icon) : nullptr);
    UpdateTrayIcon();
}

void TCoolTrayIcon::TakeIcon(TIconHandle icon) {
    IconLoader_ = nullptr;
    TIconHandle shown = std::exchange(Icon_, std::move(icon));
    UpdateTrayIcon();
}

void TCoolTrayIcon::SetIconLoader(TIconLoader loader) {
    IconLoader_ = std::move(loader);
    ReloadIcon(static_cast<UINT>(WindowDpi(CallbackWindow())));
}

void TCoolTrayIcon::ReloadIcon(UINT dpi) {
    if (!IconLoader_ || dpi == 0)
        return;
    Icon_.reset(IconLoader_(SystemMetricForDpi(SM_CXSMICON, static_cast<int>(dpi))));
    UpdateTrayIcon();
}

void TCoolTrayIcon::SetHint(const std::string& hint) {
    // Set every second with mostly the same text: only a change goes to the shell.
    if (hint == Hint_)
        return;
    Hint_ = hint;
    UpdateTrayIcon();
}

void TCoolTrayIcon::SetShowHint(bool value) {
    ShowHint_ = value;
    UpdateTrayIcon();
}

void TCoolTrayIcon::SetIconVisible(bool value) {
    if (value)
        AddTrayIcon();
    else
        DeleteTrayIcon();
}

void TCoolTrayIcon::SetPopupMenu(HMENU menu, HWND commandTarget) {
    PopupMenu_ = menu;
    CommandTarget_ = commandTarget;
}

bool TCoolTrayIcon::AddTrayIcon() {
    IconVisible_ = true;
    return Notify(NIM_ADD);
}

bool TCoolTrayIcon::DeleteTrayIcon() {
    IconVisible_ = false;
    return Notify(NIM_DELETE);
}

bool TCoolTrayIcon::UpdateTrayIcon() {
    return Notify(NIM_MODIFY);
}

bool TCoolTrayIcon::Notify(DWORD message) {
    PrepareNotifyData();
    return ShellNotify_(message, &NotifyData_) != FALSE;
}

void TCoolTrayIcon::ShowNotice(const std::string& title, const std::string& text) {
    if (ShowBalloon(title, text))
        return;
    Notice_.reset(); // one notice at a time: the newer one replaces it
    Notice_ = std::make_unique<TNoticeWindow>(title, text);
}

bool TCoolTrayIcon::ShowBalloon(const std::string& title, const std::string& text) {
    if (!IconVisible_)
        return false;
    NotifyData_.uFlags |= NIF_INFO;
    CopyText(NotifyData_.szInfoTitle, title);
    CopyText(NotifyData_.szInfo, text);
    NotifyData_.dwInfoFlags = NIIF_INFO;
    NotifyData_.uTimeout = TNoticeWindow::kShowMs; // ignored by Windows Vista on
    const bool shown = Notify(NIM_MODIFY);
    // Only this call carries the balloon: a later change of the tip must not show it again.
    NotifyData_.uFlags &= ~NIF_INFO;
    std::memset(NotifyData_.szInfo, 0, sizeof NotifyData_.szInfo);
    std::memset(NotifyData_.szInfoTitle, 0, sizeof NotifyData_.szInfoTitle);
    return shown;
}

void TCoolTrayIcon::PrepareNotifyData() {
    NotifyData_.hIcon = Icon_.get();
    std::memset(NotifyData_.szTip, 0, sizeof NotifyData_.szTip);
    if (ShowHint_)
        CopyText(NotifyData_.szTip, Hint_);
}

void TCoolTrayIcon::HideToTray() {
    if (Owner_)
        ::ShowWindow(Owner_, SW_HIDE); // returns the previous visibility, not an error
    SetIconVisible(true);
}

HWND TCoolTrayIcon::MenuTarget() const {
    return CommandTarget_ ? CommandTarget_ : Owner_;
}

void TCoolTrayIcon::OpenTrayMenu() {
    HMENU menu = PopupMenu_;
    HWND target = MenuTarget();
    POINT at{};
    if (!menu || !::IsMenu(menu) || !target || !::GetCursorPos(&at))
        return;
    // Without the foreground the menu would not close on a click elsewhere; it still works.
    ::SetForegroundWindow(target);
    // Modal: anything may happen meanwhile, this component included, so only locals after it.
    UINT command = static_cast<UINT>(
        ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, target, nullptr));
    if (!::IsWindow(target))
        return;
    if (command && !::PostMessageA(target, WM_COMMAND, MAKEWPARAM(command, 0), 0))
        RaiseLastWin32Error("PostMessage");
    // Makes the menu's owner run its message loop once more, so the next menu opens cleanly.
    if (!::PostMessageA(target, WM_NULL, 0, 0))
        RaiseLastWin32Error("PostMessage");
}

void TCoolTrayIcon::RunDefaultMenuItem() {
    HWND target = MenuTarget();
    if (!::IsMenu(PopupMenu_) || !target)
        return;
    // Top-level items only; a disabled default item does not run.
    UINT command = ::GetMenuDefaultItem(PopupMenu_, FALSE, 0);
    if (command == static_cast<UINT>(-1))
        return;
    if (!::PostMessageA(target, WM_COMMAND, MAKEWPARAM(command, 0), 0))
        RaiseLastWin32Error("PostMessage");
}

void TCoolTrayIcon::HandleCallback(UINT mouseMessage) {
    if (!Enabled)
        return;
    switch (mouseMessage) {
    case WM_LBUTTONDOWN:
        LeftButtonPressed();
        break;
    case WM_LBUTTONUP:
        LeftButtonReleased();
        break;
    case WM_LBUTTONDBLCLK:
        LeftDoubleClicked();
        break;
    case WM_RBUTTONDOWN:
        OpenTrayMenu();
        break;
    default: // raw mouse, pointer enter/exit and balloon notices are not offered
        break;
    }
}

void TCoolTrayIcon::LeftButtonPressed() {
    // With a double-click handler a click must wait to see whether a second one follows.
    if (OnDblClick) {
        ClickDelayTimer_.SetIntervalMs(::GetDoubleClickTime());
        ClickDelayTimer_.StartTimer();
    }
    LeftButtonDown_ = true;
    if (LeftPopup)
        OpenTrayMenu();
}

void TCoolTrayIcon::LeftButtonReleased() {
    bool click = false;
    if (LeftButtonDown_) {
        ClickPending_ = true;
        if (!ClickDelayTimer_.Active()) {
            ClickPending_ = false;
            click = true;
        }
    }
    LeftButtonDown_ = false;
    if (click)
        FireEvent(OnClick, Alive_);
}

void TCoolTrayIcon::LeftDoubleClicked() {
    ClickPending_ = false;
    // Only a running delay ever clears this again; set without one it would swallow the next
    // single click once a double-click handler is assigned.
    if (ClickDelayTimer_.Active())
        DoubleClicked_ = true;
    if (!FireEvent(OnDblClick, Alive_))
        return;
    if (PopupMenu_ && !LeftPopup)
        RunDefaultMenuItem();
}

void TCoolTrayIcon::ClickDelayTimerTick() {
    ClickDelayTimer_.StopTimer(true);
    bool click = !DoubleClicked_ && ClickPending_;
    if (click)
        ClickPending_ = false;
    DoubleClicked_ = false;
    if (click)
        FireEvent(OnClick, Alive_);
}

void TCoolTrayIcon::OwnerMessage(UINT msg, WPARAM wParam) {
    if (msg == WM_SIZE && wParam == SIZE_MINIMIZED && MinimizeToTray)
        HideToTray();
    if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_RESTORE && !::IsWindowVisible(Owner_))
        ::ShowWindow(Owner_, SW_SHOW);
}

LRESULT CALLBACK TCoolTrayIcon::OwnerSubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                                  UINT_PTR id, DWORD_PTR refData) {
    auto* self = reinterpret_cast<TCoolTrayIcon*>(refData);
    if (msg == WM_NCDESTROY) {
        ::RemoveWindowSubclass(wnd, &OwnerSubclassProc, id);
        self->OwnerSubclassed_ = false;
        self->Owner_ = nullptr;
        return ::DefSubclassProc(wnd, msg, wParam, lParam);
    }
    std::shared_ptr<bool> alive = self->Alive_;
    LRESULT result = ::DefSubclassProc(wnd, msg, wParam, lParam);
    if (!*alive)
        return result;
    try {
        self->OwnerMessage(msg, wParam);
    } catch (const std::exception& e) {
        TApplication::Instance().ShowException(e);
    }
    return result;
}
