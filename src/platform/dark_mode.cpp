// TDarkMode: the entry points looked up once, the title bars, menus and controls made dark, and
// the parts that no dark style covers drawn in the palette's colours.
#include "platform/dark_mode.h"
#include "platform/gdi_text.h"
#include "platform/ui_theme.h"

#include <commctrl.h>

#include <utility>

namespace {

// uxtheme's unnamed entry points, from Windows 10 1809 on.
constexpr WORD kRefreshImmersiveColorPolicyState = 104;
constexpr WORD kAllowDarkModeForWindow = 133;
constexpr WORD kSetPreferredAppMode = 135; // AllowDarkModeForApp(bool) in 1809
constexpr WORD kFlushMenuThemes = 136;
constexpr DWORD kBuild1809 = 17763, kBuild1903 = 18362;
constexpr int kForceDark = 2, kDefaultMode = 0;
// DWMWA_USE_IMMERSIVE_DARK_MODE, and its number before Windows 10 20H1.
constexpr DWORD kDarkTitleBar = 20, kDarkTitleBarBefore20H1 = 19;
constexpr UINT_PTR kDarkPaint = 1;

// Windows 10's build number, 0 before Windows 10.
DWORD WindowsBuild() {
    using TNumbers = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
    const auto numbers = reinterpret_cast<TNumbers>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "RtlGetNtVersionNumbers")));
    DWORD major = 0, minor = 0, build = 0;
    if (numbers)
        numbers(&major, &minor, &build);
    return major >= 10 ? build & 0xFFFF : 0;
}

bool IsClass(HWND window, const char* name) {
    char cls[32] = "";
    return ::GetClassNameA(window, cls, sizeof cls) > 0 && lstrcmpiA(cls, name) == 0;
}

HGDIOBJ FontOf(HWND control) {
    return reinterpret_cast<HGDIOBJ>(::SendMessageA(control, WM_GETFONT, 0, 0));
}

// The tab control has no dark style: its strip and frame are drawn here; the pages cover the
// rest of it.
void PaintTabs(HWND tabs, HDC dc) {
    const TPalette p = UiPalette();
    RECT rc;
    ::GetClientRect(tabs, &rc);
    FillSolid(dc, rc, p.Face);
    TabCtrl_AdjustRect(tabs, FALSE, &rc);
    ::InflateRect(&rc, 1, 1);
    FrameSolid(dc, rc, p.GreyText);
    TSelectObject font(dc, FontOf(tabs));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, p.Text);
    HIMAGELIST icons = TabCtrl_GetImageList(tabs);
    int cx = 0, cy = 0;
    ::ImageList_GetIconSize(icons, &cx, &cy);
    const int selected = TabCtrl_GetCurSel(tabs);
    for (int i = 0, count = TabCtrl_GetItemCount(tabs); i < count; ++i) {
        TabCtrl_GetItemRect(tabs, i, &rc);
        FillSolid(dc, rc, i == selected ? p.ButtonFace : p.Face);
        FrameSolid(dc, rc, p.GreyText);
        char text[64] = "";
        TCITEMA item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        TabCtrl_GetItem(tabs, i, &item);
        rc.left += 6;
        ::ImageList_Draw(icons, item.iImage, dc, rc.left, (rc.top + rc.bottom - cy) / 2,
                         ILD_TRANSPARENT);
        rc.left += cx + 3;
        DrawTextUtf8(dc, text, rc, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
}

// A group box's frame and caption, the caption in the colours its parent gives labels (which
// the dark style does not take) and on their ground, over the frame.
void PaintGroupBox(HWND box, HDC dc) {
    ::SendMessageA(::GetParent(box), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(box));
    TSelectObject font(dc, FontOf(box));
    TEXTMETRICA tm{};
    ::GetTextMetricsA(dc, &tm);
    RECT rc;
    ::GetClientRect(box, &rc);
    rc.top += tm.tmHeight / 2;
    FrameSolid(dc, rc, UiPalette().GreyText);
    char text[64] = "";
    ::GetWindowTextA(box, text, sizeof text);
    rc = {8, 0, rc.right, tm.tmHeight};
    ::SetBkMode(dc, OPAQUE);
    DrawTextUtf8(dc, text, rc, DT_SINGLELINE | DT_NOPREFIX);
}

// The tab control and group boxes in dark mode: drawn here whole.
LRESULT CALLBACK DarkPaintProc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR tabs) {
    if (msg == WM_ERASEBKGND)
        return 1;
    if (msg != WM_PAINT)
        return ::DefSubclassProc(control, msg, wParam, lParam);
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(control, &ps);
    if (tabs)
        PaintTabs(control, dc);
    else
        PaintGroupBox(control, dc);
    ::EndPaint(control, &ps);
    return 0;
}

