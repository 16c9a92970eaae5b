// TDialog: creation at the monitor's DPI, the modal loop and dialog keyboard handling.
#include "platform/dialog.h"
#include "platform/application.h"
#include "platform/dark_mode.h"
#include "platform/text_fit.h"

#include <commctrl.h>

#include <utility>

namespace {

// Controls made by other means than AddControl get the dialog's font; others keep theirs.
BOOL CALLBACK SetChildFont(HWND child, LPARAM font) {
    if (!::SendMessageA(child, WM_GETFONT, 0, 0))
        ::SendMessageA(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    return TRUE;
}

} // namespace

std::optional<std::string> ComboItemText(HWND combo, LRESULT index) {
    LRESULT length = ::SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR)
        return std::nullopt;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    LRESULT copied = ::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                    reinterpret_cast<LPARAM>(text.data()));
    if (copied == CB_ERR)
        return std::nullopt;
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::optional<std::string> SelectedComboText(HWND combo) {
    return ComboItemText(combo, ::SendMessageA(combo, CB_GETCURSEL, 0, 0));
}

int TDialog::Scale(int pixels96) const {
    return ::MulDiv(pixels96, dpi_, 96);
}

void TDialog::CreateDialogWindow(const TDialogParams& params, HWND owner) {
    DWORD style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN | (params.SystemMenu ? WS_SYSMENU : 0) |
                  (params.Resizable ? WS_THICKFRAME | WS_MAXIMIZEBOX : 0) |
                  (params.OwnWindow ? WS_MINIMIZEBOX : 0);
    DWORD exStyle =
        (params.OwnWindow ? WS_EX_APPWINDOW : WS_EX_DLGMODALFRAME) | WS_EX_CONTROLPARENT;
    pageGround_ = params.Page;
    growsWithTexts_ = !params.Resizable;
    dpi_ = WindowDpi(owner);
    RECT rc{0, 0, Scale(params.ClientWidth), Scale(params.ClientHeight)};
    AdjustWindowRectForDpi(rc, style, exStyle, dpi_);
    int width = rc.right - rc.left, height = rc.bottom - rc.top;

    TWindowParams windowParams;
    windowParams.ClassName = params.ClassName;
    windowParams.Caption = params.Caption;
    windowParams.Style = style;
    windowParams.ExStyle = exStyle;
    windowParams.X = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    windowParams.Y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    windowParams.Width = width;
    windowParams.Height = height;
    windowParams.Parent = params.OwnWindow ? nullptr : owner;
    windowParams.ProgramIcon = params.OwnWindow;
    CreateHandle(windowParams);
    font_ = MakeUiFont(TUiFont::Dialog, dpi_);
}

HWND TDialog::AddControl(const TControlArgs& args) {
    HWND control = ::CreateWindowExA(
        args.ExStyle, args.ClassName, args.Text, WS_CHILD | WS_VISIBLE | args.Style, Scale(args.X),
        Scale(args.Y), Scale(args.Width), Scale(args.Height), args.Parent ? args.Parent : Handle(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.Id)), ::GetModuleHandleA(nullptr),
        nullptr);
    if (!control)
        RaiseLastWin32Error("CreateWindowEx");
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return control;
}

