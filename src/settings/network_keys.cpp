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
    for (uint64_t luid : ParseLuidList(ReadText(store, cfg::kAdapters))) {
        if (luid != targets[0].Identity) {
            TAdapterTarget other;
            other.Identity = luid;
            targets.push_back(other);
        }
    }
    return targets;
}

std::vector<uint64_t> ParseLuidList(std::string_view text) {
    std::vector<uint64_t> luids;
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find(';', start), text.size());
        const uint64_t luid = ParseLuidText(text.substr(start, end - start));
        if (luid != 0 && std::find(luids.begin(), luids.end(), luid) == luids.end())
            luids.push_back(luid);
        start = end + 1;
    }
    return luids;
}

std::string LuidListText(const std::vector<uint64_t>& luids) {
    std::string text;
    for (uint64_t luid : luids)
        text += (text.empty() ? "" : ";") + LuidText(luid);
    return text;
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
