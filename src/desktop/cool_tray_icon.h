// TCoolTrayIcon: an icon with a tooltip in the notification area that reports clicks, opens a
// popup menu, hides its owner window there on minimise and comes back when Explorer restarts.
#pragma once
#include "desktop/notice_window.h"
#include "desktop/simple_timer.h"
#include "platform/handle.h"

#include <shellapi.h>
#include <functional>
#include <memory>
#include <string>

class TCoolTrayIcon {
  public:
    // The shell's notification entry point; tests pass a recorder instead.
    using TShellNotify = std::function<BOOL(DWORD message, NOTIFYICONDATAA* data)>;
    // Makes the icon picture for a given edge length in pixels; the component owns the result.
    using TIconLoader = std::function<HICON(int sizePx)>;
    // The callback message the shell sends to the handler window (WM_USER + 1024).
    static constexpr UINT CallbackMessage = WM_USER + 1024;

    // owner: the window that is hidden into the notification area (may be null).
    explicit TCoolTrayIcon(HWND owner, TShellNotify shellNotify = &::Shell_NotifyIconA);
    TCoolTrayIcon(const TCoolTrayIcon&) = delete;
    TCoolTrayIcon& operator=(const TCoolTrayIcon&) = delete;
    ~TCoolTrayIcon();

    // Keeps its own copy of the icon; null clears the picture.
    void SetIcon(HICON icon);
    // Shows this picture and owns it; the one before goes once the shell has the new one.
    void TakeIcon(TIconHandle icon);
    // Loads the picture now and again whenever the display's DPI changes.
    void SetIconLoader(TIconLoader loader);
    HICON Icon() const { return Icon_.get(); }

    void SetHint(const std::string& hint);
    const std::string& Hint() const { return Hint_; }
    void SetShowHint(bool value);
    bool ShowHint() const { return ShowHint_; }

    // Whether the icon is meant to be shown, whatever the shell last answered.
    void SetIconVisible(bool value);
    bool IconVisible() const { return IconVisible_; }

    // The right button (and the left one with LeftPopup) opens menu; its chosen command and
    // its default item on a double click are posted as WM_COMMAND to commandTarget.
    void SetPopupMenu(HMENU menu, HWND commandTarget);
    bool LeftPopup = false;
    bool MinimizeToTray = false;
    // When false every mouse callback is ignored.
    bool Enabled = true;

    std::function<void()> OnClick;
    std::function<void()> OnDblClick;

    // Each returns whether the shell accepted the request.
    bool AddTrayIcon();
    bool DeleteTrayIcon();
    bool UpdateTrayIcon();
    void HideToTray();
    void OpenTrayMenu();

    // Tells the user something: a balloon from the icon (a notification on newer Windows), or,
    // while the icon is hidden or the shell refuses, a small window of the component's own.
    void ShowNotice(const std::string& title, const std::string& text);
    // The fallback window while it is open, else null.
    HWND NoticeWindow() const { return Notice_ ? Notice_->Handle() : nullptr; }

    // The window and id under which the shell knows this icon.
    HWND CallbackWindow() const { return NotifyData_.hWnd; }
    UINT IconId() const { return NotifyData_.uID; }
    const TSimpleTimer& ClickDelayTimer() const { return ClickDelayTimer_; }

  private:
    friend class TTrayIconHandler;
    void HandleCallback(UINT mouseMessage);
    void LeftButtonPressed();
    void LeftButtonReleased();
    void LeftDoubleClicked();
    void ClickDelayTimerTick();
    void RunDefaultMenuItem();
    HWND MenuTarget() const;
    void ReloadIcon(UINT dpi);
    bool ShowBalloon(const std::string& title, const std::string& text);
    void PrepareNotifyData();
    bool Notify(DWORD message);
    void OwnerMessage(UINT msg, WPARAM wParam);
    static LRESULT CALLBACK OwnerSubclassProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR id, DWORD_PTR refData);

    HWND Owner_;
    bool OwnerSubclassed_ = false;
    TShellNotify ShellNotify_;
    NOTIFYICONDATAA NotifyData_{};
    TIconHandle Icon_;
    TIconLoader IconLoader_;
    std::string Hint_;
    bool ShowHint_ = true;
    bool IconVisible_ = false;
    HMENU PopupMenu_ = nullptr;
    HWND CommandTarget_ = nullptr;
    bool LeftButtonDown_ = false;
    bool ClickPending_ = false;
    bool DoubleClicked_ = false;
    TSimpleTimer ClickDelayTimer_;
    std::unique_ptr<TNoticeWindow> Notice_;
    // Cleared by the destructor: an event handler may destroy the component.
    std::shared_ptr<bool> Alive_ = std::make_shared<bool>(true);
};
