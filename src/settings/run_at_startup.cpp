// Registry access for the run-at-start-up entry.
#include "settings/run_at_startup.h"
#include "platform/window.h"

#include <stdexcept>
#include <vector>

const char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValueName[] = "wendrel";

bool TRunAtStartup::Open() {
    HKEY key = nullptr;
    LONG result = ::RegOpenKeyExA(HKEY_CURRENT_USER, keyPath_.c_str(), 0, KEY_ALL_ACCESS, &key);
    key_.reset(result == ERROR_SUCCESS ? key : nullptr);
    return result == ERROR_SUCCESS;
}

bool TRunAtStartup::Exists() const {
    if (!key_)
        return false;
    return ::RegQueryValueExA(key_.get(), kRunValueName, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

void TRunAtStartup::Set(const std::string& command) {
    // The data is stored with its terminating NUL.
    LONG result = key_ ? ::RegSetValueExA(key_.get(), kRunValueName, 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(command.c_str()),
                                          static_cast<DWORD>(command.size() + 1))
                       : ERROR_INVALID_HANDLE;
    if (result != ERROR_SUCCESS)
        throw std::runtime_error(std::string("Failed to set data for '") + kRunValueName + "'");
}

void TRunAtStartup::Delete() {
    if (key_)
        ::RegDeleteValueA(key_.get(), kRunValueName);
}

std::string RunAtStartupCommand() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD length =
            ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            RaiseLastWin32Error("GetModuleFileName");
        if (length < buffer.size())
            return "\"" + std::string(buffer.data(), length) + "\"";
        buffer.resize(buffer.size() * 2);
    }
}
