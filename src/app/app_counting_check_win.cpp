// The check on Windows: the session's events counted while the automatic adapter's 64-bit
// counters give the bytes they are set against.
#include "app/app_counting_check_win.h"
#include "apps/app_session.h"
#include "traffic/ip_helper.h"

#include <atomic>

namespace {

// The bytes in and out of the adapter that automatic mode counts now; none without one.
std::optional<uint64_t> AdapterBytes() {
    try {
        std::vector<MIB_IFROW> rows;
        ReadInterfaceTable(rows);
        TInterfaceEntry2 entry;
        const uint32_t index = CountedConnectionNow(rows, false).Index;
        if (index == 0 || !ReadInterfaceEntry2(index, entry))
            return std::nullopt;
        return entry.InOctets + entry.OutOctets;
    } catch (const std::exception&) { // the check goes on without the share
        return std::nullopt;
    }
}

} // namespace

TAppCountingCheck RunAppCountingCheck() {
    TAppCountingCheck check;
    std::atomic<uint64_t> events{0}, bytes{0};
    const std::optional<uint64_t> before = AdapterBytes();
    try {
        TAppSession session([&](const TEventRecord& record) {
            const auto event =
                ParseNetworkEvent(record.Id, record.Version, record.Payload, record.Size);
            if (event && !event->Local.IsLoopback()) {
                events += 1;
                bytes += event->Size;
            }
        });
        ::Sleep(kCheckSeconds * 1000);
        check.LostEvents = session.LostEvents();
    } catch (const EAppSessionError& e) {
        check.Failure = e.what();
        return check;
    }
    const std::optional<uint64_t> after = AdapterBytes();
    check.Events = events;
    check.EventBytes = bytes;
    if (before && after && *after >= *before)
        check.AdapterBytes = *after - *before;
    return check;
}
