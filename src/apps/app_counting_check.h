// What `corvane.exe --app-counting-check` found, and the text a user pastes into a report.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

// How long the check listens.
inline constexpr int kCheckSeconds = 10;

struct TAppCountingCheck {
    std::string Failure; // why the session did not start; empty when it started
    uint64_t Events = 0; // the send and receive events that arrived, loopback left out
    uint64_t EventBytes = 0;
    uint64_t LostEvents = 0;
    std::optional<uint64_t> AdapterBytes; // in and out meanwhile; none when unreadable
};

// One line a finding, each ended by CR LF.
std::string AppCountingCheckText(const TAppCountingCheck& check);
// 0 when events arrived, 1 otherwise.
int AppCountingCheckExitCode(const TAppCountingCheck& check);
