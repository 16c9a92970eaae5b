// Whole reads and writes of an open file, and the TFileError of a Win32 error code: shared by
// the file code of every layer (the configuration and log files, the hourly store).
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

[[noreturn]] void RaiseFileError(DWORD code);
[[noreturn]] void RaiseLastFileError();

// The rest of the file from where it stands; a file over maxSize throws EFileTooLarge naming
// path; a file that shrinks meanwhile gives what there was.
std::string ReadOpenFile(HANDLE file, const std::string& path, size_t maxSize);

// Writes as much as it can; the count of bytes that reached the file. When that is not all,
// GetLastError tells why (a write that took nothing counts as a full disk).
size_t WriteSome(HANDLE file, std::string_view data);
void WriteAll(HANDLE file, std::string_view data);
