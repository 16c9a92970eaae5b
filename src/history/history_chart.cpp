// The History chart's value axis and layout: pure arithmetic on a page and a size.
#include "history/history_chart.h"
#include "config/number_format.h"
#include "text/texts.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kPad = 8, kGap = 4; // at 96 DPI
constexpr int kNarrowestBar = 4;  // a column narrower than this groups years

int Scaled(const TChartMetrics& m, int pixels96) {
    return (pixels96 * m.Dpi + 48) / 96;
}

// Exact up to 10^27, and the quotient of exact values below 1: no power function linked for it.
long double PowerOfTen(int exponent) {
    long double power = 1;
    for (int i = 0; i < std::abs(exponent); ++i)
        power *= 10;
    return exponent < 0 ? 1 / power : power;
}

// Labels every k-th bar, k from the bars' round steps: hours and months by divisors of a day
// or a year, days and years by the usual decimal steps.
const std::vector<int>& LabelSteps(THistoryUnit bar) {
    static const std::vector<int> clock{1, 2, 3, 4, 6, 12, 24};
    static const std::vector<int> days{1, 2, 3, 5, 7, 10, 15, 31};
    static const std::vector<int> years{1, 2, 5, 10, 20, 50, 100, 1000};
    switch (bar) {
    case THistoryUnit::Hour:
    case THistoryUnit::Month:
        return clock;
    case THistoryUnit::Day:
        return days;
    case THistoryUnit::Year:
        break;
    }
    return years;
}

int BarHeight(uint64_t value, long double top, int plotHeight) {
    if (value == 0)
        return 0;
    const long double h = static_cast<long double>(value) / top * plotHeight;
    return std::clamp(static_cast<int>(std::lround(h)), 1, plotHeight); // traffic never vanishes
}

void PlaceLegend(TChartLayout& layout, int width, int pad, const TChartMetrics& m, int scaled12) {
    const int square = std::max(1, m.LineHeight * 3 / 4);
    const int squareTop = pad + (m.LineHeight - square) / 2;
    const std::string& in = Text(TTextId::HistoryLegendIn);
    const std::string& out = Text(TTextId::HistoryLegendOut);
    int x = width - pad - m.TextWidth(out);
    layout.OutLegend = {x, pad, out};
    x -= square + pad / 2;
    layout.OutSwatch = {x, squareTop, x + square, squareTop + square};
    x -= scaled12 + m.TextWidth(in);
    layout.InLegend = {x, pad, in};
    x -= square + pad / 2;
    layout.InSwatch = {x, squareTop, x + square, squareTop + square};
}

void PlaceBars(TChartLayout& layout, const THistoryPage& page, const TValueAxis& axis, int widest) {
    const TRectI& plot = layout.Plot;
    const size_t n = page.Bars.size();
    const long double top = axis.TopBytes();
    for (size_t i = 0; i < n; ++i) {
        TChartBarBox box;
        box.Slot = {plot.Left + static_cast<int>(plot.Width() * i / n), plot.Top,
                    plot.Left + static_cast<int>(plot.Width() * (i + 1) / n), plot.Bottom};
        // In and out side by side over seven tenths of the column, and never wider than widest.
        const int half = std::clamp(box.Slot.Width() * 7 / 20, 1, widest);
        const int centre = box.Slot.Left + box.Slot.Width() / 2;
        const int inHeight = BarHeight(page.Bars[i].In, top, plot.Height());
        const int outHeight = BarHeight(page.Bars[i].Out, top, plot.Height());
        if (inHeight > 0)
            box.In = {centre - half, plot.Bottom - inHeight, centre, plot.Bottom};
        if (outHeight > 0)
            box.Out = {centre, plot.Bottom - outHeight, centre + half, plot.Bottom};
        layout.Bars.push_back(box);
    }
}

void PlaceXLabels(TChartLayout& layout, const THistoryPage& page, const TChartMetrics& m, int gap) {
    if (layout.Bars.empty())
        return;
    int widest = 0;
    for (const THistoryBar& bar : page.Bars)
        widest = std::max(widest, m.TextWidth(bar.AxisLabel));
    const long double slot = static_cast<long double>(layout.Plot.Width()) / page.Bars.size();
    int every = 1;
    for (int k : LabelSteps(ViewInfo(page.Cursor.View).Bar)) {
        every = k;
        if (slot * k >= widest + 3 * gap / 2)
            break;
    }
    for (size_t i = 0; i < page.Bars.size(); ++i) {
        const TRectI& s = layout.Bars[i].Slot;
        const int centre = s.Left + s.Width() / 2;
        // The night the clocks go back has one local hour twice, side by side.
        const bool crowded = !layout.XLabels.empty() && centre - layout.XLabels.back().X < widest;
        if (page.Bars[i].Ordinal % every != 0 || crowded)
            continue;
        layout.XLabels.push_back({centre, layout.Plot.Bottom + gap, page.Bars[i].AxisLabel});
    }
}

