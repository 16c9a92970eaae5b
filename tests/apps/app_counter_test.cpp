// Counting per program and hour: a recorded stream replayed from a file through the session's
// callback, the top programs of an hour, the process table, and the recordings' format.
#include "apps/app_counter.h"
#include "apps/replay.h"
#include "platform/file_io.h"

#include "../support/test_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <sstream>
#include <thread>
#include <vector>

namespace {

using testsupport::TTempFolder;

constexpr int64_t kHour0 = 472222 * int64_t{3600}; // 14 November 2023, 22:00 UTC
constexpr int64_t kHour1 = kHour0 + 3600;

const TIpAddress kHost4 = TIpAddress::V4(192, 168, 1, 20);
const TIpAddress kHost6{true, {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20}};
const TIpAddress kVpn4 = TIpAddress::V4(10, 8, 0, 2);
const TIpAddress kLoop4 = TIpAddress::V4(127, 0, 0, 1);
const TIpAddress kLoop6{true, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}};
const TIpAddress kPeer4 = TIpAddress::V4(93, 184, 216, 34);
const TIpAddress kPeer6{true, {0x26, 0x06, 0x28, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01}};

// A payload in the provider's layout: PID, size, daddr (the peer), saddr (this machine),
// dport, sport, then eight bytes of the fields that are not read.
std::string Payload(uint32_t pid, uint32_t size, const TIpAddress& local, const TIpAddress& peer) {
    std::string p;
    for (uint32_t v : {pid, size})
        for (int i = 0; i < 4; ++i)
            p.push_back(static_cast<char>(v >> (8 * i)));
    const size_t n = local.V6 ? 16 : 4;
    p.append(reinterpret_cast<const char*>(peer.Bytes.data()), n);
    p.append(reinterpret_cast<const char*>(local.Bytes.data()), n);
    p += std::string("\x01\xBB\xC7\x38", 4) + std::string(8, '\x5A');
    return p;
}

void Record(std::string& replay, int64_t time, uint16_t id, uint32_t pid, uint32_t size,
            const TIpAddress& local, uint8_t version = 0) {
    const std::string p = Payload(pid, size, local, local.V6 ? kPeer6 : kPeer4);
    AppendReplayRecord(replay,
                       {time, id, version, reinterpret_cast<const uint8_t*>(p.data()), p.size()});
}

std::string Text(const std::vector<TAppHour>& hours) {
    std::ostringstream text;
    for (const TAppHour& h : hours)
        text << (h.HourUtc - kHour0) << " [" << h.Program << "] " << h.In << "/" << h.Out << "\n";
    return text.str();
}

// The system as the counter's lookup sees it while the stream plays: process 100 is the browser
// until 50 minutes into the first hour, then a game that got the same id; 200 the sync tool;
// 300 cannot be read. Asking about 0 or 4 would be a fault.
struct TSystemScript {
    int64_t Now = 0;
    std::optional<TProcessImage> operator()(uint32_t pid) const {
        switch (pid) {
        case 100:
            return Now < kHour0 + 3000 ? TProcessImage{"C:\\Apps\\browser.exe", 1}
                                       : TProcessImage{"C:\\Games\\game.exe", 2};
        case 200:
            return TProcessImage{"C:\\Apps\\sync.exe", 5};
        case 0:
        case 4:
            return TProcessImage{"C:\\asked-about-the-kernel.exe", 9};
        default:
            return std::nullopt;
        }
    }
};

