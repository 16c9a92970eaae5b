// A recording of network events, to be fed again through the callback the live session uses.
//
// Layout, little-endian: a header of 8 bytes, "CVNE" then the format (u16, 1) and 0 (u16); then
// one record per event: time in seconds since 1970 UTC (i64), event id (u16), version (u8),
// payload length (u16), payload.
#pragma once
#include "apps/etw_event.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

inline constexpr size_t kReplayHeaderSize = 8;
inline constexpr size_t kReplayRecordHeaderSize = 13;

// Bytes that do not start with the header.
class EReplayFormat : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

std::string ReplayHeader();
// Appends one record; a payload is at most 65535 bytes (the most an event carries).
void AppendReplayRecord(std::string& replay, const TEventRecord& record);

struct TReplayResult {
    size_t Records = 0;    // fed to the callback
    bool Complete = false; // false when a torn last record was left out
};

// Feeds each record to onEvent in order. Throws EReplayFormat when the header is not there.
TReplayResult ReadReplay(std::string_view replay,
                         const std::function<void(const TEventRecord&)>& onEvent);
