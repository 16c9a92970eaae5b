// The portable half of file_io.h: the errors' texts, and the recovery of a replace that was cut
// short.
#include "platform/file_io.h"
#include "text/texts.h"

EFileTooLarge::EFileTooLarge(const std::string& path, unsigned long long size, size_t limit)
    : std::runtime_error(FormatText(
          Text(TTextId::FileErrorTooLarge),
          {{"file", path}, {"size", std::to_string(size)}, {"limit", std::to_string(limit)}})) {}

EFCreateError::EFCreateError(const std::string& path, const std::string& reason)
    : std::runtime_error(
          FormatText(Text(TTextId::FileErrorCannotCreate), {{"file", path}, {"reason", reason}})) {}

bool ReadInterruptedReplacement(const std::string& path, size_t currentSize,
                                bool (*complete)(std::string_view), std::string& contents,
                                size_t maxSize) {
    std::string temp;
    try {
        if (!ReadFileIfExists(TemporaryFileOf(path), temp, maxSize))
            return false;
    } catch (const TFileError&) {
        return false; // held or unreadable: the target stays the copy to trust
    }
    if (temp.size() <= currentSize || !complete(temp))
        return false;
    contents = std::move(temp);
    return true;
}
