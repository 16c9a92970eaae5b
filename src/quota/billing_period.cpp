// Billing periods on the calendar, and the quota figures of the current one.
#include "quota/billing_period.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "log/calendar.h"

namespace {

constexpr uint64_t kMegabyte = uint64_t{1} << 20;

double StartInMonth(int year, int month, int startDay) {
    if (month < 1) {
        month += 12;
        --year;
    } else if (month > 12) {
        month -= 12;
        ++year;
    }
    return EncodeDate(year, month, std::min(startDay, DaysInMonth(year, month)));
}

uint64_t ToBytes(long double value) {
    if (!(value > 0))
        return 0;
    constexpr auto kMax = static_cast<long double>(std::numeric_limits<uint64_t>::max());
    return value >= kMax ? std::numeric_limits<uint64_t>::max() : static_cast<uint64_t>(value);
}

// Full days before today make the rate; before the first one ends, today so far is the rate.
long double DailyRate(const TQuotaFigures& f, uint64_t countedBeforeToday) {
    const double fullDays = f.Today - f.Period.First;
    if (fullDays < 1)
        return static_cast<long double>(f.Counted);
    return static_cast<long double>(countedBeforeToday) / static_cast<long double>(fullDays);
}

// The quota is gone after k more days at `rate` when Counted + k * rate reaches it.
std::optional<double> RunOutDay(const TQuotaFigures& f, long double rate) {
    if (f.QuotaBytes == 0 || f.Counted >= f.QuotaBytes || !(rate > 0))
        return std::nullopt;
    const long double days = std::ceil(static_cast<long double>(f.QuotaBytes - f.Counted) / rate);
    if (days > f.Period.Last - f.Today)
        return std::nullopt;
    return f.Today + static_cast<double>(days);
}

uint64_t SaturatedSum(uint64_t a, uint64_t b) {
    return a > std::numeric_limits<uint64_t>::max() - b ? std::numeric_limits<uint64_t>::max()
                                                        : a + b;
}

uint64_t Less(uint64_t a, uint64_t b) {
    return a > b ? a - b : 0;
}

// Takes up to `by` from `amount`, and what it lacked stays in `by`.
void Take(uint64_t& amount, uint64_t& by) {
    const uint64_t taken = std::min(amount, by);
    amount -= taken;
    by -= taken;
}

// What counts grows or shrinks by `by`: a difference in both directions is told as received.
void MoveCounted(TLogDirection counts, bool up, uint64_t by, TLogAmounts& amounts) {
    uint64_t& first = counts == ldOut ? amounts.Out : amounts.In;
    if (up) {
        first = SaturatedSum(first, by);
        return;
    }
    Take(first, by);
    if (counts == ldInOut)
        Take(amounts.Out, by);
}

} // namespace

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && IsLeapYear(year))
        return 29;
    return kDays[(month - 1) % 12];
}

TBillingPeriod BillingPeriodOf(double today, int startDay) {
    startDay = std::clamp(startDay, 1, 31);
    int year = 0, month = 0, day = 0;
    if (!DecodeDate(today, year, month, day))
        return {today, today};
    const double day0 = std::floor(today);
    if (day0 < StartInMonth(year, month, startDay))
        --month;
    return {StartInMonth(year, month, startDay), StartInMonth(year, month + 1, startDay) - 1};
}

long double TQuotaFigures::Percent() const {
    if (QuotaBytes == 0)
        return 0;
    return static_cast<long double>(Counted) * 100 / static_cast<long double>(QuotaBytes);
}

long double TQuotaFigures::MBPerDayLeft() const {
    if (DaysLeft <= 0)
        return 0;
    return static_cast<long double>(LeftBytes) / kMegabyte / static_cast<long double>(DaysLeft);
}

TQuotaFigures QuotaFiguresOf(const TQuotaTerms& terms, double today, const TLogAmounts& period,
                             const TLogAmounts& beforeToday) {
    TQuotaFigures f;
    f.Used = period;
    f.Counted = period.Get(terms.Counts);
    f.QuotaBytes = terms.QuotaMB > 0 ? static_cast<uint64_t>(terms.QuotaMB) * kMegabyte : 0;
    f.LeftBytes = f.QuotaBytes > f.Counted ? f.QuotaBytes - f.Counted : 0;
    int year = 0, month = 0, day = 0;
    if (!DecodeDate(today, year, month, day))
        return f; // a clock that gives no date has no period
    f.Today = std::floor(today);
    f.Period = BillingPeriodOf(f.Today, terms.StartDay);
    f.DaysLeft = static_cast<int64_t>(f.Period.Last - f.Today) + 1;
    const long double rate = DailyRate(f, beforeToday.Get(terms.Counts));
    f.Forecast = ToBytes(f.Counted + rate * static_cast<long double>(f.Period.Last - f.Today));
    f.RunOutDay = RunOutDay(f, rate);
    return f;
}

TQuotaFigures CurrentQuotaFigures(const TQuotaTerms& terms) {
    const double today = std::floor(LogNow());
    const TBillingPeriod period = BillingPeriodOf(today, terms.StartDay);
    return QuotaFiguresOf(terms, today, GetLogTotalBetween(period.First, period.Last),
                          GetLogTotalBetween(period.First, today - 1));
}

void SubtractFreeHours(const TLogAmounts& free, TLogAmounts& amounts) {
    amounts.In = Less(amounts.In, free.In);
    amounts.Out = Less(amounts.Out, free.Out);
}

void ApplyQuotaCorrection(const TQuotaTerms& terms, double periodFirst, TLogAmounts& period,
                          TLogAmounts& beforeToday) {
    if (!terms.Correction || terms.Correction->PeriodFirst != periodFirst)
        return;
    const uint64_t counted = period.Get(terms.Counts);
    const uint64_t wanted =
        SaturatedSum(terms.Correction->Provider, Less(counted, terms.Correction->CountedThen));
    const bool up = wanted >= counted;
    const uint64_t by = up ? wanted - counted : counted - wanted;
    MoveCounted(terms.Counts, up, by, period);
    MoveCounted(terms.Counts, up, by, beforeToday);
}
