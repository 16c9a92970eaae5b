// Win32 implementation of file_io.h.
#include "platform/file_io.h"
#include "platform/handle.h"

namespace {

[[noreturn]] void Fail(DWORD code) {
    throw TFileError(static_cast<int>(code), SystemErrorMessage(static_cast<int>(code)));
}

[[noreturn]] void FailLast() {
    Fail(::GetLastError());
}

std::string ReadAll(HANDLE file) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size))
        FailLast();
    std::string out(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < out.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(out.size() - done, 1 << 20));
        DWORD got = 0;
        if (!::ReadFile(file, out.data() + done, chunk, &got, nullptr))
            FailLast();
        if (got == 0)
            break; // the file shrank meanwhile
        done += got;
    }
    out.resize(done);
    return out;
}

void WriteAll(HANDLE file, std::string_view data) {
    while (!data.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size(), 1 << 20));
        DWORD written = 0;
        if (!::WriteFile(file, data.data(), chunk, &written, nullptr))
            FailLast();
        if (written == 0)
            Fail(ERROR_DISK_FULL);
        data.remove_prefix(written);
    }
}

} // namespace

std::string SystemErrorMessage(int code) {
    char* text = nullptr;
    DWORD len = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = len ? std::string(text, len) : "Error " + std::to_string(code);
    if (text)
        ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}

std::string ExecutableDirectory() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            FailLast();
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of("\\/") + 1);
}

bool ReadFileIfExists(const std::string& path, std::string& contents) {
    TFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        DWORD err = ::GetLastError();
        if (err == ERROR_FILE_NOT_FOUND)
            return false;
        Fail(err);
    }
    contents = ReadAll(file.get());
    return true;
}

std::string ReadOrCreateFile(const std::string& path) {
    TFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        FailLast();
    return ReadAll(file.get());
}

void ReplaceFileContents(const std::string& path, std::string_view data) {
    // A locked or read-only target fails here, with the code a plain rewrite would get.
    {
        TFileHandle probe(::CreateFileA(path.c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe && ::GetLastError() != ERROR_FILE_NOT_FOUND)
            FailLast();
    }
    std::string temp = path + ".tmp";
    try {
        {
            TFileHandle file(::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file)
                FailLast();
            WriteAll(file.get(), data);
            if (!::FlushFileBuffers(file.get()))
                FailLast();
        }
        if (!::MoveFileExA(temp.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            FailLast();
    } catch (...) {
        ::DeleteFileA(temp.c_str());
        throw;
    }
}
