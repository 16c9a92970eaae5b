// The folder's named mutex, and the hand-over from a second copy to the first.
#include "app/single_instance.h"
#include "product/constants.h"
#include "platform/file_io.h"
#include "platform/wide_text.h"
#include "platform/window.h"

#include <cstring>
#include <string>

namespace {

// The running executable's folder, long names spelled out, with its trailing separator.
std::wstring ExecutableFolderW() {
    std::wstring path = WideFromUtf8(ExecutablePath());
    // A short (8.3) spelling of the same folder must give the same key.
    DWORD needed = ::GetLongPathNameW(path.c_str(), nullptr, 0);
    if (needed > 0) {
        std::wstring longPath(needed, L'\0');
        DWORD length = ::GetLongPathNameW(path.c_str(), longPath.data(), needed);
        if (length > 0 && length < needed)
            path.assign(longPath, 0, length);
    }
    path.resize(path.find_last_of(L"\\/") + 1);
    return path;
}

// FNV-1a over the UTF-16 units.
uint64_t HashText(const std::wstring& text) {
    uint64_t hash = 14695981039346656037ull;
    for (wchar_t unit : text) {
        for (int byte = 0; byte < 2; ++byte) {
            hash ^= (static_cast<uint32_t>(unit) >> (8 * byte)) & 0xFF;
            hash *= 1099511628211ull;
        }
    }
    return hash;
}

std::wstring MutexName(uint64_t key) {
    wchar_t digits[17];
    for (int i = 0; i < 16; ++i)
        digits[i] = L"0123456789ABCDEF"[(key >> (60 - 4 * i)) & 0xF];
    digits[16] = L'\0';
    return std::wstring(L"Local\\Corvane-") + digits;
}

struct TShowRequest {
    uint64_t key;
    bool shown;
};

BOOL CALLBACK AskToShow(HWND window, LPARAM param) {
    auto& request = *reinterpret_cast<TShowRequest*>(param);
    char cls[64] = "";
    if (!::GetClassNameA(window, cls, sizeof cls) || std::strcmp(cls, kMainWindowClass) != 0)
        return TRUE;
    // The copy that was started last may give the foreground to the one it hands over to.
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    ::AllowSetForegroundWindow(process);
    DWORD_PTR answer = 0;
    if (::SendMessageTimeoutW(window, ShowRunningCopyMessage(),
                              static_cast<WPARAM>(static_cast<uint32_t>(request.key)),
                              static_cast<LPARAM>(static_cast<uint32_t>(request.key >> 32)),
                              SMTO_ABORTIFHUNG | SMTO_BLOCK, 5000, &answer) &&
        answer == 1) {
        request.shown = true;
        return FALSE;
    }
    return TRUE;
}

} // namespace

uint64_t ExecutableFolderKey() {
    std::wstring folder = ExecutableFolderW();
    ::CharUpperBuffW(folder.data(), static_cast<DWORD>(folder.size()));
    return HashText(folder);
}

UINT ShowRunningCopyMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"CorvaneShowRunningCopy");
    return message;
}

bool IsFolderKeyMessage(WPARAM wParam, LPARAM lParam, uint64_t key) {
    return static_cast<uint32_t>(wParam) == static_cast<uint32_t>(key) &&
           static_cast<uint32_t>(lParam) == static_cast<uint32_t>(key >> 32);
}

// A mutex that cannot be made at all does not stop the start: better two copies than none.
TFolderInstance::TFolderInstance(uint64_t key) : key_(key) {
    const std::wstring name = MutexName(key);
    ::SetLastError(ERROR_SUCCESS);
    mutex_.reset(::CreateMutexW(nullptr, FALSE, name.c_str()));
    first_ = !mutex_ || ::GetLastError() != ERROR_ALREADY_EXISTS;
}

void TFolderInstance::ShowRunningCopy() const {
    constexpr int kAttempts = 100; // 10 s for a copy whose window is still being made
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        TShowRequest request{key_, false};
        ::EnumWindows(AskToShow, reinterpret_cast<LPARAM>(&request));
        if (request.shown)
            return;
        ::Sleep(100);
    }
}
