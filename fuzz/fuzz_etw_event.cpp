// Fuzz target: the network events' payloads and their recordings. One payload is read with an
// arbitrary id and version; then the rest of the input is read as a recording and replayed
// through the counter.
// Checked: an event is read exactly for the eight ids, version 0 and a payload that reaches the
// end of sport, and its fields equal a reading of the layout made here; a recording gives back
// exactly the records that re-encode to its leading bytes, and is complete when those are all of
// it; bytes without the header are refused; the hours the counter hands out add up to the bytes
// of the events on the watched addresses (loopback never) at times from 1970 to 9999.
// Input: flags (u8; bit 0: put the header before the recording), id (u16), version (u8), payload
// length (u16) and payload, then the recording.
#include "fuzz_support.h"
#include "apps/app_counter.h"
#include "apps/replay.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <vector>

namespace {

struct TReference {
    bool V6;
    bool Send;
    bool Tcp;
};

// The provider's numbering: TCP below 42, IPv6 from 26 to 27 and 58 to 59, sends even.
std::optional<TReference> ReferenceKind(uint16_t id) {
    static constexpr uint16_t kIds[] = {10, 11, 26, 27, 42, 43, 58, 59};
    if (std::find(std::begin(kIds), std::end(kIds), id) == std::end(kIds))
        return std::nullopt;
    return TReference{id == 26 || id == 27 || id == 58 || id == 59, id % 2 == 0, id < 42};
}

void CheckParse(uint16_t id, uint8_t version, const std::string& payload) {
    // A copy of exactly the payload's size on the heap: a read past it is caught.
    const std::vector<uint8_t> bytes(payload.begin(), payload.end());
    const auto event = ParseNetworkEvent(id, version, bytes.data(), bytes.size());
    const auto kind = ReferenceKind(id);
    const size_t n = kind && kind->V6 ? 16 : 4;
    FUZZ_CHECK(event.has_value() == (kind && version == 0 && bytes.size() >= 12 + 2 * n));
    if (!event)
        return;
    const auto at = [&](size_t i) { return uint32_t{bytes[i]}; };
    FUZZ_CHECK(event->ProcessId == (at(0) | at(1) << 8 | at(2) << 16 | at(3) << 24));
    FUZZ_CHECK(event->Size == (at(4) | at(5) << 8 | at(6) << 16 | at(7) << 24));
    FUZZ_CHECK(event->Remote.V6 == kind->V6 && event->Local.V6 == kind->V6);
    for (size_t i = 0; i < 16; ++i) {
        FUZZ_CHECK(event->Remote.Bytes[i] == (i < n ? bytes[8 + i] : 0));
        FUZZ_CHECK(event->Local.Bytes[i] == (i < n ? bytes[8 + n + i] : 0));
    }
    FUZZ_CHECK(event->RemotePort == (at(8 + 2 * n) << 8 | at(9 + 2 * n)));
    FUZZ_CHECK(event->LocalPort == (at(10 + 2 * n) << 8 | at(11 + 2 * n)));
    FUZZ_CHECK((event->Direction == TNetDirection::Send) == kind->Send);
    FUZZ_CHECK((event->Protocol == TNetProtocol::Tcp) == kind->Tcp);
}

const std::vector<TIpAddress>& Watched() {
    static const std::vector<TIpAddress> addresses = {
        TIpAddress::V4(192, 168, 1, 20), TIpAddress::V4(127, 0, 0, 1),
        TIpAddress{true, {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20}}};
    return addresses;
}

// Loopback is never counted, also when it is among the watched addresses.
bool IsWatched(const TIpAddress& local) {
    if (!local.V6 && local.Bytes[0] == 127)
        return false;
    for (const TIpAddress& a : Watched()) {
        if (a == local)
            return true;
    }
    return false;
}

void CheckReplay(const std::string& replay) {
    TAppCounter counter([](uint32_t pid) {
        return TProcessImage{"p" + std::to_string(pid % 61) + ".exe", pid / 61};
    });
    counter.SetLocalAddresses(Watched());
    std::string again = ReplayHeader();
    uint64_t in = 0, out = 0;
    TReplayResult result;
    try {
        result = ReadReplay(replay, [&](const TEventRecord& record) {
            AppendReplayRecord(again, record);
            counter.Add(record);
            const auto event =
                ParseNetworkEvent(record.Id, record.Version, record.Payload, record.Size);
            // Times from 1970 to 9999 count.
            const bool inTime = record.TimeUtc >= 0 && record.TimeUtc < 253402300800;
            if (event && inTime && IsWatched(event->Local))
                (event->Direction == TNetDirection::Send ? out : in) += event->Size;
        });
    } catch (const EReplayFormat&) {
        FUZZ_CHECK(replay.compare(0, kReplayHeaderSize, ReplayHeader()) != 0);
        return;
    }
    FUZZ_CHECK(replay.compare(0, again.size(), again) == 0);
    FUZZ_CHECK(result.Complete == (again.size() == replay.size()));
    FUZZ_CHECK(replay.size() - again.size() < kReplayRecordHeaderSize + 0xFFFF);
    uint64_t handedIn = 0, handedOut = 0;
    for (const TAppHour& hour : counter.TakeAllHours()) {
        FUZZ_CHECK(hour.HourUtc % 3600 == 0);
        handedIn += hour.In;
        handedOut += hour.Out;
    }
    FUZZ_CHECK(handedIn == in && handedOut == out);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TFuzzInput in(data, size);
    const auto flags = in.Take<uint8_t>();
    const auto id = in.Take<uint16_t>();
    const auto version = in.Take<uint8_t>();
    CheckParse(id, version, in.TakeBytes(in.Take<uint16_t>()));
    CheckReplay((flags & 1 ? ReplayHeader() : std::string()) + in.Rest());
    return 0;
}
