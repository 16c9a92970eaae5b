// TTableLookup: the tracker's questions answered from the interface table and its rows.
#include "traffic/table_lookup.h"

#include <algorithm>

const MIB_IFROW* TTableLookup::Row(uint32_t index) const {
    auto row = std::find_if(rows_.begin(), rows_.end(),
                            [index](const MIB_IFROW& r) { return r.dwIndex == index; });
    return row == rows_.end() ? nullptr : &*row;
}

bool TTableLookup::ByIndex(uint32_t index, TInterfaceState& state) {
    const MIB_IFROW* row = Row(index);
    if (!row)
        return false;
    state = TInterfaceState{};
    state.Index = index;
    state.Counters.InOctets = row->dwInOctets;
    state.Counters.OutOctets = row->dwOutOctets;
    state.Counters.Speed = row->dwSpeed;
    state.Counters.ElapsedMs = elapsedMs_;
    TInterfaceEntry2 entry;
    if (ReadInterfaceEntry2(index, entry, source_.GetIfEntry2, watchedLuid_)) {
        state.Identity = entry.Luid;
        state.Counters.Has64BitCounters = true;
        state.Counters.InOctets64 = entry.InOctets;
        state.Counters.OutOctets64 = entry.OutOctets;
    }
    return true;
}

bool TTableLookup::ByIdentity(uint64_t identity, TInterfaceState& state) {
    uint32_t index = 0;
    return InterfaceIndexOfLuid(identity, index, source_.ConvertInterfaceLuidToIndex) &&
           ByIndex(index, state);
}

bool TTableLookup::ActiveConnection(uint32_t& index) {
    index = CountedConnectionNow(rows_, countTunnel_, source_).Index;
    return index != 0;
}

uint64_t TableShape(const std::vector<MIB_IFROW>& rows) {
    uint64_t shape = 14695981039346656037ull; // FNV-1a
    for (const MIB_IFROW& row : rows) {
        for (uint64_t value : {uint64_t{row.dwIndex}, uint64_t{row.dwOperStatus}}) {
            shape ^= value;
            shape *= 1099511628211ull;
        }
    }
    return shape;
}
