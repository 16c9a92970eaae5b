// Win32 implementation of file_io.h: UTF-8 paths through the wide API.
#include "platform/file_io.h"
#include "platform/file_handle_io.h"
#include "platform/handle.h"
#include "platform/wide_text.h"

#include <algorithm>

[[noreturn]] void RaiseFileError(DWORD code) {
    throw TFileError(static_cast<int>(code), SystemErrorMessage(static_cast<int>(code)));
}

[[noreturn]] void RaiseLastFileError() {
    RaiseFileError(::GetLastError());
}

std::string ReadOpenFile(HANDLE file, const std::string& path, size_t maxSize) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size))
        RaiseLastFileError();
    const auto bytes = static_cast<unsigned long long>(size.QuadPart);
    if (bytes > maxSize)
        throw EFileTooLarge(path, bytes, maxSize);
    std::string out(static_cast<size_t>(bytes), '\0');
    size_t done = 0;
    while (done < out.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(out.size() - done, 1 << 20));
        DWORD got = 0;
        if (!::ReadFile(file, out.data() + done, chunk, &got, nullptr))
            RaiseLastFileError();
        if (got == 0)
            break; // the file shrank meanwhile
        done += got;
    }
    out.resize(done);
    return out;
}

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
        RaiseLastFileError();
}

namespace {

TFileHandle OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    return TFileHandle(::CreateFileW(WideFromUtf8(path).c_str(), access, share, nullptr,
                                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void WriteNewFile(const std::string& path, std::string_view data) {
    TFileHandle file = OpenFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (!file)
        RaiseLastFileError();
    WriteAll(file.get(), data);
    if (!::FlushFileBuffers(file.get()))
        RaiseLastFileError();
}

// A reader that holds the target without delete sharing (as the C runtime's fopen does) blocks
// the move; such holds are often brief, so it is tried a few times. The last error, or 0.
DWORD MoveOver(const std::string& from, const std::string& to) {
    const std::wstring source = WideFromUtf8(from), target = WideFromUtf8(to);
    DWORD pause = 25;
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(source.c_str(), target.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 0;
        const DWORD error = ::GetLastError();
        if (attempt == 4)
            return error;
        ::Sleep(pause);
        pause *= 2;
    }
}

// Empties the target first, so that a crash part-way leaves it shorter than the complete
// temporary file, which start-up then prefers.
void RewriteInPlace(HANDLE file, std::string_view data) {
    if (!::SetEndOfFile(file))
        RaiseLastFileError();
    WriteAll(file, data);
    if (!::FlushFileBuffers(file))
        RaiseLastFileError();
}

} // namespace

std::string SystemErrorMessage(int code) {
    wchar_t* text = nullptr;
    DWORD len = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message =
        len ? Utf8FromWide(std::wstring_view(text, len)) : "Error " + std::to_string(code);
    if (text)
        ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}

std::string ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            RaiseLastFileError();
        if (n < path.size())
            return Utf8FromWide(path.substr(0, n));
        path.resize(path.size() * 2);
    }
}

std::string ExecutableDirectory() {
    const std::string path = ExecutablePath();
    return path.substr(0, path.find_last_of("\\/") + 1);
}

bool ReadFileIfExists(const std::string& path, std::string& contents, size_t maxSize) {
    TFileHandle file =
        OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (!file) {
        DWORD err = ::GetLastError();
        if (err == ERROR_FILE_NOT_FOUND)
            return false;
        RaiseFileError(err);
    }
    contents = ReadOpenFile(file.get(), path, maxSize);
    return true;
}

std::string ReadOrCreateFile(const std::string& path, size_t maxSize) {
    TFileHandle file = OpenFile(path, GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS);
    if (!file)
        RaiseLastFileError();
    return ReadOpenFile(file.get(), path, maxSize);
}

void ReplaceFileContents(const std::string& path, std::string_view data) {
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    // A locked or read-only target fails here, with the code a plain rewrite would get.
    {
        TFileHandle probe = OpenFile(path, GENERIC_WRITE, kShareAll, OPEN_EXISTING);
        if (!probe && ::GetLastError() != ERROR_FILE_NOT_FOUND)
            RaiseLastFileError();
    }
    const std::string temp = TemporaryFileOf(path);
    try {
        WriteNewFile(temp, data);
    } catch (...) {
        DeleteFileQuietly(temp);
        throw;
    }
    if (MoveOver(temp, path) == 0)
        return;
    TFileHandle target = OpenFile(path, GENERIC_WRITE, kShareAll, OPEN_EXISTING);
    if (!target) {
        const DWORD error = ::GetLastError();
        DeleteFileQuietly(temp);
        RaiseFileError(error);
    }
    // From here on only the temporary file is sure to be complete: it stays if this fails.
    RewriteInPlace(target.get(), data);
    target.reset();
    DeleteFileQuietly(temp);
}

void DeleteFileQuietly(const std::string& path) {
    DeleteFileQuietly(WideFromUtf8(path));
}

void DeleteFileQuietly(const std::wstring& path) {
    ::DeleteFileW(path.c_str());
}
