// Writing and reading recordings of network events (layout in the header).
#include "apps/replay.h"

namespace {

constexpr char kMagic[4] = {'C', 'V', 'N', 'E'};
constexpr uint16_t kFormat = 1;

void Put(std::string& out, uint64_t value, int size) {
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

uint64_t Get(std::string_view in, size_t at, int size) {
    uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<uint8_t>(in[at + i]);
    return value;
}

} // namespace

std::string ReplayHeader() {
    std::string header(kMagic, sizeof kMagic);
    Put(header, kFormat, 2);
    Put(header, 0, 2);
    return header;
}

void AppendReplayRecord(std::string& replay, const TEventRecord& record) {
    if (record.Size > 0xFFFF)
        throw std::length_error("an event's payload is longer than a replay record holds");
    Put(replay, static_cast<uint64_t>(record.TimeUtc), 8);
    Put(replay, record.Id, 2);
    Put(replay, record.Version, 1);
    Put(replay, record.Size, 2);
    replay.append(reinterpret_cast<const char*>(record.Payload), record.Size);
}

TReplayResult ReadReplay(std::string_view replay,
                         const std::function<void(const TEventRecord&)>& onEvent) {
    if (replay.size() < kReplayHeaderSize || replay.substr(0, kReplayHeaderSize) != ReplayHeader())
        throw EReplayFormat("not a recording of network events (format 1)");
    TReplayResult result;
    size_t at = kReplayHeaderSize;
    while (replay.size() - at >= kReplayRecordHeaderSize) {
        TEventRecord record;
        record.TimeUtc = static_cast<int64_t>(Get(replay, at, 8));
        record.Id = static_cast<uint16_t>(Get(replay, at + 8, 2));
        record.Version = static_cast<uint8_t>(Get(replay, at + 10, 1));
        record.Size = Get(replay, at + 11, 2);
        at += kReplayRecordHeaderSize;
        if (replay.size() - at < record.Size)
            return result;
        record.Payload = reinterpret_cast<const uint8_t*>(replay.data() + at);
        at += record.Size;
        onEvent(record);
        ++result.Records;
    }
    result.Complete = at == replay.size();
    return result;
}
