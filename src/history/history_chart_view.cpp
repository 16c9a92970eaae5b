// THistoryChartView: double-buffered GDI drawing of a chart layout, hover and keyboard choice.
#include "history/history_chart_view.h"
#include "platform/gdi_text.h"
#include "platform/ui_theme.h"

#include <windowsx.h>

namespace {

RECT ToRect(const TRectI& r) {
    return {r.Left, r.Top, r.Right, r.Bottom};
}

void Fill(HDC dc, const TRectI& r, TColour colour) {
    if (r.Width() > 0 && r.Height() > 0)
        FillSolid(dc, ToRect(r), colour);
}

void Text(HDC dc, const TChartText& text, UINT align) {
    ::SetTextAlign(dc, align);
    TextOutUtf8(dc, text.X, text.Y, text.Text);
}

} // namespace

THistoryChartView::THistoryChartView(HWND parent, int id, int dpi, TBarChanged barChanged)
    : barChanged_(std::move(barChanged)) {
    TWindowParams params;
    params.ClassName = "TCorvaneHistoryChart";
    params.Style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    params.X = params.Y = 0;
    params.Width = params.Height = 1;
    params.Parent = parent;
    params.PaintsWholeClient = true;
    CreateHandle(params);
    ::SetWindowLongPtrA(Handle(), GWLP_ID, id);
    SetDpi(dpi);
}

THistoryChartView::~THistoryChartView() {
    accessible_.reset();
    DestroyHandle();
}

void THistoryChartView::SetPage(const THistoryPage& page, char separator) {
    if (!(page.Cursor == page_.Cursor))
        selected_ = hover_ = -1;
    page_ = page;
    separator_ = separator;
    Layout();
}

// The new font is selected before the old one goes: a selected font cannot be deleted.
void THistoryChartView::SetDpi(int dpi) {
    dpi_ = dpi;
    TFontHandle font = MakeUiFont(TUiFont::Dialog, dpi);
    ::SelectObject(buffer_.Dc(), font.get());
    font_ = std::move(font);
    Layout();
}

// The buffer's DC holds the font, so it measures texts before it has a bitmap. Other bars than
// before (another page, or years grouped otherwise) drop the chosen one.
void THistoryChartView::Layout() {
    RECT client;
    ::GetClientRect(Handle(), &client);
    HDC dc = buffer_.Dc();
    TChartMetrics metrics;
    metrics.Dpi = dpi_;
    TEXTMETRICA tm{};
    ::GetTextMetricsA(dc, &tm);
    metrics.LineHeight = tm.tmHeight;
    metrics.TextWidth = [dc](const std::string& text) {
        return static_cast<int>(TextExtentUtf8(dc, text).cx);
    };
    metrics.Separator = separator_;
    THistoryPage shown = FitBarsToWidth(page_, client.right, client.bottom, metrics);
    if (shown.Bars.size() != shown_.Bars.size())
        selected_ = hover_ = -1;
    shown_ = std::move(shown);
    layout_ = LayoutHistoryChart(shown_, client.right, client.bottom, metrics);
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

void THistoryChartView::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(Handle(), &ps);
    RECT client;
    ::GetClientRect(Handle(), &client);
    if (client.right > 0 && client.bottom > 0) {
        if (!buffer_.Fit(Handle(), client.right, client.bottom))
            RaiseLastWin32Error("CreateCompatibleBitmap");
        Draw(buffer_.Dc(), client.right, client.bottom);
        ::BitBlt(dc, 0, 0, client.right, client.bottom, buffer_.Dc(), 0, 0, SRCCOPY);
    }
    ::EndPaint(Handle(), &ps);
}

// In the palette of the mode in force: the window repaints when it changes.
void THistoryChartView::Draw(HDC dc, int width, int height) {
    palette_ = UiPalette();
    FillSolid(dc, {0, 0, width, height}, palette_.Window);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, palette_.Text);
    RECT title = ToRect(layout_.Title);
    ::SetTextAlign(dc, TA_LEFT | TA_TOP); // DrawText follows the alignment the DC was left with
    DrawTextUtf8(dc, page_.Title, title, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    Fill(dc, layout_.InSwatch, palette_.ChartIn);
    Fill(dc, layout_.OutSwatch, palette_.ChartOut);
    Text(dc, layout_.InLegend, TA_LEFT | TA_TOP);
    Text(dc, layout_.OutLegend, TA_LEFT | TA_TOP);
    const int shown = ShownBar();
    if (shown >= 0 && shown < static_cast<int>(layout_.Bars.size()))
        Fill(dc, layout_.Bars[shown].Slot, palette_.Hover);
    DrawAxes(dc);
    DrawBars(dc);
    if (::GetFocus() == Handle()) {
        RECT focus = selected_ >= 0 && selected_ < static_cast<int>(layout_.Bars.size())
                         ? ToRect(layout_.Bars[selected_].Slot)
                         : ToRect(layout_.Plot);
        ::DrawFocusRect(dc, &focus);
    }
}