void SetDarkPaint(HWND control, bool dark, bool tabs) {
    if (dark)
        ::SetWindowSubclass(control, DarkPaintProc, kDarkPaint, tabs);
    else
        ::RemoveWindowSubclass(control, DarkPaintProc, kDarkPaint);
}

} // namespace

// The unnamed entry points mean other functions, or nothing, before 1809.
TDarkMode::TDarkMode() : build_(WindowsBuild()) {
    setTheme_ = uxtheme_.FindProc<TSetTheme>("SetWindowTheme");
    setAttribute_ = dwmapi_.FindProc<TSetAttribute>("DwmSetWindowAttribute");
    if (build_ >= kBuild1809) {
        setAppMode_ = uxtheme_.FindProc<TAppMode>(kSetPreferredAppMode);
        allowForWindow_ = uxtheme_.FindProc<TAllowForWindow>(kAllowDarkModeForWindow);
        flushMenus_ = uxtheme_.FindProc<TFlush>(kFlushMenuThemes);
        refreshPolicy_ = uxtheme_.FindProc<TFlush>(kRefreshImmersiveColorPolicyState);
        found_ = deLookedUpByNumber;
    }
    const bool found[] = {setAppMode_ != nullptr,   allowForWindow_ != nullptr,
                          flushMenus_ != nullptr,   refreshPolicy_ != nullptr,
                          setAttribute_ != nullptr, setTheme_ != nullptr};
    for (unsigned i = 0; i < 6; ++i)
        found_ |= found[i] << i;
}

// 1809's function at this number takes a flag: dark where Windows' app mode is dark.
void TDarkMode::SetMenusDark(bool dark) {
    if (!setAppMode_ || !refreshPolicy_ || !flushMenus_)
        return;
    setAppMode_(build_ >= kBuild1903 ? (dark ? kForceDark : kDefaultMode) : dark);
    refreshPolicy_();
    flushMenus_();
    called_ |= deSetPreferredAppMode | deRefreshImmersiveColorPolicyState | deFlushMenuThemes;
}

void TDarkMode::ThemeWindow(HWND window, bool dark) {
    if (allowForWindow_) {
        allowForWindow_(window, dark);
        Made(deAllowDarkModeForWindow);
    }
    const LONG style = ::GetWindowLongA(window, GWL_STYLE);
    if (setAttribute_ && (style & WS_CAPTION) == WS_CAPTION) {
        const BOOL value = dark;
        if (FAILED(setAttribute_(window, kDarkTitleBar, &value, sizeof value)))
            setAttribute_(window, kDarkTitleBarBefore20H1, &value, sizeof value);
        Made(deDwmSetWindowAttribute);
    }
    std::pair<TDarkMode*, bool> context{this, dark};
    ::EnumChildWindows(window, ThemeChild, reinterpret_cast<LPARAM>(&context));
}

BOOL CALLBACK TDarkMode::ThemeChild(HWND child, LPARAM context) {
    const auto* self = reinterpret_cast<std::pair<TDarkMode*, bool>*>(context);
    self->first->ThemeControl(child, self->second);
    return TRUE;
}

