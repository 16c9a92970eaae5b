// The update check's own files beside the executable. Their names are ours alone: a portable
// copy may sit in a folder such as Downloads, where "setup.exe" belongs to other programs.
#pragma once
#include <cstdint>
#include <string>

// The downloaded update descriptor.
inline constexpr wchar_t kDescriptorFile[] = L"corvane-update.tmp";

// The executable's folder with its trailing separator, in full even where the ANSI code page
// cannot spell it.
std::wstring ExecutableFolder();

// The downloaded setup program of a build: "corvane-update-7.exe".
std::wstring SetupFileName(int32_t build);

// Deletes, in folder, the descriptor and every setup program named as SetupFileName names
// them; nothing else. Failures are ignored: a setup program still running keeps its file.
void DeleteUpdateLeftovers(const std::wstring& folder);