TEST(AppCounter, ReplayedStreamGivesEachProgramsHourlyTotals) {
    std::string replay = ReplayHeader();
    Record(replay, kHour0 + 10, 10, 100, 1000, kHost4);    // browser out
    Record(replay, kHour0 + 11, 11, 100, 5000, kHost4);    // browser in
    Record(replay, kHour0 + 20, 26, 200, 300, kHost6);     // sync out
    Record(replay, kHour0 + 21, 27, 200, 700, kHost6);     // sync in
    Record(replay, kHour0 + 30, 42, 4, 60, kHost4);        // System out
    Record(replay, kHour0 + 31, 43, 0, 90, kHost4);        // System in
    Record(replay, kHour0 + 40, 10, 100, 111111, kLoop4);  // loopback: not counted
    Record(replay, kHour0 + 41, 59, 200, 222222, kLoop6);  // loopback: not counted
    Record(replay, kHour0 + 42, 11, 100, 333333, kVpn4);   // another adapter: not counted
    Record(replay, kHour0 + 50, 58, 300, 40, kHost6);      // unreadable process: the rest
    Record(replay, kHour0 + 51, 12, 100, 9999, kHost4);    // a connect: not counted
    Record(replay, kHour0 + 52, 10, 100, 8888, kHost4, 1); // unknown version: not counted
    Record(replay, kHour0 + 3500, 43, 100, 800, kHost4);   // id 100 is the game now
    Record(replay, kHour0 + 3599, 10, 100, 25, kHost4);
    Record(replay, kHour1 + 0, 59, 200, 4000, kHost6);
    Record(replay, kHour1 + 5, 42, 100, 10, kHost4);
    TTempFolder folder;
    testsupport::WriteBytes(folder.File("events.rec"), replay);

    std::string file;
    ASSERT_TRUE(ReadFileIfExists(folder.File("events.rec"), file));
    TSystemScript system;
    TAppCounter counter([&system](uint32_t pid) { return system(pid); });
    counter.SetLocalAddresses({kHost6, kLoop4, kHost4}); // loopback is never counted
    const TReplayResult result = ReadReplay(file, [&](const TEventRecord& record) {
        system.Now = record.TimeUtc;
        counter.Add(record);
    });
    EXPECT_EQ(result.Records, 16u);
    EXPECT_TRUE(result.Complete);

    EXPECT_EQ(Text(counter.TakeFinishedHours(kHour1 + 5)), "0 [C:\\Apps\\browser.exe] 5000/1000\n"
                                                           "0 [C:\\Apps\\sync.exe] 700/300\n"
                                                           "0 [C:\\Games\\game.exe] 800/25\n"
                                                           "0 [System] 90/60\n"
                                                           "0 [] 0/40\n");
    EXPECT_EQ(Text(counter.TakeAllHours()), "3600 [C:\\Apps\\sync.exe] 4000/0\n"
                                            "3600 [C:\\Games\\game.exe] 0/10\n");
    EXPECT_EQ(Text(counter.TakeAllHours()), "");
}

TEST(AppCounter, AnHourKeepsItsTopProgramsAndSumsTheRest) {
    TAppCounter counter([](uint32_t pid) {
        return TProcessImage{"p" + std::to_string(pid) + ".exe", 0};
    });
    counter.SetLocalAddresses({kHost4});
    for (uint32_t pid = 10; pid < 65; ++pid) // 55 programs, 100 to 640 bytes
        counter.Add(kHour0 + pid,
                    {TNetDirection::Send, TNetProtocol::Tcp, pid, pid * 10, kHost4, kPeer4, 1, 2});
    const std::vector<TAppHour> hour = counter.TakeFinishedHours(kHour1);
    ASSERT_EQ(hour.size(), kProgramsPerHour + 1);
    EXPECT_EQ(hour.front().Program, "p64.exe");
    EXPECT_EQ(hour[kProgramsPerHour - 1].Program, "p15.exe");
    EXPECT_EQ(hour.back().Program, "");
    EXPECT_EQ(hour.back().Out, 100u + 110 + 120 + 130 + 140);
    EXPECT_EQ(hour.back().HourUtc, kHour0);
}