// Themed check boxes and radio buttons draw their text in the style's colour, black even in
// the dark style: without a style they take the dialog's (WM_CTLCOLORSTATIC).
void TDarkMode::ThemeControl(HWND control, bool dark) {
    if (IsClass(control, WC_BUTTONA)) {
        if ((::GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX)
            SetDarkPaint(control, dark, false);
        else
            SetTheme(control, dark, IsPushButton(control) ? L"DarkMode_Explorer" : L"");
    } else if (IsClass(control, WC_EDITA)) {
        // A field of many lines has a scroll bar: Explorer's dark style has one.
        const bool scrolls = ::GetWindowLongA(control, GWL_STYLE) & ES_MULTILINE;
        SetTheme(control, dark, scrolls ? L"DarkMode_Explorer" : L"DarkMode_CFD");
    } else if (IsClass(control, WC_COMBOBOXA)) {
        // Without a dark style, the classic list takes the dialog's colours.
        SetTheme(control, dark, HasDarkStyles() ? L"DarkMode_CFD" : L"");
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        if (::GetComboBoxInfo(control, &info))
            SetTheme(info.hwndList, dark, L"DarkMode_Explorer");
    } else if (IsClass(control, PROGRESS_CLASSA)) {
        // Only the classic bar takes colours.
        SetTheme(control, dark, L"");
        const TPalette p = UiPalette();
        ::SendMessageA(control, PBM_SETBKCOLOR, 0, dark ? p.EditField : CLR_DEFAULT);
        ::SendMessageA(control, PBM_SETBARCOLOR, 0, dark ? p.ChartIn : CLR_DEFAULT);
    } else if (IsClass(control, WC_TABCONTROLA)) {
        SetDarkPaint(control, dark, true);
    }
}

// L"" as the dark theme: no visual style at all while dark.
void TDarkMode::SetTheme(HWND control, bool dark, const wchar_t* darkTheme) {
    if (!setTheme_)
        return;
    if (allowForWindow_)
        allowForWindow_(control, dark);
    const bool none = dark && !*darkTheme;
    setTheme_(control, dark ? darkTheme : nullptr, none ? L"" : nullptr);
    Made(deSetWindowTheme);
}

bool IsPushButton(HWND control) {
    const LONG style = ::GetWindowLongA(control, GWL_STYLE);
    return IsClass(control, WC_BUTTONA) &&
           ((style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON || (style & BS_PUSHLIKE));
}

LRESULT DrawPushButton(const NMCUSTOMDRAW& draw, const TPalette& p) {
    if (draw.dwDrawStage != CDDS_PREPAINT)
        return CDRF_DODEFAULT;
    HWND button = draw.hdr.hwndFrom;
    const bool on = (draw.uItemState & (CDIS_SELECTED | CDIS_HOT)) ||
                    ::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
    RECT rc = draw.rc;
    FillSolid(draw.hdc, rc, on ? p.Hover : p.ButtonFace);
    const bool isDefault = (::GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    FrameSolid(draw.hdc, rc, isDefault ? p.Text : p.GreyText);
    char text[64] = "";
    ::GetWindowTextA(button, text, sizeof text);
    TSelectObject font(draw.hdc, FontOf(button));
    ::SetBkMode(draw.hdc, TRANSPARENT);
    ::SetTextColor(draw.hdc, (draw.uItemState & CDIS_DISABLED) ? p.GreyText : p.ButtonText);
    const UINT prefix = (draw.uItemState & CDIS_SHOWKEYBOARDCUES) ? 0 : DT_HIDEPREFIX;
    DrawTextUtf8(draw.hdc, text, rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | prefix);
    if (draw.uItemState & CDIS_FOCUS) {
        ::InflateRect(&rc, -3, -3);
        ::DrawFocusRect(draw.hdc, &rc);
    }
    return CDRF_SKIPDEFAULT;
}
