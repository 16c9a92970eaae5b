// Win32 implementation of append_file.h: wide paths, and sharing that lets the program's own
// exports and other readers in while the store is written.
#include "log/append_file.h"
#include "platform/file_handle_io.h"
#include "platform/file_identity.h"
#include "platform/file_io.h"
#include "platform/wide_text.h"
#include "platform/handle.h"

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

} // namespace

bool ReadSharedIfExists(const std::string& path, std::string& contents, size_t maxSize) {
    TFileHandle file(::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD err = ::GetLastError();
        if (err == ERROR_FILE_NOT_FOUND)
            return false;
        RaiseFileError(err);
    }
    contents = ReadOpenFile(file.get(), path, maxSize);
    return true;
}

void WriteFileReplacing(const std::string& path, std::string_view data) {
    const std::wstring target = WideFromUtf8(path);
    const std::wstring temp = target + L".tmp";
    try {
        {
            TFileHandle file(::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file)
                RaiseLastFileError();
            WriteAll(file.get(), data);
            if (!::FlushFileBuffers(file.get()))
                RaiseLastFileError();
        }
        if (!::MoveFileExW(temp.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            RaiseLastFileError();
    } catch (...) {
        DeleteFileQuietly(temp);
        throw;
    }
}

struct TAppendFile::TImpl {
    std::wstring path;
    TFileHandle file;
};

// Everyone is let in: a reader that holds the file with write access too (as the C runtime's
// fopen does) must not keep the store from appending.
TAppendFile::TAppendFile(const std::string& path) : impl_(std::make_unique<TImpl>()) {
    impl_->path = WideFromUtf8(path);
    impl_->file.reset(::CreateFileW(impl_->path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!impl_->file)
        RaiseLastFileError();
}

TAppendFile::~TAppendFile() = default;

// Whatever stands at the path now (a copy moved over the file, a folder) has another identity.
bool TAppendFile::StillAtItsPath() const {
    const auto open = OpenFileIdentity(impl_->file.get());
    return open && open == FileIdentity(impl_->path);
}

uint64_t TAppendFile::Size() const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(impl_->file.get(), &size))
        RaiseLastFileError();
    return static_cast<uint64_t>(size.QuadPart);
}

void TAppendFile::Truncate(uint64_t size) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFilePointerEx(impl_->file.get(), at, nullptr, FILE_BEGIN) ||
        !::SetEndOfFile(impl_->file.get()))
        RaiseLastFileError();
}

void TAppendFile::Append(std::string_view data, size_t& written) {
    LARGE_INTEGER end{};
    if (!::SetFilePointerEx(impl_->file.get(), end, nullptr, FILE_END))
        RaiseLastFileError();
    written = WriteSome(impl_->file.get(), data);
    if (written < data.size())
        RaiseLastFileError();
    if (!::FlushFileBuffers(impl_->file.get()))
        RaiseLastFileError();
}