// Each event must not ask the system about its process: that costs a system call or more.
TEST(AppCounter, AProcessIsAskedAboutOnceNotPerEvent) {
    int asked = 0;
    TAppCounter counter([&asked](uint32_t) {
        ++asked;
        return TProcessImage{"C:\\a.exe", 1};
    });
    counter.SetLocalAddresses({kHost4});
    for (int i = 0; i < 1000; ++i)
        counter.Add(kHour0 + i / 200,
                    {TNetDirection::Receive, TNetProtocol::Udp, 77, 1, kHost4, kPeer4, 1, 2});
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Text(counter.TakeAllHours()), "0 [C:\\a.exe] 1000/0\n");
}

// The session's thread adds while the autosave takes the hours that ended and the address
// watcher sets the addresses (meant for ThreadSanitizer too): every byte is handed out once.
TEST(AppCounter, SessionThreadAddsWhileHoursAreTaken) {
    TAppCounter counter([](uint32_t pid) { return TProcessImage{std::to_string(pid), 1}; });
    counter.SetLocalAddresses({kHost4});
    constexpr uint32_t kEvents = 20000; // one a second: five and a half hours
    std::atomic<uint32_t> added{0};
    std::thread session([&] {
        for (uint32_t i = 0; i < kEvents; ++i) {
            counter.Add(kHour0 + i, {TNetDirection::Send, TNetProtocol::Tcp, 10 + i % 5, 1, kHost4,
                                     kPeer4, 1, 2});
            added = i + 1;
        }
    });
    std::map<std::pair<int64_t, std::string>, uint64_t> handedOut;
    const auto take = [&handedOut](const std::vector<TAppHour>& hours) {
        for (const TAppHour& h : hours)
            EXPECT_TRUE(handedOut.emplace(std::make_pair(h.HourUtc, h.Program), h.Out).second);
    };
    while (added < kEvents) {
        counter.SetLocalAddresses({kPeer4, kHost4});
        take(counter.TakeFinishedHours(kHour0 + added));
    }
    session.join();
    take(counter.TakeAllHours());
    uint64_t total = 0;
    for (const auto& entry : handedOut)
        total += entry.second;
    EXPECT_EQ(total, kEvents);
    EXPECT_EQ(handedOut.size(), 6u * 5);
}

// Found by fuzzing: times far from the calendar made the hour and the process table's ages
// overflow.
TEST(AppCounter, TimesBefore1970OrAfter9999AreLeftOut) {
    TAppCounter counter([](uint32_t) { return TProcessImage{"C:\\a.exe", 1}; });
    counter.SetLocalAddresses({kHost4});
    const TNetworkEvent event{TNetDirection::Send, TNetProtocol::Udp, 77, 5, kHost4, kPeer4, 1, 2};
    for (int64_t time : {INT64_MIN, int64_t{-1}, int64_t{253402300800}, INT64_MAX, kHour0})
        counter.Add(time, event);
    EXPECT_EQ(Text(counter.TakeFinishedHours(INT64_MIN)), "");
    EXPECT_EQ(Text(counter.TakeFinishedHours(INT64_MAX)), "0 [C:\\a.exe] 0/5\n");
}

TEST(AppCounter, RecordingsRefuseOtherFilesAndSkipATornTail) {
    std::string replay = ReplayHeader();
    Record(replay, kHour0, 10, 100, 1, kHost4);
    const size_t firstEnd = replay.size();
    Record(replay, kHour0, 26, 100, 2, kHost6);
    size_t seen = 0;
    const auto count = [&seen](const TEventRecord&) { ++seen; };
    for (size_t end = firstEnd; end < replay.size(); ++end) {
        seen = 0;
        const TReplayResult torn = ReadReplay(std::string_view(replay).substr(0, end), count);
        EXPECT_EQ(torn.Records, 1u) << end;
        EXPECT_EQ(seen, 1u) << end;
        EXPECT_EQ(torn.Complete, end == firstEnd) << end;
    }
    EXPECT_THROW(ReadReplay("CVNE\x02", count), EReplayFormat);
    EXPECT_THROW(ReadReplay(std::string(replay).replace(4, 1, "\x02"), count), EReplayFormat);
}

} // namespace
