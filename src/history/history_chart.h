// The History chart's geometry: a value axis in round steps of KB, MB, GB or TB, the bars of
// a page, their labels and the legend, for a given size and DPI. The window only draws it.
#pragma once
#include "platform/screen_geometry.h"
#include "history/history_page.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TValueAxis {
    int UnitPower = 1;         // the unit is 1024^UnitPower bytes: 1 KB to 4 TB
    uint64_t StepMantissa = 1; // one step is StepMantissa * 10^StepExponent units
    int StepExponent = 0;
    int Steps = 1; // the axis runs from 0 to Steps steps

    long double TopBytes() const;
    // "0.5 MB": the value at a step, with the user's decimal separator.
    std::string Label(int step, char separator) const;
};

// The unit is the largest one that the largest value reaches (at least KB, and the axis is at
// least 1 KB high); the step is 1, 2 or 5 times a power of ten, as small as it can be with
// at most maxSteps steps.
TValueAxis ChooseValueAxis(uint64_t largest, int maxSteps);

struct TChartMetrics {
    int Dpi = 96;
    int LineHeight = 13;                              // of the chart's font, in pixels
    std::function<int(const std::string&)> TextWidth; // in pixels
    char Separator = '.';
};

struct TChartBarBox {
    TRectI Slot; // the bar's whole column: hover and selection
    TRectI In;   // empty when the value draws no pixel
    TRectI Out;
};

struct TChartText {
    int X = 0, Y = 0; // the text's reference point; see the fields for the alignment
    std::string Text;
};

struct TChartLayout {
    TRectI Title;                    // left-aligned page title
    TRectI InSwatch, OutSwatch;      // legend squares
    TChartText InLegend, OutLegend;  // left edge and top of the legend words
    TRectI Plot;                     // the area the bars stand in; the axis is its left edge
    std::vector<TChartText> Ticks;   // right edge of the label, and the tick line's y
    std::vector<TChartText> XLabels; // centre and top of the label
    std::vector<TChartBarBox> Bars;  // one per bar of the page
};

TChartLayout LayoutHistoryChart(const THistoryPage& page, int width, int height,
                                const TChartMetrics& metrics);

// The page as the chart shows it at this size: a page of years that do not fit at the
// narrowest column has them grouped into bars of 2, 5, 10, 20, ... years (GroupYears).
THistoryPage FitBarsToWidth(const THistoryPage& page, int width, int height,
                            const TChartMetrics& metrics);

// The bar whose column holds the point, or -1.
int BarAtPoint(const TChartLayout& layout, int x, int y);
