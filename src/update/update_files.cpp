// Names, folder and clean-up of the update check's files.
#include "update/update_files.h"

#include "platform/file_io.h"
#include "platform/handle.h"
#include "platform/wide_text.h"

#include <string_view>

namespace {

constexpr std::wstring_view kSetupPrefix = L"corvane-update-";
constexpr std::wstring_view kSetupSuffix = L".exe";

struct FindTraits {
    using Type = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::FindClose(h); }
};
using TFindHandle = TUniqueHandle<FindTraits>;

// The search also matches short (8.3) names, so the long name is checked in full.
bool IsSetupFileName(std::wstring_view name) {
    if (name.size() <= kSetupPrefix.size() + kSetupSuffix.size() ||
        name.substr(0, kSetupPrefix.size()) != kSetupPrefix ||
        name.substr(name.size() - kSetupSuffix.size()) != kSetupSuffix)
        return false;
    std::wstring_view build =
        name.substr(kSetupPrefix.size(), name.size() - kSetupPrefix.size() - kSetupSuffix.size());
    for (wchar_t c : build)
        if (c < L'0' || c > L'9')
            return false;
    return build.size() <= 10;
}

} // namespace

std::wstring ExecutableFolder() {
    return WideFromUtf8(ExecutableDirectory());
}

std::wstring SetupFileName(int32_t build) {
    // The digits widened one by one: std::to_wstring would bring in a wide printf.
    const std::string number = std::to_string(build);
    return std::wstring(kSetupPrefix) + std::wstring(number.begin(), number.end()) +
           std::wstring(kSetupSuffix);
}

void DeleteUpdateLeftovers(const std::wstring& folder) {
    DeleteFileQuietly(folder + kDescriptorFile);
    WIN32_FIND_DATAW found;
    const std::wstring pattern =
        folder + std::wstring(kSetupPrefix) + L"*" + std::wstring(kSetupSuffix);
    TFindHandle search(::FindFirstFileW(pattern.c_str(), &found));
    if (!search)
        return; // none, or the folder cannot be listed
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            IsSetupFileName(found.cFileName))
            DeleteFileQuietly(folder + found.cFileName);
    } while (::FindNextFileW(search.get(), &found));
}
