// Where the meter docks on the taskbar, worked out from what the shell and the windows report.
// Portable arithmetic: the Windows side gathers the facts, this decides.
#pragma once
#include "platform/screen_geometry.h"

#include <functional>
#include <optional>

enum class TTaskbarEdge { Left, Top, Right, Bottom }; // the shell's order, ABE_LEFT first

struct TTextSize {
    int Width = 0, Height = 0;
};

struct TTaskbarScene {
    TTaskbarEdge Edge = TTaskbarEdge::Bottom;
    TRectI ShellRect;  // the taskbar as the shell reports it
    TRectI WindowRect; // the taskbar window's own rectangle; empty when there is none
    TRectI NotifyRect; // the notification area; empty when missing
    TRectI IconRect;   // the program's own tray icon; empty when unknown
    TRectI Monitor;    // the taskbar's monitor
    int Dpi = 96;
    bool AutoHide = false, HiddenNow = false;
    TTextSize Text;     // the text at the chosen font, as the template breaks it
    TTextSize Smallest; // the same text at the smallest readable size
    // The text at the chosen font wrapped to a width; may be left empty.
    std::function<TTextSize(int width)> WrapTo;
};

enum class TDockText { AsMeasured, Wrapped, Smallest };

struct TDockPlace {
    TRectI Rect;
    TDockText Text = TDockText::AsMeasured;
};

// The rules:
// - The bar is the taskbar window's rectangle where there is one (the shell's answer may be a
//   1-pixel sliver while a whole bar shows), else the shell's, cut to the monitor.
// - The anchor is the notification area, else the program's tray icon, each only where it lies
//   on the bar; with neither, the bar's far end (right, or bottom on a vertical bar).
// - The meter ends a gap of 4 pixels at 96 DPI (scaled) before the anchor on the side facing
//   the task buttons: left of it and centred in the bar's height on a horizontal bar, above it
//   and centred in the bar's width on a vertical one.
// - It takes the text as measured, else wrapped to the room's width (on a vertical bar, the bar's
//   width), else at the smallest readable size; what it takes lies wholly in the bar, unclipped.
// Nothing (hide) for an auto-hidden taskbar that is hidden, no taskbar, or no text that fits.
std::optional<TDockPlace> PlaceOnTaskbar(const TTaskbarScene& scene);
