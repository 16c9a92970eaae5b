// Template rendering: the tag table in replacement order, the template split into pieces, and
// the figures joined into the shown text.
#include "display/render.h"

#include <charconv>

#include "config/number_format.h"

namespace {

enum class TSource : uint8_t {
    DeltaIn,
    DeltaOut,
    TotalIn,
    TotalOut,
    TotalInOut,
    Log,
    PeriodIn,
    PeriodOut,
    PeriodInOut,
    PeriodLeft,
    QuotaPercent,
    DaysLeft,
};
enum class TUnit : uint8_t { KB, MB, GB, TB, Kbit, Mbit, Whole, Percent, MBPerDayLeft };

struct TTagRule {
    const char* Tag;
    TSource Source;
    TUnit Unit;
    TLogPeriod Period;
    TLogDirection Direction;
};

constexpr TTagRule Counter(const char* tag, TSource source, TUnit unit) {
    return {tag, source, unit, lpToday, ldIn};
}
constexpr TTagRule Sum(const char* tag, TLogPeriod period, TLogDirection direction, TUnit unit) {
    return {tag, TSource::Log, unit, period, direction};
}

// The numeric tags in the order they are replaced; earlier tags win where two share a '%'.
constexpr TTagRule kTagRules[] = {
    Counter("%kBinpersec%", TSource::DeltaIn, TUnit::KB),
    Counter("%kBoutpersec%", TSource::DeltaOut, TUnit::KB),
    Counter("%MBinout%", TSource::TotalInOut, TUnit::MB),
    Counter("%MBout%", TSource::TotalOut, TUnit::MB),
    Counter("%MBin%", TSource::TotalIn, TUnit::MB),
    Counter("%GBinout%", TSource::TotalInOut, TUnit::GB),
    Counter("%GBout%", TSource::TotalOut, TUnit::GB),
    Counter("%GBin%", TSource::TotalIn, TUnit::GB),
    Counter("%MBoutpersec%", TSource::DeltaOut, TUnit::MB),
    Counter("%MBinpersec%", TSource::DeltaIn, TUnit::MB),
    Counter("%Mbinpersec%", TSource::DeltaIn, TUnit::Mbit),
    Counter("%Mboutpersec%", TSource::DeltaOut, TUnit::Mbit),
    Counter("%Kbinpersec%", TSource::DeltaIn, TUnit::Kbit),
    Counter("%Kboutpersec%", TSource::DeltaOut, TUnit::Kbit),
    Sum("%MBinoutthisyear%", lpThisYear, ldInOut, TUnit::MB),
    Sum("%MBinthisyear%", lpThisYear, ldIn, TUnit::MB),
    Sum("%MBoutthisyear%", lpThisYear, ldOut, TUnit::MB),
    Sum("%GBinoutthisyear%", lpThisYear, ldInOut, TUnit::GB),
    Sum("%GBinthisyear%", lpThisYear, ldIn, TUnit::GB),
    Sum("%GBoutthisyear%", lpThisYear, ldOut, TUnit::GB),
    Sum("%TBinoutthisyear%", lpThisYear, ldInOut, TUnit::TB),
    Sum("%TBinthisyear%", lpThisYear, ldIn, TUnit::TB),
    Sum("%TBoutthisyear%", lpThisYear, ldOut, TUnit::TB),
    Sum("%MBinoutthismonth%", lpThisMonth, ldInOut, TUnit::MB),
    Sum("%MBinthismonth%", lpThisMonth, ldIn, TUnit::MB),
    Sum("%MBoutthismonth%", lpThisMonth, ldOut, TUnit::MB),
    Sum("%GBinoutthismonth%", lpThisMonth, ldInOut, TUnit::GB),
    Sum("%GBinthismonth%", lpThisMonth, ldIn, TUnit::GB),
    Sum("%GBoutthismonth%", lpThisMonth, ldOut, TUnit::GB),
    Sum("%TBinoutthismonth%", lpThisMonth, ldInOut, TUnit::TB),
    Sum("%TBinthismonth%", lpThisMonth, ldIn, TUnit::TB),
    Sum("%TBoutthismonth%", lpThisMonth, ldOut, TUnit::TB),
    Sum("%MBinoutthisweek%", lpThisWeek, ldInOut, TUnit::MB),
    Sum("%MBinthisweek%", lpThisWeek, ldIn, TUnit::MB),
    Sum("%MBoutthisweek%", lpThisWeek, ldOut, TUnit::MB),
    Sum("%GBinoutthisweek%", lpThisWeek, ldInOut, TUnit::GB),
    Sum("%GBinthisweek%", lpThisWeek, ldIn, TUnit::GB),
    Sum("%GBoutthisweek%", lpThisWeek, ldOut, TUnit::GB),
    Sum("%TBinoutthisweek%", lpThisWeek, ldInOut, TUnit::TB),
    Sum("%TBinthisweek%", lpThisWeek, ldIn, TUnit::TB),
    Sum("%TBoutthisweek%", lpThisWeek, ldOut, TUnit::TB),
    Sum("%MBinouttoday%", lpToday, ldInOut, TUnit::MB),
    Sum("%MBintoday%", lpToday, ldIn, TUnit::MB),
    Sum("%MBouttoday%", lpToday, ldOut, TUnit::MB),
    Sum("%GBinouttoday%", lpToday, ldInOut, TUnit::GB),
    Sum("%GBintoday%", lpToday, ldIn, TUnit::GB),
    Sum("%GBouttoday%", lpToday, ldOut, TUnit::GB),
    // The current billing period's figures.
    Counter("%MBinoutthisperiod%", TSource::PeriodInOut, TUnit::MB),
    Counter("%MBinthisperiod%", TSource::PeriodIn, TUnit::MB),
    Counter("%MBoutthisperiod%", TSource::PeriodOut, TUnit::MB),
    Counter("%GBinoutthisperiod%", TSource::PeriodInOut, TUnit::GB),
    Counter("%GBinthisperiod%", TSource::PeriodIn, TUnit::GB),
    Counter("%GBoutthisperiod%", TSource::PeriodOut, TUnit::GB),
    Counter("%MBleftthisperiod%", TSource::PeriodLeft, TUnit::MB),
    Counter("%GBleftthisperiod%", TSource::PeriodLeft, TUnit::GB),
    Counter("%quotapercent%", TSource::QuotaPercent, TUnit::Percent),
    Counter("%daysleftthisperiod%", TSource::DaysLeft, TUnit::Whole),
    Counter("%MBperdayleft%", TSource::PeriodLeft, TUnit::MBPerDayLeft),
};
constexpr int kTagCount = static_cast<int>(sizeof(kTagRules) / sizeof(kTagRules[0]));
static_assert(kTagCount == 58, "58 numeric tags");

// Mbit/s uses the decimal constant 0.00000762939453 (8 / 2^20 cut to nine digits), applied
// exactly as bytes * 762939453 * 10^-14; a 32-bit count times it fits in 64 bits.
constexpr uint64_t kMegabitFactor = 762939453;
constexpr int kMegabitScale = 14;

struct TRenderInput {
    const TMonitorCounters& Counters;
    const TLogTotals& Totals;
    const TQuotaFigures& Quota;
    int Decimals;
    char Separator;
};

uint64_t SourceBytes(const TTagRule& rule, const TRenderInput& in) {
    switch (rule.Source) {
    case TSource::DeltaIn:
        return in.Counters.DeltaIn;
    case TSource::DeltaOut:
        return in.Counters.DeltaOut;
    case TSource::TotalIn:
        return in.Counters.TotalIn;
    case TSource::TotalOut:
        return in.Counters.TotalOut;
    case TSource::TotalInOut: // wraps at 2^32 like the totals themselves
        return static_cast<uint32_t>(in.Counters.TotalIn + in.Counters.TotalOut);
    case TSource::Log:
        return in.Totals.Get(rule.Period, rule.Direction);
    case TSource::PeriodIn:
        return in.Quota.Used.In;
    case TSource::PeriodOut:
        return in.Quota.Used.Out;
    case TSource::PeriodInOut:
        return in.Quota.Used.In + in.Quota.Used.Out;
    case TSource::PeriodLeft:
        return in.Quota.LeftBytes;
    case TSource::DaysLeft:
        return static_cast<uint64_t>(in.Quota.DaysLeft > 0 ? in.Quota.DaysLeft : 0);
    case TSource::QuotaPercent: // a ratio, worked out by its unit
        break;
    }
    return in.Quota.Counted;
}

TStatText WholeNumber(uint64_t value) {
    TStatText text;
    text.Length = static_cast<size_t>(
        std::to_chars(text.Chars, text.Chars + kStatTextCapacity, value).ptr - text.Chars);
    return text;
}

// Every unit is a power of two except the megabit, which is the decimal constant above.
TStatText FormatTagValue(const TTagRule& rule, const TRenderInput& in) {
    const uint64_t bytes = SourceBytes(rule, in);
    switch (rule.Unit) {
    case TUnit::KB:
        return FormatStatBinary(bytes, -10, in.Decimals, in.Separator);
    case TUnit::MB:
        return FormatStatBinary(bytes, -20, in.Decimals, in.Separator);
    case TUnit::GB:
        return FormatStatBinary(bytes, -30, in.Decimals, in.Separator);
    case TUnit::TB:
        return FormatStatBinary(bytes, -40, in.Decimals, in.Separator);
    case TUnit::Kbit:
        return FormatStatBinary(bytes, -7, in.Decimals, in.Separator); // * 0.0078125
    case TUnit::Mbit:
        return FormatStatDecimal(bytes * kMegabitFactor, kMegabitScale, in.Decimals, in.Separator);
    case TUnit::Whole:
        return WholeNumber(bytes);
    case TUnit::Percent:
        return FormatStatFigure(in.Quota.Percent(), in.Decimals, in.Separator);
    case TUnit::MBPerDayLeft:
        break;
    }
    return FormatStatFigure(in.Quota.MBPerDayLeft(), in.Decimals, in.Separator);
}

} // namespace

