// Win32 implementation of hour_file.h: wide paths, and sharing that lets the program's own
// exports and other readers in while the store is written.
#include "history/hour_file.h"
#include "platform/file_io.h"
#include "platform/wide_text.h"
#include "platform/handle.h"

#include <algorithm>

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

[[noreturn]] void Fail(DWORD code) {
    throw TFileError(static_cast<int>(code), SystemErrorMessage(static_cast<int>(code)));
}

[[noreturn]] void FailLast() {
    Fail(::GetLastError());
}

// Writes as much as it can; the count of bytes that reached the file. When that is not all,
// GetLastError tells why (a write that took nothing counts as a full disk).
size_t WriteSome(HANDLE file, std::string_view data) {
    size_t done = 0;
    while (done < data.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1 << 20));
        DWORD written = 0;
        if (!::WriteFile(file, data.data() + done, chunk, &written, nullptr))
            break;
        if (written == 0) {
            ::SetLastError(ERROR_DISK_FULL);
            break;
        }
        done += written;
    }
    return done;
}

void WriteAll(HANDLE file, std::string_view data) {
    if (WriteSome(file, data) < data.size())
        FailLast();
}

} // namespace

bool ReadSharedIfExists(const std::string& path, std::string& contents) {
    TFileHandle file(::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD err = ::GetLastError();
        if (err == ERROR_FILE_NOT_FOUND)
            return false;
        Fail(err);
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size))
        FailLast();
    contents.assign(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < contents.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(contents.size() - done, 1 << 20));
        DWORD got = 0;
        if (!::ReadFile(file.get(), contents.data() + done, chunk, &got, nullptr))
            FailLast();
        if (got == 0)
            break; // the file shrank meanwhile
        done += got;
    }
    contents.resize(done);
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
                FailLast();
            WriteAll(file.get(), data);
            if (!::FlushFileBuffers(file.get()))
                FailLast();
        }
        if (!::MoveFileExW(temp.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            FailLast();
    } catch (...) {
        DeleteFileQuietly(temp);
        throw;
    }
}

struct TAppendFile::TImpl {
    TFileHandle file;
};

// Everyone is let in: a reader that holds the file with write access too (as the C runtime's
// fopen does) must not keep the store from appending.
TAppendFile::TAppendFile(const std::string& path) : impl_(std::make_unique<TImpl>()) {
    impl_->file.reset(::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    kShareAll, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
    if (!impl_->file)
        FailLast();
}

TAppendFile::~TAppendFile() = default;

uint64_t TAppendFile::Size() const {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(impl_->file.get(), &size))
        FailLast();
    return static_cast<uint64_t>(size.QuadPart);
}

void TAppendFile::Truncate(uint64_t size) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(size);
    if (!::SetFilePointerEx(impl_->file.get(), at, nullptr, FILE_BEGIN) ||
        !::SetEndOfFile(impl_->file.get()))
        FailLast();
}

void TAppendFile::Append(std::string_view data, size_t& written) {
    LARGE_INTEGER end{};
    if (!::SetFilePointerEx(impl_->file.get(), end, nullptr, FILE_END))
        FailLast();
    written = WriteSome(impl_->file.get(), data);
    if (written < data.size())
        FailLast();
    if (!::FlushFileBuffers(impl_->file.get()))
        FailLast();
}
