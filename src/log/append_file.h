// The file operations of the append-only stores and the exports, on UTF-8 paths that reach the
// system as wide (UTF-16) paths on Windows, so that any folder name works.
#pragma once
#include "platform/file_io.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// Reads the whole file without getting in anyone's way: other processes may read, write,
// rename and delete it meanwhile. False when it does not exist; a file over maxSize throws
// EFileTooLarge before anything is read; other failures throw TFileError.
bool ReadSharedIfExists(const std::string& path, std::string& contents,
                        size_t maxSize = kAnyFileSize);

// Writes the whole file through a temporary file beside it, flushed and then moved over it.
void WriteFileReplacing(const std::string& path, std::string_view data);

// A file kept open for appending by its one writer; readers may read, rename and delete it.
class TAppendFile {
  public:
    // Opens (creating it when missing); throws TFileError.
    explicit TAppendFile(const std::string& path);
    ~TAppendFile();
    TAppendFile(const TAppendFile&) = delete;
    TAppendFile& operator=(const TAppendFile&) = delete;

    // True while the path it was opened by still names this very file: not a copy that another
    // program moved over it, nor nothing. Compares the file system's identity of the two.
    bool StillAtItsPath() const;
    uint64_t Size() const;
    void Truncate(uint64_t size);
    // Writes data at the end and flushes it to the disk. On failure `written` tells how many
    // bytes reached the file before the error was thrown.
    void Append(std::string_view data, size_t& written);

  private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
};
