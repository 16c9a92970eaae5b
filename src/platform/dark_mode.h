// Windows' dark mode for the program's own windows. The documented calls where they exist
// (DwmSetWindowAttribute for title bars, SetWindowTheme for controls); uxtheme's entry points
// that exist by number only (the menus' app mode) where nothing else does. Each is looked up
// once, at run time, and a missing one leaves its part light.
#pragma once
#include "platform/system_library.h"
#include "theme/palette.h"

class TDarkMode {
  public:
    // The entry points, as bits of Found() and Called(), in the order they are looked up.
    enum TEntry : unsigned {
        deSetPreferredAppMode = 1,
        deAllowDarkModeForWindow = 2,
        deFlushMenuThemes = 4,
        deRefreshImmersiveColorPolicyState = 8,
        deDwmSetWindowAttribute = 16,
        deSetWindowTheme = 32,
        deLookedUpByNumber = 64, // of Found(): the unnamed ones were looked for (1809 and later)
    };

    TDarkMode();

    // The popup menus of the whole program dark or as Windows draws them.
    void SetMenusDark(bool dark);
    // A top-level window's title bar and the controls in it, dark or back to their default.
    void ThemeWindow(HWND window, bool dark);
    // Whether Windows has dark visual styles for push buttons ("DarkMode_Explorer"): they came
    // with the unnamed entry points. Where it has none, the windows draw them themselves.
    bool HasDarkStyles() const { return (found_ & deSetPreferredAppMode) != 0; }

    unsigned Found() const { return found_; }
    unsigned Called() const { return called_; }

  private:
    using TAllowForWindow = bool(WINAPI*)(HWND, bool);
    using TAppMode = int(WINAPI*)(int);
    using TFlush = void(WINAPI*)();
    using TSetAttribute = HRESULT(WINAPI*)(HWND, DWORD, const void*, DWORD);
    using TSetTheme = HRESULT(WINAPI*)(HWND, const wchar_t*, const wchar_t*);

    void Made(TEntry entry) { called_ |= entry; }
    static BOOL CALLBACK ThemeChild(HWND child, LPARAM context);
    void ThemeControl(HWND control, bool dark);
    void SetTheme(HWND control, bool dark, const wchar_t* darkTheme);

    DWORD build_;
    const TSystemLibrary uxtheme_{"uxtheme.dll"}, dwmapi_{"dwmapi.dll"};
    TAppMode setAppMode_ = nullptr;
    TAllowForWindow allowForWindow_ = nullptr;
    TFlush flushMenus_ = nullptr, refreshPolicy_ = nullptr;
    TSetAttribute setAttribute_ = nullptr;
    TSetTheme setTheme_ = nullptr;
    unsigned found_ = 0, called_ = 0;
};

// A push button, or a check box or radio button that looks like one (BS_PUSHLIKE).
bool IsPushButton(HWND control);
// Draws a push button (or a push-like check box) in the palette's colours, for NM_CUSTOMDRAW
// where Windows has no dark style for it; the notification's answer.
LRESULT DrawPushButton(const NMCUSTOMDRAW& draw, const TPalette& palette);