// The title, the legend, the value axis's labels and the plot's rectangle; the axis it chose.
TValueAxis PlaceFrame(TChartLayout& layout, const THistoryPage& page, int width, int height,
                      const TChartMetrics& m) {
    const int pad = Scaled(m, kPad), gap = Scaled(m, kGap);
    PlaceLegend(layout, width, pad, m, Scaled(m, 12));
    layout.Title = {pad, pad, std::max(pad, layout.InSwatch.Left - gap), pad + m.LineHeight};

    const int top = pad + m.LineHeight + Scaled(m, 12);
    const int bottom = height - pad - m.LineHeight - gap;
    uint64_t largest = 0;
    for (const THistoryBar& bar : page.Bars)
        largest = std::max({largest, bar.In, bar.Out});
    const TValueAxis axis =
        ChooseValueAxis(largest, std::clamp((bottom - top) / (2 * m.LineHeight), 1, 10));
    int labelWidth = 0;
    for (int i = 0; i <= axis.Steps; ++i) {
        layout.Ticks.push_back({0, 0, axis.Label(i, m.Separator)});
        labelWidth = std::max(labelWidth, m.TextWidth(layout.Ticks.back().Text));
    }
    layout.Plot = {pad + labelWidth + 2 * gap, top, width - pad, bottom};
    return axis;
}

} // namespace

long double TValueAxis::TopBytes() const {
    return Steps * StepMantissa * PowerOfTen(StepExponent) * std::ldexp(1.0L, 10 * UnitPower);
}

std::string TValueAxis::Label(int step, char separator) const {
    const uint64_t mantissa = static_cast<uint64_t>(step) * StepMantissa;
    std::string number;
    if (StepExponent >= 0)
        number = std::to_string(mantissa * static_cast<uint64_t>(PowerOfTen(StepExponent)));
    else
        number = std::string(
            FormatStatDecimal(mantissa, -StepExponent, -StepExponent, separator).View());
    return FormatText(Text(TTextId::HistoryAmount),
                      {{"number", number}, {"unit", ByteUnitName(UnitPower)}});
}

TValueAxis ChooseValueAxis(uint64_t largest, int maxSteps) {
    maxSteps = std::max(1, maxSteps);
    TValueAxis axis;
    while (axis.UnitPower < 4 && (largest >> (10 * (axis.UnitPower + 1))) != 0)
        ++axis.UnitPower;
    const long double value =
        std::max(1.0L, static_cast<long double>(largest) / std::ldexp(1.0L, 10 * axis.UnitPower));
    // A hair below each quotient, so that a value on a step is not lifted to the next.
    auto stepsFor = [value](long double step) {
        return std::max(1, static_cast<int>(std::ceil(value / step * (1 - 1e-12L))));
    };
    int exponent = static_cast<int>(std::floor(std::log10(value / maxSteps)));
    for (;; ++exponent) {
        for (uint64_t mantissa : {1, 2, 5}) {
            const long double step = mantissa * PowerOfTen(exponent);
            if (stepsFor(step) <= maxSteps) {
                axis.StepMantissa = mantissa;
                axis.StepExponent = exponent;
                axis.Steps = stepsFor(step);
                return axis;
            }
        }
    }
}

TChartLayout LayoutHistoryChart(const THistoryPage& page, int width, int height,
                                const TChartMetrics& m) {
    TChartLayout layout;
    const TValueAxis axis = PlaceFrame(layout, page, width, height, m);
    if (layout.Plot.Width() < static_cast<int>(page.Bars.size()) || layout.Plot.Height() < 2) {
        layout.Ticks.clear(); // too small to draw anything but the title
        return layout;
    }
    for (int i = 0; i <= axis.Steps; ++i) {
        layout.Ticks[i].X = layout.Plot.Left - Scaled(m, kGap);
        layout.Ticks[i].Y = layout.Plot.Bottom - layout.Plot.Height() * i / axis.Steps;
    }
    PlaceBars(layout, page, axis, Scaled(m, 24));
    PlaceXLabels(layout, page, m, Scaled(m, kGap));
    return layout;
}

// The grouping is chosen on the plot of the years one by one: grouped, the axis's labels may be
// a little wider and the columns a pixel narrower, which they can spare.
THistoryPage FitBarsToWidth(const THistoryPage& page, int width, int height,
                            const TChartMetrics& m) {
    if (ViewInfo(page.Cursor.View).Bar != THistoryUnit::Year || page.Bars.empty())
        return page;
    TChartLayout frame;
    PlaceFrame(frame, page, width, height, m);
    const int columns = frame.Plot.Width() / Scaled(m, kNarrowestBar);
    const int first = page.Bars.front().Ordinal, last = page.Bars.back().Ordinal;
    for (int years : {1, 2, 5, 10, 20, 50, 100, 200, 500, 1000}) {
        if (last / years - first / years < columns)
            return years == 1 ? page : GroupYears(page, years);
    }
    return GroupYears(page, 10000);
}

int BarAtPoint(const TChartLayout& layout, int x, int y) {
    if (y < layout.Plot.Top || y > layout.Plot.Bottom)
        return -1;
    for (size_t i = 0; i < layout.Bars.size(); ++i) {
        const TRectI& s = layout.Bars[i].Slot;
        if (x >= s.Left && x < s.Right)
            return static_cast<int>(i);
    }
    return -1;
}