const std::string& TStatisticsRenderer::Render(std::string_view templateText, int decimals,
                                               const TMonitorCounters& counters,
                                               const TLogTotals& totals, char decimalSeparator,
                                               const TQuotaFigures& quota) {
    if (templateText != template_)
        Compile(templateText);
    const TRenderInput input{counters, totals, quota, decimals, decimalSeparator};
    // Each figure is formatted once, when its tag first occurs; a length of 0 means not yet.
    TStatText values[kTagCount];
    text_.clear();
    for (const TPiece& piece : pieces_) {
        if (piece.Tag == kLiteral) {
            text_.append(template_, piece.Begin, piece.Length);
        } else if (piece.Tag == kLineBreak) {
            text_ += "\r\n";
        } else {
            TStatText& value = values[piece.Tag];
            if (value.Length == 0)
                value = FormatTagValue(kTagRules[piece.Tag], input);
            text_.append(value.Chars, value.Length);
        }
    }
    return text_;
}

void TStatisticsRenderer::Compile(std::string_view templateText) {
    template_.assign(templateText);
    pieces_.clear();
    if (!template_.empty())
        pieces_.push_back({0, template_.size(), kLiteral});
    SplitLiterals("%nl%", kLineBreak);
    for (int index = 0; index < kTagCount; ++index)
        SplitLiterals(kTagRules[index].Tag, index);
}

// Cuts each literal piece at the non-overlapping occurrences of `tag`, left to right.
void TStatisticsRenderer::SplitLiterals(std::string_view tag, int index) {
    scratch_.clear();
    for (const TPiece& piece : pieces_) {
        if (piece.Tag != kLiteral) {
            scratch_.push_back(piece);
            continue;
        }
        const std::string_view text(template_.data() + piece.Begin, piece.Length);
        size_t from = 0;
        for (size_t at; (at = text.find(tag, from)) != std::string_view::npos;
             from = at + tag.size()) {
            if (at > from)
                scratch_.push_back({piece.Begin + from, at - from, kLiteral});
            scratch_.push_back({piece.Begin + at, tag.size(), index});
        }
        if (from < text.size())
            scratch_.push_back({piece.Begin + from, text.size() - from, kLiteral});
    }
    pieces_.swap(scratch_);
}