void TDialog::ShowModal(HWND owner) {
    HWND self = Handle();
    TApplication::TModalRun run(self);
    if (owner && ::IsWindowEnabled(owner)) {
        ::EnableWindow(owner, FALSE);
        disabledOwner_ = owner;
    }
    Show();
    MSG msg;
    bool quit = false;
    while (::IsWindow(self)) {
        BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            quit = got == 0;
            break;
        }
        if (TApplication::DialogMessage(msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    EnableOwner();
    if (owner && ::IsWindow(owner) && ::IsWindowEnabled(owner))
        ::SetForegroundWindow(owner);
    if (quit)
        ::PostQuitMessage(static_cast<int>(msg.wParam));
    Close();
}

void TDialog::Show() {
    ::EnumChildWindows(Handle(), SetChildFont, reinterpret_cast<LPARAM>(font_.get()));
    if (std::exchange(growsWithTexts_, false))
        GrowToFitTexts(Handle());
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetForegroundWindow(Handle());
}

void TDialog::Close() {
    // The owner first, so that Windows activates it and not some other window.
    EnableOwner();
    DestroyHandle();
}

void TDialog::EnableOwner() {
    if (disabledOwner_)
        ::EnableWindow(std::exchange(disabledOwner_, nullptr), TRUE);
}

void TDialog::OnNotify(NMHDR&) {}

TColour TDialog::Ground() const {
    const TPalette palette = UiPalette();
    return pageGround_ ? palette.Page : palette.Face;
}

// As the system's dialogs do: the keyboard focus leaves with the window and comes back to the
// control that had it, at first to the first one that the Tab key reaches.
void TDialog::Activated(bool active) {
    if (!active) {
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(Handle(), focus))
            focused_ = focus;
        return;
    }
    if (!focused_ || !::IsChild(Handle(), focused_))
        focused_ = ::GetNextDlgTabItem(Handle(), nullptr, FALSE);
    ::SetFocus(focused_ ? focused_ : Handle());
}

// In light mode, on a page, labels and buttons stand on its colour and on the face they keep
// the system's; in the other modes every control takes the palette's. Through the DC's brush:
// a control paints with the brush on the DC it was given.
HBRUSH TDialog::OnControlColour(HDC dc, HWND, UINT kind) {
    const bool field = kind == WM_CTLCOLOREDIT || kind == WM_CTLCOLORLISTBOX;
    TColour ground = Ground();
    if (TUiTheme::Instance().Mode() != TThemeMode::Light && kind != WM_CTLCOLORSCROLLBAR) {
        const TPalette palette = UiPalette();
        ::SetTextColor(dc, palette.Text);
        if (field)
            ground = palette.EditField;
    } else if (!pageGround_ || field || kind == WM_CTLCOLORSCROLLBAR || kind == WM_CTLCOLORMSGBOX) {
        return nullptr;
    }
    ::SetBkColor(dc, ground);
    ::SetDCBrushColor(dc, ground);
    return static_cast<HBRUSH>(::GetStockObject(DC_BRUSH));
}

void TDialog::OnThemeChanged() {
    TUiTheme::Instance().ApplyTo(Handle());
}

// Push buttons that Windows cannot draw dark are drawn in the palette's colours.
LRESULT TDialog::Notified(NMHDR& header) {
    if (header.code == NM_CUSTOMDRAW && TUiTheme::Instance().DrawsButtons() &&
        IsPushButton(header.hwndFrom))
        return DrawPushButton(reinterpret_cast<NMCUSTOMDRAW&>(header), UiPalette());
    OnNotify(header);
    return 0;
}

LRESULT TDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    const UINT cancel = TApplication::CancelModalMessage();
    if (cancel && msg == cancel) {
        Cancel();
        return 0;
    }
    switch (msg) {
    case WM_COMMAND:
        // Escape arrives as IDCANCEL: no button of these dialogs answers it.
        if (LOWORD(wParam) == IDCANCEL && !Control(IDCANCEL))
            return 0;
        break;
    case WM_NOTIFY:
        return Notified(*reinterpret_cast<NMHDR*>(lParam));
    case WM_SHOWWINDOW:
        // Its controls are all there now: dark from the first paint.
        if (wParam && TUiTheme::Instance().Mode() == TThemeMode::Dark)
            OnThemeChanged();
        break;
    case DM_GETDEFID:
        return defaultId_ ? MAKELRESULT(defaultId_, DC_HASDEFID) : 0;
    case WM_ACTIVATE:
        Activated(LOWORD(wParam) != WA_INACTIVE);
        return 0;
    case WM_ERASEBKGND:
        FillClient(Handle(), reinterpret_cast<HDC>(wParam), Ground());
        return 1;
    default:
        break;
    }
    return TWindow::HandleMessage(msg, wParam, lParam);
}
