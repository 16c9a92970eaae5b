// Expansion of the display template into the shown text.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "log/usage_log.h"
#include "quota/billing_period.h"

// The adapter monitor's figures as one rendering sees them.
struct TMonitorCounters {
    uint32_t DeltaIn = 0;
    uint32_t DeltaOut = 0;
    uint32_t TotalIn = 0;
    uint32_t TotalOut = 0;
};

// The template's text split into literal pieces and tags once, when it changes; each rendering
// then only formats the figures and joins the pieces, without touching the heap once its text
// has grown to size.
//
// The pieces are what replacing tag after tag would leave: "%nl%" becomes CR LF, then each
// numeric tag in turn is replaced wherever it stands in the text left by the tags before it
// (case-sensitive, left to right, no rescan of inserted text). An inserted text is CR LF, or
// digits with at most a separator between two of them, and no tag holds a digit, CR or LF: so
// no tag can match across one, and each tag only needs looking for in the literal text left.
// Anything else, ampersands included, is left as written.
class TStatisticsRenderer {
  public:
    // The shown text, valid until the next call.
    const std::string& Render(std::string_view templateText, int decimals,
                              const TMonitorCounters& counters, const TLogTotals& totals,
                              char decimalSeparator, const TQuotaFigures& quota = TQuotaFigures());

  private:
    static constexpr int kLiteral = -1;
    static constexpr int kLineBreak = -2;
    // A stretch of the template: literal text, the line break or a numeric tag (its index in
    // the order of replacement).
    struct TPiece {
        size_t Begin;
        size_t Length;
        int Tag;
    };

    void Compile(std::string_view templateText);
    void SplitLiterals(std::string_view tag, int index);

    std::string template_;
    std::vector<TPiece> pieces_;
    std::vector<TPiece> scratch_;
    std::string text_;
};
