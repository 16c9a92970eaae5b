// Recovery of a replace that was cut short: the portable half of file_io.h.
#include "platform/file_io.h"

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
