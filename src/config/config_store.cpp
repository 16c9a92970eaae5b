// The one configuration store of the process.
#include "config/config_store.h"

#include <stdexcept>

namespace {
// Never freed: the sampling thread may read it while the process ends.
TMemIniFile* store = nullptr;
} // namespace

void OpenConfigStore(const std::string& path, TLegacyTextDecoder legacy) {
    if (store)
        throw std::logic_error("configuration store opened twice");
    store = new TMemIniFile(path, legacy);
}

TMemIniFile& ConfigStore() {
    if (!store)
        throw std::logic_error("configuration store not opened");
    return *store;
}
