// TNoticeWindow: the caption, one text, and the corner of the primary work area.
#include "desktop/notice_window.h"
#include "platform/gdi_text.h"
#include "platform/dpi.h"

namespace {
enum TNoticeControl : int { ncText = 1 };
constexpr UINT_PTR kCloseTimer = 1;
constexpr int kWidth96 = 260;
constexpr int kMargin96 = 10;
} // namespace

TNoticeWindow::TNoticeWindow(const std::string& title, const std::string& text) {
    TWindowParams params;
    params.ClassName = kClassName;
    params.Caption = title.c_str();
    params.Style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    params.ExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
    params.X = params.Y = 0;
    params.Width = params.Height = 100;
    CreateHandle(params);
    const int dpi = WindowDpi(Handle());
    font_ = MakeUiFont(TUiFont::Notice, dpi);
    HWND label = ::CreateWindowExA(
        0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0, 0,
        1, 1, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(ncText)),
        ::GetModuleHandleA(nullptr), nullptr);
    if (!label)
        RaiseLastWin32Error("CreateWindowEx");
    ::SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    Place(text, dpi);
    if (TUiTheme::Instance().Mode() == TThemeMode::Dark)
        OnThemeChanged();
    if (!::SetTimer(Handle(), kCloseTimer, kShowMs, nullptr))
        RaiseLastWin32Error("SetTimer");
    ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
}

// As wide as a balloon, as high as the text needs, in the work area's lower right corner.
void TNoticeWindow::Place(const std::string& text, int dpi) {
    const int margin = ::MulDiv(kMargin96, dpi, 96);
    RECT textRect{0, 0, ::MulDiv(kWidth96, dpi, 96), 0};
    {
        TWindowDc dc(Handle());
        TSelectObject select(dc.get(), font_.get());
        DrawTextUtf8(dc.get(), text, textRect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    }
    ::SetWindowPos(::GetDlgItem(Handle(), ncText), nullptr, margin, margin, textRect.right,
                   textRect.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT frame{0, 0, textRect.right + 2 * margin, textRect.bottom + 2 * margin};
    AdjustWindowRectForDpi(frame, static_cast<DWORD>(::GetWindowLongPtrA(Handle(), GWL_STYLE)),
                           static_cast<DWORD>(::GetWindowLongPtrA(Handle(), GWL_EXSTYLE)), dpi);
    RECT work{};
    if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0))
        RaiseLastWin32Error("SystemParametersInfo");
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    ::SetWindowPos(Handle(), HWND_TOPMOST, work.right - width - margin,
                   work.bottom - height - margin, width, height, SWP_NOACTIVATE);
}

void TNoticeWindow::OnTimer(UINT_PTR id) {
    if (id == kCloseTimer)
        DestroyHandle();
}

void TNoticeWindow::OnCommand(int id, int code, HWND) {
    if (id == ncText && code == STN_CLICKED)
        DestroyHandle();
}

// The colours of the mode in force, through the DC's brush: the text draws on the DC it is given.
HBRUSH TNoticeWindow::OnControlColour(HDC dc, HWND, UINT kind) {
    if (kind != WM_CTLCOLORSTATIC)
        return nullptr;
    const TPalette palette = UiPalette();
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, palette.NoticeText);
    ::SetDCBrushColor(dc, palette.NoticeGround);
    return static_cast<HBRUSH>(::GetStockObject(DC_BRUSH));
}

void TNoticeWindow::OnThemeChanged() {
    TUiTheme::Instance().ApplyTo(Handle());
}

LRESULT TNoticeWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        DestroyHandle();
        return 0;
    case WM_ERASEBKGND:
        FillClient(Handle(), reinterpret_cast<HDC>(wParam), UiPalette().NoticeGround);
        return 1;
    default:
        return TWindow::HandleMessage(msg, wParam, lParam);
    }
}
