// The consumer's time per network event: a payload read and counted to its program and hour,
// as the session's callback does it at 20,000 events a second. The stream mixes the eight ids,
// 40 processes with full image paths, and addresses on and off the watched adapter; the
// system is asked about a process every ten seconds of event time (a stand-in answers here,
// so the system's own cost of OpenProcess is not in the figure). Target: at most 1 us.
#include "apps/app_counter.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr int kEventsPerSecond = 20000;
constexpr int64_t kStart = 472222 * int64_t{3600};
const TIpAddress kHost4 = TIpAddress::V4(192, 168, 1, 20);
const TIpAddress kHost6{true, {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20}};

std::string Payload(uint32_t pid, uint32_t size, const TIpAddress& local) {
    std::string p;
    for (uint32_t v : {pid, size})
        for (int i = 0; i < 4; ++i)
            p.push_back(static_cast<char>(v >> (8 * i)));
    const size_t n = local.V6 ? 16 : 4;
    p.append(n, '\x5D'); // the peer
    p.append(reinterpret_cast<const char*>(local.Bytes.data()), n);
    p += std::string("\x01\xBB\xC7\x38", 4) + std::string(16, '\0');
    return p;
}

// 4096 events: ids in turn, one in eight on another adapter's address.
std::vector<std::pair<uint16_t, std::string>> Stream() {
    const uint16_t ids[] = {10, 11, 26, 27, 42, 43, 58, 59};
    std::vector<std::pair<uint16_t, std::string>> stream;
    for (uint32_t i = 0; i < 4096; ++i) {
        const uint16_t id = ids[i % 8];
        TIpAddress local = id == 26 || id == 27 || id == 58 || id == 59 ? kHost6 : kHost4;
        if (i % 8 == 3)
            local.Bytes[1] ^= 1;
        stream.emplace_back(id, Payload(1000 + i * 7 % 40 * 4, 64 + i % 1400, local));
    }
    return stream;
}

void BM_CountEvent(benchmark::State& state) {
    TAppCounter counter([](uint32_t pid) {
        return TProcessImage{"C:\\Program Files\\Some Vendor\\Application " + std::to_string(pid) +
                                 "\\program.exe",
                             pid};
    });
    counter.SetLocalAddresses({kHost4, kHost6, TIpAddress::V4(10, 0, 0, 5)});
    const auto stream = Stream();
    int64_t n = 0;
    for (auto _ : state) {
        const auto& [id, payload] = stream[n % stream.size()];
        counter.Add({kStart + n / kEventsPerSecond, id, 0,
                     reinterpret_cast<const uint8_t*>(payload.data()), payload.size()});
        ++n;
    }
    benchmark::DoNotOptimize(counter.TakeAllHours());
    state.SetItemsProcessed(n);
}
BENCHMARK(BM_CountEvent);

} // namespace
