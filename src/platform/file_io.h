// Whole-file reads and crash-safe whole-file writes, the same on Windows and Linux.
// Errors carry Windows error codes (2 not found, 5 access denied, 32 sharing violation, ...).
#pragma once
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

// The system's own text for an error code, without a trailing full stop or line break.
std::string SystemErrorMessage(int code);

// Directory of the running executable, with its trailing separator.
std::string ExecutableDirectory();

// Reads the whole file; false when it does not exist. Any other failure throws TFileError.
bool ReadFileIfExists(const std::string& path, std::string& contents);

// Opens the file for reading and writing (shared with other processes), creating it empty
// when missing, and returns its contents.
std::string ReadOrCreateFile(const std::string& path);

// Replaces the file's contents in one step: a locked or read-only target fails before anything
// is written; otherwise the data goes to a temporary file beside it, is flushed, and is moved
// over the target. On failure the old file is left intact and the temporary file is removed.
void ReplaceFileContents(const std::string& path, std::string_view data);

// A file that could not be created or written: "Cannot create file "<path>". <reason>".
class EFCreateError : public std::runtime_error {
  public:
    EFCreateError(const std::string& path, const std::string& reason)
        : std::runtime_error("Cannot create file \"" + path + "\". " + reason) {}
};