void THistoryChartView::DrawAxes(HDC dc) {
    if (layout_.Ticks.empty())
        return;
    TSelectObject pen(dc, ::GetStockObject(DC_PEN));
    ::SetDCPenColor(dc, palette_.Grid);
    TEXTMETRICA tm{};
    ::GetTextMetricsA(dc, &tm);
    for (const TChartText& tick : layout_.Ticks) {
        ::MoveToEx(dc, layout_.Plot.Left, tick.Y, nullptr);
        ::LineTo(dc, layout_.Plot.Right, tick.Y);
        Text(dc, {tick.X, tick.Y - tm.tmHeight / 2, tick.Text}, TA_RIGHT | TA_TOP);
    }
    ::SetDCPenColor(dc, palette_.Axis);
    ::MoveToEx(dc, layout_.Plot.Left, layout_.Plot.Top, nullptr);
    ::LineTo(dc, layout_.Plot.Left, layout_.Plot.Bottom);
    ::LineTo(dc, layout_.Plot.Right, layout_.Plot.Bottom);
    for (const TChartText& label : layout_.XLabels)
        Text(dc, label, TA_CENTER | TA_TOP);
}

void THistoryChartView::DrawBars(HDC dc) {
    for (const TChartBarBox& bar : layout_.Bars) {
        Fill(dc, bar.In, palette_.ChartIn);
        Fill(dc, bar.Out, palette_.ChartOut);
    }
}

void THistoryChartView::MouseMoved(int x, int y) {
    if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
        tracking_ = ::TrackMouseEvent(&track) != FALSE;
    }
    Hover(BarAtPoint(layout_, x, y));
}

void THistoryChartView::MouseLeft() {
    tracking_ = false;
    Hover(-1);
}

void THistoryChartView::Hover(int bar) {
    if (bar == hover_)
        return;
    hover_ = bar;
    ::InvalidateRect(Handle(), nullptr, FALSE);
    barChanged_();
}

void THistoryChartView::Select(int bar) {
    const int count = static_cast<int>(shown_.Bars.size());
    if (count == 0)
        return;
    selected_ = bar < 0 ? 0 : bar >= count ? count - 1 : bar;
    ::InvalidateRect(Handle(), nullptr, FALSE);
    NotifyFocusedBar();
    barChanged_();
}

std::string THistoryChartView::TBars::ItemName(int item) const {
    return BarSpokenFigures(view_.shown_.Bars[item], view_.separator_);
}

// A chart too small to draw has no places for its bars.
TRectI THistoryChartView::TBars::ItemRect(int item) const {
    const auto& bars = view_.layout_.Bars;
    return item < static_cast<int>(bars.size()) ? bars[item].Slot : TRectI{};
}

// The chosen bar while the chart has the keyboard focus.
int THistoryChartView::TBars::FocusedItem() const {
    return ::GetFocus() == view_.Handle() ? view_.selected_ : -1;
}

// A screen reader follows the chosen bar.
void THistoryChartView::NotifyFocusedBar() const {
    if (bars_.FocusedItem() >= 0)
        ::NotifyWinEvent(EVENT_OBJECT_FOCUS, Handle(), OBJID_CLIENT, selected_ + 1);
}

void THistoryChartView::KeyPressed(WPARAM key) {
    const int count = static_cast<int>(shown_.Bars.size());
    switch (key) {
    case VK_LEFT:
        Select(selected_ < 0 ? count - 1 : selected_ - 1);
        break;
    case VK_RIGHT:
        Select(selected_ < 0 ? 0 : selected_ + 1);
        break;
    case VK_HOME:
        Select(0);
        break;
    case VK_END:
        Select(count - 1);
        break;
    default:
        break;
    }
}

LRESULT THistoryChartView::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_KEYDOWN:
        KeyPressed(wParam);
        return 0;
    case WM_SETFOCUS:
        NotifyFocusedBar();
        [[fallthrough]];
    case WM_KILLFOCUS:
        ::InvalidateRect(Handle(), nullptr, FALSE);
        return 0;
    case WM_GETOBJECT:
        if (LRESULT answer = AnswerAccessibleObject(accessible_, Handle(), bars_, wParam, lParam))
            return answer;
        return TWindow::HandleMessage(msg, wParam, lParam);
    case WM_LBUTTONDOWN: {
        ::SetFocus(Handle());
        const int bar = BarAtPoint(layout_, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        if (bar >= 0)
            Select(bar);
        return 0;
    }
    case WM_MOUSEMOVE:
        MouseMoved(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSELEAVE:
        MouseLeft();
        return 0;
    default:
        return TWindow::HandleMessage(msg, wParam, lParam);
    }
}
