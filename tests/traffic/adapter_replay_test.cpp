// Replays scripted interface tables through the adapter tracker into the usage log and checks
// each day's totals, written by hand: no phantom bytes, nothing lost that the counters show.
//
// A script is a list of readings separated by "|". Within a reading, in any order:
//   A5=1000,100  the interface with identity A (the letter's code) at index 5, 1000 bytes in,
//                100 out, with 64-bit counters ("A5~..." without them: the values are cut to
//                32 bits; "_5=..." has no identity). K, M and G multiply by 1024, 1024^2 and
//                1024^3.
//   >A           the route look-up picks A's index (no ">": no route to the Internet)
//   t=10h        time since the previous reading (s or h; 1 s otherwise)
//   suspend, resume, net (routes or interfaces changed), midnight: events before the reading.
#include "../log/log_test_support.h"
#include "traffic/adapter_group.h"
#include "traffic/adapter_tracker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <vector>

namespace {

struct TSequence {
    const char* Name;
    const char* Target; // "auto", or identity and index ("A5", "_5" without identity)
    uint32_t Speed;     // link speed of every row, bit/s
    const char* Script;
    uint64_t In0, Out0, In1, Out1; // day totals: the first day, the day after a midnight
    uint32_t FinalIndex;           // watched at the end; 0 when not connected
    uint32_t PeakShownIn;          // largest shown DeltaIn of a reading that follows another
};

constexpr uint32_t k100M = 100000000;

const TSequence kSequences[] = {
    {"steady traffic", "A5", 0, "A5=1000,100 | A5=3000,400 | A5=6000,900", 5000, 800, 0, 0, 5,
     3000},
    {"32-bit wrap", "A5", 0, "A5~4294967000,10 | A5~500,20", 796, 10, 0, 0, 5, 796},
    {"32-bit wrap on a link fast enough for it", "A5", k100M, "A5~4294967000,0 | A5~500,0", 796, 0,
     0, 0, 5, 796},
    {"wrap of the low half of 64-bit counters", "A5", 0, "A5=4294967000,0 | A5=4294968096,0", 1096,
     0, 0, 0, 5, 1096},
    {"reset with 64-bit counters", "A5", 0,
     "A5=5000000000,700000 | A5=1200,700100 | A5=2200,700300", 2200, 300, 0, 0, 5, 3589935792u},
    {"reset with 32-bit counters, told by the link speed", "A5", k100M,
     "A5~3000000000,0 | A5~4000,0 | A5~9000,0", 9000, 0, 0, 0, 5, 1294971296u},
    {"only one direction restarted", "A5", 0, "A5=5000,9000 | A5=200,9500 | A5=700,9900", 700, 900,
     0, 0, 5, 4294962496u},
    {"5 GiB in one interval", "A5", 0, "A5=1G,0 | A5=6G,1M", 5368709120u, 1048576, 0, 0, 5,
     1073741824},
    {"5 GiB in one interval, 32-bit counters show 1 GiB", "A5", 0, "A5~1G,0 | A5~6G,0", 1073741824,
     0, 0, 0, 5, 1073741824},
    {"64-bit counters in the later reading only", "A5", 0,
     "A5~1000,100 | A5=2000,200 | A5=2500,250", 1500, 150, 0, 0, 5, 1000},
    {"midnight", "A5", 0, "A5=1000,100 | A5=2000,200 | midnight A5=2500,250", 1000, 100, 500, 50, 5,
     1000},
    {"vanishes, returns with a new index and restarted counters", "A5", 0,
     "A5=1000,100 | A5=2000,200 | | | A9=300,30 | A9=800,80", 1800, 180, 0, 0, 9, 1000},
    {"vanishes, returns with a new index and running counters", "A5", 0,
     "A5=1000,100 | | A9=5000,500 | A9=6000,600", 5000, 500, 0, 0, 9, 1000},
    {"vanishes, returns with 32-bit counters only", "A5", 0,
     "A5~1000,100 | | A9~300,30 | A9~800,80", 500, 50, 0, 0, 9, 500},
    {"away for a while, back at its index with restarted counters", "A5", 0,
     "A5=1000,100 | A5=1500,150 | | | A5=100,10 | A5=300,30", 800, 80, 0, 0, 5, 500},
    {"two adapters swap indexes", "A5", 0,
     "A5=1000,100 B6=50,5 | A6=3000,300 B5=70,7 | A6=4000,400 B5=90,9", 3000, 300, 0, 0, 6, 2000},
    {"two adapters swap indexes, 32-bit counters", "A5", 0,
     "A5~1000,100 B6~50,5 | A6~3000,300 B5~70,7", 2000, 200, 0, 0, 6, 2000},
    {"another adapter takes the number", "A5", 0,
     "A5=1000,100 B6=9000,900 | B5=9500,950 | B5=9900,990", 0, 0, 0, 0, 0, 0},
    {"an adapter with the same description stays while the watched one is away", "A5", 0,
     "A5=1000,100 B6=1000,100 | B6=2000,200 | B6=3000,300 A7=50,5 | B6=4000,400 A7=550,55", 550, 55,
     0, 0, 7, 500},
    {"no identity from the platform: by index alone", "_5", 0,
     "_5=1000,100 | _5=1500,150 | _5=1700,170", 700, 70, 0, 0, 5, 500},
    {"identity learned at the stored index, then renumbered", "_5", 0,
     "A5=1000,100 | A7=2000,200 | A7=2500,250", 1500, 150, 0, 0, 7, 1000},
    {"stored identity under another index at start", "A5", 0,
     "B5=70,7 A8=1000,100 | B5=80,8 A8=2000,200", 1000, 100, 0, 0, 8, 1000},
    {"stored identity nowhere: the adapter at the index is not counted", "A5", 0,
     "B5=1000,100 | B5=2000,200 | B5=3000,300", 0, 0, 0, 0, 0, 0},
    {"adapter that appears only after start", "A5", 0, " | A5=1000,100 | A5=1800,180", 800, 80, 0,
     0, 5, 800},
    {"automatic: Wi-Fi, then Ethernet", "auto", 0,
     "W3=1000,100 >W | W3=2000,200 E4=0,0 >W | net W3=2500,250 E4=100,10 >E "
     "| W3=2600,260 E4=700,70 >E",
     2100, 210, 0, 0, 4, 1000},
    {"automatic: Wi-Fi, a VPN, back to Wi-Fi", "auto", 0,
     "W3=1000,100 >W | W3=3000,300 >W | net W3=3400,340 V9=0,0 >V | W3=9000,900 V9=2000,200 >V "
     "| W3=9500,950 V9=2500,250 >V | net W3=9600,960 >W | W3=9900,990 >W",
     5200, 520, 0, 0, 3, 2000},
    {"automatic: a route change unannounced is taken at the next notice", "auto", 0,
     "W3=1000,100 >W | W3=2000,200 E4=0,0 >E | W3=2100,210 E4=500,50 >E "
     "| net W3=2200,220 E4=900,90 >E | W3=2200,220 E4=1000,90 >E",
     1300, 120, 0, 0, 4, 1000},
    {"automatic: no route, nothing watched", "auto", 0, "W3=1000,100 | W3=2000,200", 0, 0, 0, 0, 0,
     0},
    {"automatic: the connection comes up later", "auto", 0,
     "W3=1000,100 | W3=1500,150 >W | W3=2500,250 >W", 1000, 100, 0, 0, 3, 1000},
    {"automatic: route lost for a while, the same Wi-Fi back", "auto", 0,
     "W3=1000,100 >W | W3=2000,200 >W | net W3=2100,210 | W3=2300,230 | W3=2500,250 >W "
     "| W3=3000,300 >W",
     2000, 200, 0, 0, 3, 1000},
    {"sleep of 10 s", "A5", 0,
     "A5=1000,100 | A5=2000,200 | suspend resume t=10s A5=2000,200 | A5=2600,260", 1600, 160, 0, 0,
     5, 1000},
    {"sleep of 10 h in connected standby: the gap is no reading", "A5", 0,
     "A5=1000,100 | A5=2000,200 | suspend resume t=10h A5=6G,1G | A5=6442451444,1073741874", 1500,
     150, 0, 0, 5, 1000},
    {"sleep of 10 h, 32-bit counters restarted by the driver", "A5", k100M,
     "A5~3000000000,3000 | A5~3000001000,3100 | suspend resume t=10h A5~200,20 | A5~700,70", 1500,
     150, 0, 0, 5, 1000},
    {"readings between suspend and resume start new series", "A5", 0,
     "A5=1000,100 | A5=1500,150 | suspend A5=1500,150 | t=10h A5=9000,900 "
     "| resume A5=9500,950 | A5=9900,990",
     900, 90, 0, 0, 5, 500},
    {"sleep across midnight", "A5", 0,
     "A5=1000,100 | A5=2000,200 | suspend midnight resume t=10h A5=2000,200 | A5=2300,230", 1000,
     100, 300, 30, 5, 1000},
    {"renumbered during sleep", "A5", 0,
     "A5=1000,100 | A5=2000,200 | suspend resume A8=50,5 | A8=450,45", 1400, 140, 0, 0, 8, 1000},
    {"automatic: after waking the route leads elsewhere", "auto", 0,
     "W3=1000,100 >W | W3=2000,200 >W | suspend resume W3=2100,210 E4=50,5 >E "
     "| W3=2200,220 E4=450,45 >E",
     1400, 140, 0, 0, 4, 1000},
};

uint64_t Amount(const std::string& text) {
    size_t end = 0;
    uint64_t value = std::stoull(text, &end);
    const std::string unit = text.substr(end);
    const int shift = unit == "K" ? 10 : unit == "M" ? 20 : unit == "G" ? 30 : 0;
    if (shift == 0 && !unit.empty())
        ADD_FAILURE() << "unknown unit in " << text;
    return value << shift;
}

class TScriptedLookup : public TInterfaceLookup {
  public:
    std::vector<TInterfaceState> Rows;
    bool HasRoute = false;
    uint32_t Route = 0;

