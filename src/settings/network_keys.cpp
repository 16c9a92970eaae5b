// Reading and writing the "network" keys of the monitored adapter.
#include "settings/network_keys.h"

#include "config/config_keys.h"

bool FollowsActiveConnection(const TMemIniFile& store) {
    if (IsStored(store, cfg::kFollowActive))
        return ReadFlag(store, cfg::kFollowActive);
    return !IsStored(store, cfg::kActiveAdapter);
}

TAdapterTarget StoredAdapterTarget(const TMemIniFile& store) {
    TAdapterTarget target;
    target.Automatic = FollowsActiveConnection(store);
    target.Index = static_cast<uint32_t>(ReadInt(store, cfg::kActiveAdapter));
    target.Identity = ReadText(store, cfg::kAdapterLuid);
    return target;
}

void RememberWatchedAdapter(TMemIniFile& store, uint32_t index, const std::string& luid) {
    const auto stored = static_cast<int32_t>(index);
    if (ReadInt(store, cfg::kActiveAdapter) != stored)
        WriteInt(store, cfg::kActiveAdapter, stored);
    if (!luid.empty() && ReadText(store, cfg::kAdapterLuid) != luid)
        WriteText(store, cfg::kAdapterLuid, luid);
}
