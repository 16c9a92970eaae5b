// Tf_Main on the taskbar: a topmost tool window that never takes the focus and is no shell
// window's child, placed beside the notification area and placed again whenever that moves.
#include "app/main_form.h"
#include "resource.h"
#include "app/stats_label.h"
#include "app/taskbar_dock.h"
#include "config/config_keys.h"
#include "config/mem_ini_file.h"
#include "desktop/cool_tray_icon.h"
#include "platform/gdi_text.h"
#include "platform/ui_theme.h"

#include <commctrl.h>

#include <algorithm>

namespace {

constexpr LONG_PTR kDockStyles = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
// Windows' taskbar in its light and dark themes.
constexpr COLORREF kLightTaskbar = RGB(243, 243, 243), kDarkTaskbar = RGB(32, 32, 32);
// Font cell heights at 96 DPI: the largest a thick taskbar gets, the smallest still readable.
constexpr int kLargestCell = 18, kSmallestCell = 9;

int LineCount(const std::string& text) {
    return 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

// Hidden while its styles change, so that its taskbar button goes or comes with them; docked,
// the placement shows it.
void Tf_Main::SetDocked(bool docked) {
    if (docked == docked_)
        return;
    ::ShowWindow(Handle(), SW_HIDE);
    const LONG_PTR ex = ::GetWindowLongPtrA(Handle(), GWL_EXSTYLE);
    ::SetWindowLongPtrA(Handle(), GWL_EXSTYLE, docked ? ex | kDockStyles : ex & ~kDockStyles);
    docked_ = docked;
    dockTucked_ = false;
    dockTextWidth_ = dockTextHeight_ = 0;
    l_Stats->SetText(""); // the floating template's text is not measured for the taskbar
    if (docked) {
        dockMeasureDc_.reset(::CreateCompatibleDC(nullptr));
        if (!dockMeasureDc_)
            RaiseLastWin32Error("CreateCompatibleDC");
        dock_ = std::make_unique<TTaskbarDock>(Handle(), kMsgTaskbarChanged);
        return;
    }
    dock_.reset();
    dockMeasureDc_.reset();
    dockSmallFont_.reset();
    SetDockHint("");
    PlaceFromStore();
    ::ShowWindow(Handle(), SW_SHOWNA);
}

// The taskbar's own colours, unless the user chose colours of their own.
void Tf_Main::UseDockColours(TLook& look) const {
    if (look.Background != static_cast<COLORREF>(kDefaultBackgroundColour) ||
        look.FontColour != static_cast<COLORREF>(kWhiteColour))
        return;
    const bool light = TTaskbarDock::LightTaskbar();
    look.Background = light ? kLightTaskbar : kDarkTaskbar;
    look.FontColour = light ? RGB(0, 0, 0) : RGB(255, 255, 255);
}

// The taskbar moved, came back, changed its theme, or another window came forward: the meter is
// placed again, on top of it, without taking the focus.
void Tf_Main::TaskbarChanged() {
    if (!docked_)
        return;
    ApplyColoursAndFont(WantedLook());
    PlaceDocked();
}

// The screen, its DPI or the shell's settings changed: the shell may move the taskbar only
// after it has heard of it, so the meter is placed now and once more when that has settled.
void Tf_Main::DisplayChanged() {
    TaskbarChanged();
    if (!::SetTimer(Handle(), kTimerDockSettle, 1000, nullptr))
        RaiseLastWin32Error("SetTimer");
}

void Tf_Main::DockSettled() {
    ::KillTimer(Handle(), kTimerDockSettle);
    TaskbarChanged();
}

// The font's size follows the taskbar's thickness, as many lines as the text has.
void Tf_Main::PlaceDocked() {
    TTaskbarScene scene = dock_->Scene(TrayIcon->CallbackWindow(), TrayIcon->IconId());
    const TRectI& bar = scene.WindowRect.Width() > 0 ? scene.WindowRect : scene.ShellRect;
    const bool vertical = scene.Edge == TTaskbarEdge::Left || scene.Edge == TTaskbarEdge::Right;
    TLook wanted = look_;
    wanted.FontPixels = ::MulDiv(kLargestCell, dpi_, 96);
    if (!vertical)
        wanted.FontPixels =
            std::clamp((bar.Height() - 2 * kDockMarginY) / LineCount(l_Stats->Text()),
                       ::MulDiv(kSmallestCell, dpi_, 96), wanted.FontPixels);
    ApplyColoursAndFont(wanted);
    if (!dockSmallFont_)
        dockSmallFont_ = MakeFont(TFontSpec{look_.FontName.c_str(),
                                            ::MulDiv(kSmallestCell, dpi_, 96), look_.FontStyles});

    scene.Text = MeasureDocked(font_.get(), 0);
    scene.Smallest = MeasureDocked(dockSmallFont_.get(), 0);
    scene.WrapTo = [this](int width) { return MeasureDocked(font_.get(), width); };
    dockTextWidth_ = scene.Text.Width;
    dockTextHeight_ = scene.Text.Height;
    const std::optional<TDockPlace> place =
        TTaskbarDock::ScreenTaken() ? std::nullopt : PlaceOnTaskbar(scene);
    if (!place || dockTucked_) {
        ::ShowWindow(Handle(), SW_HIDE);
        return;
    }
    l_Stats->SetFont(place->Text == TDockText::Smallest ? dockSmallFont_.get() : font_.get());
    const TRectI& r = place->Rect;
    ::SetWindowPos(Handle(), HWND_TOPMOST, r.Left, r.Top, r.Width(), r.Height(),
                   SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// The text with its margins; unwrapped, the width goes up in steps, so that a digit more or
// less seldom moves the meter.
TTextSize Tf_Main::MeasureDocked(HFONT font, int wrapWidth) const {
    const std::string& text = l_Stats->Text();
    HDC dc = dockMeasureDc_.get();
    if (text.empty() || !dc)
        return {};
    TSelectObject selected(dc, font);
    const int margin = ::MulDiv(kDockMarginX, dpi_, 96);
    RECT rc{0, 0, wrapWidth > 0 ? std::max(1, wrapWidth - 2 * margin) : 0x7FFF, 0};
    DrawTextUtf8(dc, text, rc, DT_LEFT | DT_TOP | DT_WORDBREAK | DT_CALCRECT);
    int width = rc.right;
    if (wrapWidth <= 0)
        width = (width + 2 * margin - 1) / (2 * margin) * (2 * margin);
    return {width + 2 * margin, rc.bottom + 2 * kDockMarginY};
}

// The docked template's text, with the full one as its tooltip; a text of another size is
// placed anew.
void Tf_Main::WriteDockedText(const std::string& shown, const std::string& full) {
    if (shown == l_Stats->Text()) {
        SetDockHint(full);
        return;
    }
    l_Stats->SetText(shown);
    SetDockHint(full);
    const TTextSize size = MeasureDocked(font_.get(), 0);
    if (size.Width != dockTextWidth_ || size.Height != dockTextHeight_)
        PlaceDocked();
}

// The tooltip over the text: the full template while docked, none while floating.
void Tf_Main::SetDockHint(const std::string& hint) {
    if (hint == dockHint_ || !tooltip_)
        return;
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(l_Stats->Handle());
    tool.lpszText = const_cast<char*>(hint.c_str());
    const UINT message =
        hint.empty() ? TTM_DELTOOLA : dockHint_.empty() ? TTM_ADDTOOLA : TTM_UPDATETIPTEXTA;
    ::SendMessageA(tooltip_.get(), message, 0, reinterpret_cast<LPARAM>(&tool));
    // Its lines as the template breaks them.
    ::SendMessageA(tooltip_.get(), TTM_SETMAXTIPWIDTH, 0, 32767);
    dockHint_ = hint;
}

// "On the Taskbar": docks or floats at once, and is remembered.
void Tf_Main::OnTheTaskbar1Click() {
    WriteFlag(config_, cfg::kDock, !docked_);
    ApplyDisplaySettings();
    PopupMenu->SetDocked(docked_);
    updateErrors_.Run([this] { WriteStatistics(); });
}
