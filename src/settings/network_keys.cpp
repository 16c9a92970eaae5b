// Reading and writing the "network" keys of the monitored adapter.
#include "settings/network_keys.h"

#include "config/config_keys.h"
#include "config/number_text.h"

#include <algorithm>

bool FollowsActiveConnection(const TMemIniFile& store) {
    if (IsStored(store, cfg::kFollowActive))
        return ReadFlag(store, cfg::kFollowActive);
    return !IsStored(store, cfg::kActiveAdapter);
}

TAdapterTarget StoredAdapterTarget(const TMemIniFile& store) {
    TAdapterTarget target;
    target.Automatic = FollowsActiveConnection(store);
    target.Index = static_cast<uint32_t>(ReadInt(store, cfg::kActiveAdapter));
    target.Identity = ParseLuidText(ReadText(store, cfg::kAdapterLuid));
    target.CountTunnel = ReadFlag(store, cfg::kCountVpn);
    return target;
}

std::vector<TAdapterTarget> StoredAdapterTargets(const TMemIniFile& store) {
    std::vector<TAdapterTarget> targets{StoredAdapterTarget(store)};
    if (targets[0].Automatic)
        return targets;
    const std::string list = ReadText(store, cfg::kAdapters);
    for (size_t start = 0; start < list.size();) {
        const size_t end = std::min(list.find(';', start), list.size());
        TAdapterTarget other;
        other.Identity = ParseLuidText(std::string_view(list).substr(start, end - start));
        const bool known = std::any_of(targets.begin(), targets.end(), [&](const TAdapterTarget& t) {
            return t.Identity == other.Identity;
        });
        if (other.Identity != 0 && !known)
            targets.push_back(other);
        start = end + 1;
    }
    return targets;
}

// Identities are compared as numbers: a stored text in lower case names the same adapter.
void RememberWatchedAdapter(TMemIniFile& store, uint32_t index, uint64_t luid) {
    const auto stored = static_cast<int32_t>(index);
    if (ReadInt(store, cfg::kActiveAdapter) != stored)
        WriteInt(store, cfg::kActiveAdapter, stored);
    if (luid != 0 && ParseLuidText(ReadText(store, cfg::kAdapterLuid)) != luid)
        WriteText(store, cfg::kAdapterLuid, LuidText(luid));
}

uint64_t ParseLuidText(std::string_view text) {
    if (text.size() != 16)
        return 0;
    uint64_t luid = 0;
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return 0;
        luid = luid << 4 | static_cast<uint64_t>(digit);
    }
    return luid;
}
