// Which file a path names, as the system resolves it: the absolute form of any spelling, the
// identity of a file or folder that exists, and names compared as the file system compares them.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The volume's serial number and the file's index: the same through every path that leads to
// the file (short names, links, junctions, "..") while it exists.
struct TFileIdentity {
    uint32_t Volume = 0;
    uint64_t Index = 0;
    bool operator==(const TFileIdentity& other) const {
        return Volume == other.Volume && Index == other.Index;
    }
};

// Opened for its attributes only, past any sharing; nullopt when nothing can be opened there.
std::optional<TFileIdentity> FileIdentity(const std::wstring& path);
// The identity of a file open under `file` (a HANDLE); nullopt when the system cannot tell it.
std::optional<TFileIdentity> OpenFileIdentity(void* file);

// GetFullPathNameW: the absolute path as its folder (with the trailing separator) and its last
// part (empty when the path ends in a separator). Throws TFileError.
struct TFullPath {
    std::wstring Folder;
    std::wstring Name;
};
TFullPath FullPathOf(const std::wstring& path);

// Whether a path's last part names the file `name`: letter case as the system ignores it, and
// without the trailing dots and spaces it drops and a stream after a colon.
bool NamesFile(std::wstring_view part, std::wstring_view name);
