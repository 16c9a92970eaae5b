// Reading and writing the "network" keys of the monitored adapter.
#include "settings/network_keys.h"

namespace {
const char kSection[] = "network";
}

bool FollowsActiveConnection(const TMemIniFile& store) {
    if (store.HasKey(kSection, "followactive"))
        return store.QueryFlag(kSection, "followactive", true);
    return !store.HasKey(kSection, "activeadapter");
}

TAdapterTarget StoredAdapterTarget(const TMemIniFile& store) {
    TAdapterTarget target;
    target.Automatic = FollowsActiveConnection(store);
    target.Index = static_cast<uint32_t>(store.QueryInt(kSection, "activeadapter", 1));
    target.Identity = store.QueryText(kSection, "adapterluid", "");
    return target;
}

void RememberWatchedAdapter(TMemIniFile& store, uint32_t index, const std::string& luid) {
    const auto stored = static_cast<int32_t>(index);
    if (store.QueryInt(kSection, "activeadapter", 1) != stored)
        store.StoreInt(kSection, "activeadapter", stored);
    if (!luid.empty() && store.QueryText(kSection, "adapterluid", "") != luid)
        store.StoreText(kSection, "adapterluid", luid);
}
