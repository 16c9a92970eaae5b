// Whole-file reads and crash-safe whole-file writes, the same on Windows and Linux.
// Paths are UTF-8. Errors carry Windows error codes (2 not found, 5 access denied, 32 sharing
// violation, ...).
#pragma once
#include <cstddef>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

class TFileError : public std::runtime_error {
  public:
    TFileError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int Code() const { return code_; }

  private:
    int code_;
};

// A file larger than its reader accepts; it is left as it is.
class EFileTooLarge : public std::runtime_error {
  public:
    EFileTooLarge(const std::string& path, unsigned long long size, size_t limit);
};

constexpr size_t kAnyFileSize = std::numeric_limits<size_t>::max();

// The system's own text for an error code, without a trailing full stop or line break.
std::string SystemErrorMessage(int code);

// Full path of the running executable.
std::string ExecutablePath();
// Directory of the running executable, with its trailing separator.
std::string ExecutableDirectory();

// Reads the whole file; false when it does not exist. A file over maxSize throws
// EFileTooLarge; any other failure throws TFileError.
bool ReadFileIfExists(const std::string& path, std::string& contents,
                      size_t maxSize = kAnyFileSize);

// Opens the file for reading and writing (shared with other processes), creating it empty
// when missing, and returns its contents. Failures as for ReadFileIfExists.
std::string ReadOrCreateFile(const std::string& path, size_t maxSize = kAnyFileSize);

// Replaces the file's contents: a locked or read-only target fails before anything is
// written; otherwise the data goes to TemporaryFileOf(path), is flushed, and is moved over the
// target. A target that another program holds open without delete sharing cannot be replaced;
// after a few tries it is rewritten in place instead, and the temporary file stays until that
// has finished, so that a crash leaves one complete copy. On failure before the target was
// touched the old file is left intact and the temporary file is removed.
void ReplaceFileContents(const std::string& path, std::string_view data);

// The temporary file that ReplaceFileContents writes beside path.
inline std::string TemporaryFileOf(const std::string& path) {
    return path + ".tmp";
}

// After a replace that was cut short (not atomic on FAT and exFAT) the temporary file may be
// the only complete copy. True, with its contents, when it exists, is judged complete and is
// longer than the target's currentSize (0 for a missing target). A temporary file that cannot
// be read counts as absent; one over maxSize throws EFileTooLarge.
bool ReadInterruptedReplacement(const std::string& path, size_t currentSize,
                                bool (*complete)(std::string_view), std::string& contents,
                                size_t maxSize);

// Deletes a file; every failure (a missing file included) is ignored.
void DeleteFileQuietly(const std::string& path);
#ifdef _WIN32
void DeleteFileQuietly(const std::wstring& path);
#endif

// A file that could not be created or written: "Cannot create file "<path>". <reason>".
class EFCreateError : public std::runtime_error {
  public:
    EFCreateError(const std::string& path, const std::string& reason);
};
