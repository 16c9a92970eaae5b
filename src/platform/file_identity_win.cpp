// Win32 implementation of file_identity.h.
#include "platform/file_identity.h"
#include "platform/file_handle_io.h"
#include "platform/handle.h"

std::optional<TFileIdentity> FileIdentity(const std::wstring& path) {
    // Backup semantics open folders too; attribute access meets no sharing mode.
    TFileHandle file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file ? OpenFileIdentity(file.get()) : std::nullopt;
}

std::optional<TFileIdentity> OpenFileIdentity(void* file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info))
        return std::nullopt;
    return TFileIdentity{info.dwVolumeSerialNumber,
                         uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
}

TFullPath FullPathOf(const std::wstring& path) {
    std::wstring full(MAX_PATH, L'\0');
    wchar_t* part = nullptr;
    for (;;) {
        const DWORD n =
            ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), &part);
        if (n == 0)
            RaiseLastFileError();
        if (n < full.size()) {
            const size_t name = part ? static_cast<size_t>(part - full.data()) : n;
            return {full.substr(0, name), full.substr(name, n - name)};
        }
        full.resize(n);
    }
}

bool NamesFile(std::wstring_view part, std::wstring_view name) {
    part = part.substr(0, part.find(L':'));
    while (!part.empty() && (part.back() == L'.' || part.back() == L' '))
        part.remove_suffix(1);
    return ::CompareStringOrdinal(part.data(), static_cast<int>(part.size()), name.data(),
                                  static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
}
