// Docking the meter on the taskbar beside the notification area.
#include "platform/taskbar_placement.h"

#include <algorithm>

namespace {

bool IsEmpty(const TRectI& r) {
    return r.Width() <= 0 || r.Height() <= 0;
}

TRectI Intersect(const TRectI& a, const TRectI& b) {
    return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
}

// What the meter sits beside: the notification area, else our own icon; the shell may report
// either as empty at start-up or, stale, somewhere off the bar.
TRectI Anchor(const TTaskbarScene& s, const TRectI& bar, bool vertical) {
    for (const TRectI& r : {s.NotifyRect, s.IconRect}) {
        TRectI onBar = Intersect(r, bar);
        if (!IsEmpty(onBar))
            return onBar;
    }
    if (vertical)
        return {bar.Left, bar.Bottom, bar.Right, bar.Bottom};
    return {bar.Right, bar.Top, bar.Right, bar.Bottom};
}

} // namespace

std::optional<TDockPlace> PlaceOnTaskbar(const TTaskbarScene& s) {
    if (s.AutoHide && s.HiddenNow)
        return std::nullopt;
    const TRectI bar = Intersect(IsEmpty(s.WindowRect) ? s.ShellRect : s.WindowRect, s.Monitor);
    if (IsEmpty(bar))
        return std::nullopt;
    const bool vertical = s.Edge == TTaskbarEdge::Left || s.Edge == TTaskbarEdge::Right;
    const TRectI anchor = Anchor(s, bar, vertical);
    const int gap = (4 * s.Dpi + 48) / 96;
    // The room between the bar's start and the anchor.
    const int roomWidth = vertical ? bar.Width() : anchor.Left - gap - bar.Left;
    const int roomHeight = vertical ? anchor.Top - gap - bar.Top : bar.Height();
    auto fits = [&](TTextSize t) {
        return t.Width > 0 && t.Height > 0 && t.Width <= roomWidth && t.Height <= roomHeight;
    };

    TDockPlace place;
    TTextSize size = s.Text;
    if (!fits(size) && s.WrapTo) {
        size = s.WrapTo(roomWidth);
        place.Text = TDockText::Wrapped;
    }
    if (!fits(size)) {
        size = s.Smallest;
        place.Text = TDockText::Smallest;
    }
    if (!fits(size))
        return std::nullopt;

    if (vertical) {
        place.Rect.Left = bar.Left + (bar.Width() - size.Width) / 2;
        place.Rect.Bottom = anchor.Top - gap;
        place.Rect.Top = place.Rect.Bottom - size.Height;
        place.Rect.Right = place.Rect.Left + size.Width;
    } else {
        place.Rect.Right = anchor.Left - gap;
        place.Rect.Left = place.Rect.Right - size.Width;
        place.Rect.Top = bar.Top + (bar.Height() - size.Height) / 2;
        place.Rect.Bottom = place.Rect.Top + size.Height;
    }
    return place;
}
