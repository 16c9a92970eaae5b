// Attribution of network events to programs and hours.
#include "apps/app_counter.h"

#include "config/number_text.h"

#include <algorithm>
#include <limits>
#include <mutex>
#include <utility>

namespace {

const std::string kSystem = kSystemProgram;

// Event times are the system clock's: one before 1970 or after 9999 is no time to count at.
constexpr int64_t kLatestTime = 253402300800; // 1 January 10000, a whole hour

bool IsCountable(int64_t timeUtc) {
    return timeUtc >= 0 && timeUtc < kLatestTime;
}

int64_t HourStart(int64_t timeUtc) {
    return timeUtc - timeUtc % 3600;
}

uint64_t Total(const TAppHour& h) {
    return SaturatingAdd(h.In, h.Out);
}

} // namespace

std::vector<TAppHour> TopProgramsOfHour(std::vector<TAppHour> programs, size_t count) {
    TAppHour rest;
    bool hasRest = false;
    auto named = std::partition(programs.begin(), programs.end(),
                                [](const TAppHour& h) { return !h.Program.empty(); });
    std::sort(programs.begin(), named, [](const TAppHour& a, const TAppHour& b) {
        return Total(a) != Total(b) ? Total(a) > Total(b) : a.Program < b.Program;
    });
    const auto kept = programs.begin() + std::min<ptrdiff_t>(named - programs.begin(), count);
    for (auto it = kept; it != programs.end(); ++it) {
        rest.HourUtc = it->HourUtc;
        rest.In = SaturatingAdd(rest.In, it->In);
        rest.Out = SaturatingAdd(rest.Out, it->Out);
        hasRest = true;
    }
    programs.erase(kept, programs.end());
    if (hasRest)
        programs.push_back(std::move(rest));
    return programs;
}

TAppCounter::TAppCounter(TProcessLookup lookup) : lookup_(std::move(lookup)) {}

void TAppCounter::SetLocalAddresses(std::vector<TIpAddress> addresses) {
    std::sort(addresses.begin(), addresses.end());
    std::lock_guard<TMutex> hold(lock_);
    local_ = std::move(addresses);
}

void TAppCounter::Add(const TEventRecord& record) {
    if (auto event = ParseNetworkEvent(record.Id, record.Version, record.Payload, record.Size))
        Add(record.TimeUtc, *event);
}

void TAppCounter::Add(int64_t timeUtc, const TNetworkEvent& event) {
    std::lock_guard<TMutex> hold(lock_);
    if (!IsCountable(timeUtc) || !IsWatched(event.Local))
        return;
    TInOut& sums = hours_[HourStart(timeUtc)][ProgramOf(event.ProcessId, timeUtc)];
    uint64_t& sum = event.Direction == TNetDirection::Send ? sums.Out : sums.In;
    sum = SaturatingAdd(sum, event.Size);
}

bool TAppCounter::IsWatched(const TIpAddress& local) const {
    return !local.IsLoopback() && std::binary_search(local_.begin(), local_.end(), local);
}

// The program of a process id. A known id is trusted for kProcessRecheckSeconds; then the
// system is asked again, and another start time means the id now names another process. An id
// whose process has gone keeps its program: its last events may still be on their way.
const std::string& TAppCounter::ProgramOf(uint32_t processId, int64_t timeUtc) {
    if (processId == 0 || processId == 4)
        return kSystem;
    auto [it, isNew] = processes_.try_emplace(processId);
    TProcess& process = it->second;
    process.UsedAt = timeUtc;
    if (!isNew && timeUtc >= process.CheckedAt &&
        timeUtc - process.CheckedAt < kProcessRecheckSeconds)
        return process.Program;
    process.CheckedAt = timeUtc;
    const std::optional<TProcessImage> image = lookup_(processId);
    if (image && (isNew || process.Program.empty() || image->StartTime != process.StartTime)) {
        process.Program = image->Path;
        process.StartTime = image->StartTime;
    }
    return process.Program;
}

std::vector<TAppHour> TAppCounter::TakeFinishedHours(int64_t nowUtc) {
    std::lock_guard<TMutex> hold(lock_);
    ForgetIdleProcesses(nowUtc);
    return TakeBefore(HourStart(std::clamp<int64_t>(nowUtc, 0, kLatestTime)));
}

std::vector<TAppHour> TAppCounter::TakeAllHours() {
    std::lock_guard<TMutex> hold(lock_);
    return TakeBefore(std::numeric_limits<int64_t>::max());
}

std::vector<TAppHour> TAppCounter::TakeBefore(int64_t hourLimit) {
    std::vector<TAppHour> taken;
    const auto end = hours_.lower_bound(hourLimit);
    for (auto hour = hours_.begin(); hour != end; ++hour) {
        std::vector<TAppHour> programs;
        programs.reserve(hour->second.size());
        for (auto& [program, sums] : hour->second)
            programs.push_back({hour->first, program, sums.In, sums.Out});
        for (TAppHour& h : TopProgramsOfHour(std::move(programs), kProgramsPerHour))
            taken.push_back(std::move(h));
    }
    hours_.erase(hours_.begin(), end);
    return taken;
}

// Process ids unseen for an hour are dropped, so that the table follows the running programs.
void TAppCounter::ForgetIdleProcesses(int64_t nowUtc) {
    for (auto it = processes_.begin(); it != processes_.end();) {
        if (nowUtc > it->second.UsedAt && nowUtc - it->second.UsedAt > 3600)
            it = processes_.erase(it);
        else
            ++it;
    }
}
