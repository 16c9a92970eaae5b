// Tests of the template rendering, with expected figures worked out here by long division.
#include "display/render.h"
#include "config/config_keys.h"

#include <gtest/gtest.h>

#include <vector>

#include "log/calendar.h"
#include "traffic/counters.h"

namespace {

constexpr uint64_t KB = 1024;
constexpr uint64_t MB = KB * KB;
constexpr uint64_t GB = MB * KB;
constexpr uint64_t TB = GB * KB;
constexpr uint64_t kMbitDen = 100000000000000; // bytes * 762939453 / 10^14

// num / den with its decimal digits found by long division, rounded first to nine significant
// digits and then to `decimals` places, each time half away from zero.
std::string Reference(uint64_t num, uint64_t den, int decimals, char separator) {
    std::vector<int> digits;
    for (char c : std::to_string(num / den)) {
        digits.push_back(c - '0');
    }
    const int integerLength = static_cast<int>(digits.size());
    uint64_t remainder = num % den;
    for (int i = 0; i < 48; ++i) {
        remainder *= 10;
        digits.push_back(static_cast<int>(remainder / den));
        remainder %= den;
    }
    EXPECT_EQ(remainder, 0u) << "reference needs more digits";
    int shift = 0; // digits added in front by a carry
    auto roundAt = [&](int keep) {
        if (keep < 0 || keep >= static_cast<int>(digits.size())) {
            return;
        }
        bool up = digits[keep] >= 5;
        for (size_t i = keep; i < digits.size(); ++i) {
            digits[i] = 0;
        }
        for (int i = keep - 1; up; --i) {
            if (i < 0) {
                digits.insert(digits.begin(), 1);
                ++shift;
                break;
            }
            up = ++digits[i] == 10;
            if (up) {
                digits[i] = 0;
            }
        }
    };
    int first = 0;
    while (first < static_cast<int>(digits.size()) && digits[first] == 0) {
        ++first;
    }
    roundAt(first + 9);
    roundAt(integerLength + shift + decimals);
    std::string text;
    for (int i = 0; i < integerLength + shift; ++i) {
        if (!text.empty() || digits[i] != 0 || i == integerLength + shift - 1) {
            text += static_cast<char>('0' + digits[i]);
        }
    }
    if (decimals > 0) {
        text += separator;
    }
    for (int i = 0; i < decimals; ++i) {
        text += static_cast<char>('0' + digits[integerLength + shift + i]);
    }
    return text;
}

// A fixed reading: a sum of totals that passes 2^32, and log sums up to some terabytes.
TMonitorCounters SampleCounters() {
    TMonitorCounters c;
    c.DeltaIn = 125000;
    c.DeltaOut = 1234567;
    c.TotalIn = 4000000000u;
    c.TotalOut = 1500000001u;
    return c;
}

TLogTotals SampleTotals() {
    const uint64_t in[4] = {987654321, 7777777777, 1294598144, 5500000000123};
    const uint64_t out[4] = {123456789, 888888888, 651234567, 1100000000077};
    TLogTotals totals;
    for (int p = 0; p < 4; ++p) {
        totals.Sum[p][ldIn] = in[p];
        totals.Sum[p][ldOut] = out[p];
        totals.Sum[p][ldInOut] = in[p] + out[p];
    }
    return totals;
}

struct TExpectedTag {
    std::string Tag;
    uint64_t Numerator;
    uint64_t Denominator;
};

// Every numeric tag with the fraction it must show for the sample reading.
std::vector<TExpectedTag> ExpectedTags() {
    const TMonitorCounters c = SampleCounters();
    const TLogTotals t = SampleTotals();
    const uint64_t both = (uint64_t{c.TotalIn} + c.TotalOut) - (uint64_t{1} << 32);
    std::vector<TExpectedTag> tags = {
        {"%kBinpersec%", c.DeltaIn, KB},
        {"%kBoutpersec%", c.DeltaOut, KB},
        {"%MBinout%", both, MB},
        {"%MBout%", c.TotalOut, MB},
        {"%MBin%", c.TotalIn, MB},
        {"%GBinout%", both, GB},
        {"%GBout%", c.TotalOut, GB},
        {"%GBin%", c.TotalIn, GB},
        {"%MBoutpersec%", c.DeltaOut, MB},
        {"%MBinpersec%", c.DeltaIn, MB},
        {"%Mbinpersec%", c.DeltaIn * 762939453ULL, kMbitDen},
        {"%Mboutpersec%", c.DeltaOut * 762939453ULL, kMbitDen},
        {"%Kbinpersec%", c.DeltaIn, 128},
        {"%Kboutpersec%", c.DeltaOut, 128},
    };
    const char* periods[4] = {"today", "thisweek", "thismonth", "thisyear"};
    const char* directions[3] = {"in", "out", "inout"};
    const char* units[3] = {"MB", "GB", "TB"};
    const uint64_t dens[3] = {MB, GB, TB};
    for (int p = 0; p < 4; ++p) {
        for (int u = 0; u < 3; ++u) {
            if (p == lpToday && u == 2) {
                continue; // no terabyte tags for today
            }
            for (int d = 0; d < 3; ++d) {
                const std::string tag =
                    std::string("%") + units[u] + directions[d] + periods[p] + "%";
                tags.push_back({tag, t.Sum[p][d], dens[u]});
            }
        }
    }
    return tags;
}

// One rendering by a renderer of its own: the first tick after a template change.
std::string RenderStatistics(const std::string& text, int decimals,
                             const TMonitorCounters& counters, const TLogTotals& totals,
                             char separator, const TQuotaFigures& quota = TQuotaFigures()) {
    TStatisticsRenderer renderer;
    return renderer.Render(text, decimals, counters, totals, separator, quota);
}

std::string Render(const std::string& text, int decimals = 2, char separator = '.') {
    return RenderStatistics(text, decimals, SampleCounters(), SampleTotals(), separator);
}

TEST(RenderStatistics, EveryTagShowsItsValue) {
    const std::vector<TExpectedTag> tags = ExpectedTags();
    ASSERT_EQ(tags.size(), 47u);
    for (int decimals : {0, 2, 5}) {
        for (const TExpectedTag& tag : tags) {
            EXPECT_EQ(Render(tag.Tag, decimals),
                      Reference(tag.Numerator, tag.Denominator, decimals, '.'))
                << tag.Tag << " at " << decimals << " decimals";
        }
    }
}

TEST(RenderStatistics, AllTagsInOneTemplate) {
    std::string templateText;
    std::string expected;
    for (const TExpectedTag& tag : ExpectedTags()) {
        templateText += tag.Tag + " | ";
        expected += Reference(tag.Numerator, tag.Denominator, 5, ',') + " | ";
    }
    EXPECT_EQ(Render(templateText, 5, ','), expected);
}

TEST(RenderStatistics, TwoLinesOfRates) {
    TMonitorCounters c;
    c.DeltaIn = 1536;
    c.DeltaOut = 512;
    const std::string tpl = "%kBinpersec% in%nl%%kBoutpersec% out";
    EXPECT_EQ(RenderStatistics(tpl, 2, c, TLogTotals(), '.'), "1.50 in\r\n0.50 out");
    EXPECT_EQ(RenderStatistics(tpl, 2, c, TLogTotals(), ','), "1,50 in\r\n0,50 out");
    EXPECT_EQ(RenderStatistics("%kBinpersec%", 0, c, TLogTotals(), '.'), "2");
}

TEST(RenderStatistics, BitRatesUseTheFixedConstants) {
    TMonitorCounters c;
    c.DeltaIn = 125000;
    EXPECT_EQ(RenderStatistics("%Kbinpersec%", 2, c, TLogTotals(), '.'), "976.56");
    EXPECT_EQ(RenderStatistics("%Mbinpersec%", 2, c, TLogTotals(), '.'), "0.95");
    c.DeltaIn = 150000; // 1.1444091795 Mbit: a true half at the tenth digit
    EXPECT_EQ(RenderStatistics("%Mbinpersec%", 9, c, TLogTotals(), '.'), "1.144409180");
    // 38.14697265 exactly; the long double product falls just short of the half.
    c.DeltaIn = 5000000;
    EXPECT_EQ(RenderStatistics("%Mbinpersec%", 7, c, TLogTotals(), '.'), "38.1469727");
}

TEST(RenderStatistics, TotalsSinceRebootWrapAt32Bits) {
    TTrafficCounters monitor;
    monitor.UpdateCounters(4294967295u, 0, 0);
    TMonitorCounters c{monitor.DeltaIn, monitor.DeltaOut, monitor.TotalIn, monitor.TotalOut};
    EXPECT_EQ(RenderStatistics("%MBin%", 2, c, TLogTotals(), '.'), "4096.00");
    monitor.UpdateCounters(0, 0, 0); // one more byte
    c = {monitor.DeltaIn, monitor.DeltaOut, monitor.TotalIn, monitor.TotalOut};
    EXPECT_EQ(RenderStatistics("%MBin%", 2, c, TLogTotals(), '.'), "0.00");

    c = TMonitorCounters{0, 0, 3u << 30, 3u << 30}; // 6 GiB in all, shown as 2 GiB
    EXPECT_EQ(RenderStatistics("%MBinout% %GBinout%", 2, c, TLogTotals(), '.'), "2048.00 2.00");
}

TEST(RenderStatistics, TagsAreCaseSensitive) {
    EXPECT_EQ(Render("%MBINTODAY% %mbintoday%"), "%MBINTODAY% %mbintoday%");
    EXPECT_EQ(Render("%MBintoday%"), Reference(987654321, MB, 2, '.'));
    EXPECT_NE(Render("%MBinpersec%"), Render("%Mbinpersec%"));
}

TEST(RenderStatistics, EarlierTagWinsASharedPercent) {
    EXPECT_EQ(Render("%MBin%MBout%"), "%MBin" + Reference(1500000001, MB, 2, '.'));
    // "%nl%" goes first, so it takes the closing percent of the rate tag.
    EXPECT_EQ(Render("%kBinpersec%nl%"), "%kBinpersec\r\n");
}

TEST(RenderStatistics, TextWithoutTagsIsUnchanged) {
    EXPECT_EQ(Render(""), "");
    EXPECT_EQ(Render("plain text"), "plain text");
    EXPECT_EQ(Render("100% sure, 50%% off, %unknown% %MBin"),
              "100% sure, 50%% off, %unknown% %MBin");
    EXPECT_EQ(Render("##kBinpersec##kB/sec incoming#nl####kBoutpersec##kB/sec outgoing"),
              "##kBinpersec##kB/sec incoming#nl####kBoutpersec##kB/sec outgoing");
    EXPECT_EQ(Render("Up && down & %kBinpersec%"), "Up && down & 122.07");
}

TEST(RenderStatistics, LineBreaks) {
    EXPECT_EQ(Render("a%nl%"), "a\r\n");
    EXPECT_EQ(Render("%nl%%nl%"), "\r\n\r\n");
    EXPECT_EQ(Render("%NL%"), "%NL%");
}

TEST(RenderStatistics, RepeatedTagsAllReplaced) {
    const std::string v = Reference(125000, KB, 1, '.');
    EXPECT_EQ(Render("%kBinpersec%%kBinpersec% x %kBinpersec%", 1), v + v + " x " + v);
}

TEST(RenderStatistics, ZeroCountersShowZeros) {
    const TMonitorCounters zero;
    const std::string out = RenderStatistics(
        "%kBinpersec% %kBoutpersec% %MBinout% %MBout% %MBin% %GBinout% %GBout% %GBin% "
        "%MBoutpersec% %MBinpersec% %Mbinpersec% %Mboutpersec% %Kbinpersec% %Kboutpersec%",
        2, zero, TLogTotals(), '.');
    std::string expected;
    for (int i = 0; i < 14; ++i) {
        expected += i ? " 0.00" : "0.00";
    }
    EXPECT_EQ(out, expected);
}

TEST(RenderStatistics, DefaultTemplateShowsFigures) {
    const std::string out = Render(kDefaultTemplate);
    EXPECT_EQ(out.find('%'), std::string::npos);
    EXPECT_NE(out.find(Reference(125000, KB, 2, '.')), std::string::npos);
    EXPECT_NE(out.find("\r\n"), std::string::npos);
}

TEST(RenderStatistics, OneRendererFollowsTemplateAndFiguresFromTickToTick) {
    TStatisticsRenderer renderer;
    TMonitorCounters c;
    c.DeltaIn = 1024;
    EXPECT_EQ(renderer.Render("%kBinpersec%", 2, c, TLogTotals(), '.'), "1.00");
    c.DeltaIn = 2048;
    EXPECT_EQ(renderer.Render("%kBinpersec%", 2, c, TLogTotals(), ','), "2,00");
    EXPECT_EQ(renderer.Render("%kBinpersec%", 0, c, TLogTotals(), ','), "2");
    EXPECT_EQ(renderer.Render("in %kBinpersec%%nl%", 1, c, TLogTotals(), '.'), "in 2.0\r\n");
    EXPECT_EQ(renderer.Render("", 1, c, TLogTotals(), '.'), "");
    // A template that differs only in one percent sign is split anew.
    c.TotalIn = 1 << 20;
    c.TotalOut = 3 << 20;
    EXPECT_EQ(renderer.Render("%MBin%MBout%", 0, c, TLogTotals(), '.'), "%MBin3");
    EXPECT_EQ(renderer.Render("%MBin%%MBout%", 0, c, TLogTotals(), '.'), "13");
}

// The billing period's tags, worked out by hand: 300.5 MB in and 123456789 bytes out from 15
// March to 14 April, seen on 20 March, with what comes in counted against 1000 MB; and 150 MB
// out against 100 MB counting what goes out, two days before the period ends.
TEST(RenderStatistics, BillingPeriodTags) {
    const TQuotaFigures under = QuotaFiguresOf({1000, 15, ldIn}, EncodeDate(2025, 3, 20) + 0.5,
                                               {300 * MB + MB / 2, 123456789}, {});
    const TQuotaFigures over =
        QuotaFiguresOf({100, 1, ldOut}, EncodeDate(2025, 2, 27), {0, 150 * MB}, {});
    struct Case {
        const TQuotaFigures& figures;
        const char* tag;
        const char* twoPlaces;
        const char* noPlaces;
    };
    const Case cases[] = {
        {under, "%MBinoutthisperiod%", "418.24", "418"},
        {under, "%MBinthisperiod%", "300.50", "301"},
        {under, "%MBoutthisperiod%", "117.74", "118"},
        {under, "%GBinoutthisperiod%", "0.41", "0"},
        {under, "%GBinthisperiod%", "0.29", "0"},
        {under, "%GBoutthisperiod%", "0.11", "0"},
        {under, "%MBleftthisperiod%", "699.50", "700"},
        {under, "%GBleftthisperiod%", "0.68", "1"},
        {under, "%quotapercent%", "30.05", "30"},
        {under, "%daysleftthisperiod%", "26", "26"},
        {under, "%MBperdayleft%", "26.90", "27"},
        {over, "%MBoutthisperiod%", "150.00", "150"},
        {over, "%MBleftthisperiod%", "0.00", "0"},
        {over, "%quotapercent%", "150.00", "150"},
        {over, "%daysleftthisperiod%", "2", "2"},
        {over, "%MBperdayleft%", "0.00", "0"},
    };
    std::string all, allExpected;
    for (const Case& c : cases) {
        EXPECT_EQ(RenderStatistics(c.tag, 2, {}, {}, '.', c.figures), c.twoPlaces) << c.tag;
        EXPECT_EQ(RenderStatistics(c.tag, 0, {}, {}, '.', c.figures), c.noPlaces) << c.tag;
        if (&c.figures == &under) {
            all += std::string(c.tag) + "%MBin% ";
            allExpected += std::string(c.twoPlaces) + "0.00 ";
        }
    }
    // Beside every earlier tag and in one text, each keeps its own value.
    EXPECT_EQ(RenderStatistics(all, 2, {}, {}, '.', under), allExpected);
}

} // namespace