    bool ByIndex(uint32_t index, TInterfaceState& state) override {
        return Find([&](const TInterfaceState& row) { return row.Index == index; }, state);
    }
    bool ByIdentity(uint64_t identity, TInterfaceState& state) override {
        return Find([&](const TInterfaceState& row) { return row.Identity == identity; }, state);
    }
    bool ActiveConnection(uint32_t& index) override {
        index = Route;
        return HasRoute;
    }

  private:
    template <typename Pred> bool Find(Pred pred, TInterfaceState& state) const {
        auto row = std::find_if(Rows.begin(), Rows.end(), pred);
        if (row == Rows.end())
            return false;
        state = *row;
        return true;
    }
};

// "A5=1000,100": identity A, index 5, counters; "~" instead of "=" for 32-bit counters only.
TInterfaceState ParseRow(const std::string& token, uint32_t speed) {
    const size_t mark = token.find_first_of("=~");
    const size_t comma = token.find(',');
    TInterfaceState row;
    row.Identity = token[0] == '_' ? 0 : static_cast<uint64_t>(token[0]);
    row.Index = static_cast<uint32_t>(std::stoul(token.substr(1, mark - 1)));
    const uint64_t in = Amount(token.substr(mark + 1, comma - mark - 1));
    const uint64_t out = Amount(token.substr(comma + 1));
    row.Counters.InOctets = static_cast<uint32_t>(in);
    row.Counters.OutOctets = static_cast<uint32_t>(out);
    row.Counters.Speed = speed;
    row.Counters.Has64BitCounters = token[mark] == '=';
    if (row.Counters.Has64BitCounters) {
        row.Counters.InOctets64 = in;
        row.Counters.OutOctets64 = out;
    }
    return row;
}

uint32_t ElapsedMs(const std::string& token) {
    const uint64_t seconds = std::stoull(token.substr(2));
    return static_cast<uint32_t>(seconds * (token.back() == 'h' ? 3600000 : 1000));
}

class AdapterReplay : public logtest::LogFileTest {
  protected:
    // Runs the script as the sampling thread would, logging each measured reading.
    template <typename Tracker>
    void Replay(const TSequence& seq, Tracker& tracker, uint32_t& peak) {
        double day = EncodeDate(2025, 3, 15);
        std::stringstream readings(seq.Script);
        std::string reading;
        while (std::getline(readings, reading, '|')) {
            TScriptedLookup lookup;
            uint32_t elapsed = 1000;
            char route = 0;
            std::stringstream tokens(reading);
            std::string token;
            while (tokens >> token) {
                if (token == "suspend")
                    tracker.Suspend();
                else if (token == "resume")
                    tracker.Resume();
                else if (token == "net")
                    tracker.NetworkChanged();
                else if (token == "midnight")
                    day += 1;
                else if (token[0] == '>')
                    route = token[1];
                else if (token.rfind("t=", 0) == 0)
                    elapsed = ElapsedMs(token);
                else
                    lookup.Rows.push_back(ParseRow(token, seq.Speed));
            }
            for (TInterfaceState& row : lookup.Rows) {
                row.Counters.ElapsedMs = elapsed;
                if (route && row.Identity == static_cast<uint64_t>(route)) {
                    lookup.HasRoute = true;
                    lookup.Route = row.Index;
                }
            }
            const bool followsReading = tracker.Counters().HasReading;
            const TTrackedReading result = tracker.Read(lookup);
            if (followsReading && result.Present)
                peak = std::max(peak, tracker.Counters().DeltaIn);
            if (result.Measured) {
                AddToLog(result.LogIn, 0, day);
                AddToLog(0, result.LogOut, day);
            }
        }
    }
};

TEST_F(AdapterReplay, DayTotalsAreWhatTheCountersShow) {
    ASSERT_GE(std::size(kSequences), 30u);
    const double day0 = EncodeDate(2025, 3, 15);
    for (const TSequence& seq : kSequences) {
        SCOPED_TRACE(seq.Name);
        ResetLog();
        TAdapterTarget target;
        target.Automatic = std::string(seq.Target) == "auto";
        if (!target.Automatic) {
            target.Identity = seq.Target[0] == '_' ? 0 : static_cast<uint64_t>(seq.Target[0]);
            target.Index = static_cast<uint32_t>(std::stoul(seq.Target + 1));
        }
        TAdapterTracker tracker(target);
        uint32_t peak = 0;
        Replay(seq, tracker, peak);

        logtest::SetNow(day0 + 0.5);
        EXPECT_EQ(GetLogTotal(lpToday, ldIn), seq.In0);
        EXPECT_EQ(GetLogTotal(lpToday, ldOut), seq.Out0);
        logtest::SetNow(day0 + 1.5);
        EXPECT_EQ(GetLogTotal(lpToday, ldIn), seq.In1);
        EXPECT_EQ(GetLogTotal(lpToday, ldOut), seq.Out1);
        EXPECT_EQ(tracker.Connected() ? tracker.Index() : 0u, seq.FinalIndex);
        EXPECT_EQ(peak, seq.PeakShownIn);
    }
}

// Several adapters counted together: "A5+B" watches A (stored at index 5) and B (by identity
// alone, as the later ones of a stored list are).
struct TGroupSequence {
    const char* Name;
    const char* Targets;
    const char* Script;
    uint64_t In, Out;     // the day's totals
    uint32_t LastShownIn; // the rate shown after the last reading
};

const TGroupSequence kGroupSequences[] = {
    {"both present", "A5+B", "A5=1000,100 B6=50,5 | A5=2000,200 B6=150,15 | A5=2500,250 B6=450,45",
     1900, 190, 800},
    {"one absent adds nothing", "A5+B", "A5=1000,100 | A5=2000,200 | A5=2500,250", 1500, 150, 500},
    {"one goes away: its last rate is no longer shown", "A5+B",
     "A5=1000,100 B6=50,5 | A5=2000,200 B6=150,15 | A5=2500,250", 1600, 160, 500},
    {"one away for a while", "A5+B",
     "A5=1000,100 B6=50,5 | A5=2000,200 B6=150,15 | A5=2500,250 | A5=2600,260 B6=950,95 "
     "| A5=2700,270 B6=1950,195",
     1700 + 1900, 170 + 190, 1100},
    {"one renumbered", "A5+B",
     "A5=1000,100 B6=50,5 | A5=2000,200 B9=150,15 | A5=2500,250 B9=450,45", 1900, 190, 800},
    {"one reset", "A5+B", "A5=1000,100 B6=5000,500 | A5=2000,200 B6=100,10 | A5=3000,300 B6=600,60",
     2600, 260, 1500},
};

std::vector<TAdapterTarget> GroupTargets(const std::string& text) {
    std::vector<TAdapterTarget> targets;
    std::stringstream parts(text);
    std::string part;
    while (std::getline(parts, part, '+')) {
        TAdapterTarget target;
        target.Identity = static_cast<uint64_t>(part[0]);
        target.Index = part.size() > 1 ? static_cast<uint32_t>(std::stoul(part.substr(1))) : 0;
        targets.push_back(target);
    }
    return targets;
}

TEST_F(AdapterReplay, SeveralAdaptersAreSummed) {
    for (const TGroupSequence& group : kGroupSequences) {
        SCOPED_TRACE(group.Name);
        ResetLog();
        TAdapterGroup adapters(GroupTargets(group.Targets));
        const TSequence seq{group.Name, "", 0, group.Script, 0, 0, 0, 0, 0, 0};
        uint32_t peak = 0;
        Replay(seq, adapters, peak);

        logtest::SetNow(EncodeDate(2025, 3, 15) + 0.5);
        EXPECT_EQ(GetLogTotal(lpToday, ldIn), group.In);
        EXPECT_EQ(GetLogTotal(lpToday, ldOut), group.Out);
        EXPECT_EQ(adapters.Counters().DeltaIn, group.LastShownIn);
        EXPECT_TRUE(adapters.Connected());
    }
}

} // namespace
