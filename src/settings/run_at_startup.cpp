// Registry access for the run-at-start-up entry, through the wide API: the executable's path
// may hold letters that the 8-bit code page cannot spell.
#include "settings/run_at_startup.h"
#include "platform/file_io.h"
#include "platform/wide_text.h"
#include "text/texts.h"

#include <stdexcept>

const char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValueName[] = "wendrel";
namespace {
const wchar_t kWideRunValueName[] = L"wendrel";
}

bool TRunAtStartup::Open() {
    HKEY key = nullptr;
    LONG result =
        ::RegOpenKeyExW(HKEY_CURRENT_USER, WideFromUtf8(keyPath_).c_str(), 0, KEY_ALL_ACCESS, &key);
    key_.reset(result == ERROR_SUCCESS ? key : nullptr);
    return result == ERROR_SUCCESS;
}

bool TRunAtStartup::Exists() const {
    if (!key_)
        return false;
    return ::RegQueryValueExW(key_.get(), kWideRunValueName, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

void TRunAtStartup::Set(const std::string& command) {
    // The data is stored with its terminating NUL.
    const std::wstring data = WideFromUtf8(command);
    LONG result = key_ ? ::RegSetValueExW(key_.get(), kWideRunValueName, 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(data.c_str()),
                                          static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)))
                       : ERROR_INVALID_HANDLE;
    if (result != ERROR_SUCCESS)
        throw std::runtime_error(
            FormatText(Text(TTextId::FileErrorRunAtStartup), {{"value", kRunValueName}}));
}

void TRunAtStartup::Delete() {
    if (key_)
        ::RegDeleteValueW(key_.get(), kWideRunValueName);
}

std::string RunAtStartupCommand() {
    return "\"" + ExecutablePath() + "\"";
}
