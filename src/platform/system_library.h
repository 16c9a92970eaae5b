// Libraries of Windows that are not among the KnownDLLs, loaded from the system folder only:
// a DLL of the same name planted beside the executable is never picked up.
#pragma once
#include "platform/handle.h"

#include <string>

class TSystemLibrary {
  public:
    // Loads name (for example "iphlpapi.dll") from the system folder; throws when it is not there.
    explicit TSystemLibrary(const char* name);

    // The named function; throws when the library does not export it.
    template <typename Fn> Fn Proc(const char* name) const {
        return reinterpret_cast<Fn>(Address(name, true));
    }
    // The named function, or nullptr where this Windows build does not have it.
    template <typename Fn> Fn FindProc(const char* name) const {
        return reinterpret_cast<Fn>(Address(name, false));
    }

    // A function exported by number only, or nullptr where this build has none by that number.
    template <typename Fn> Fn FindProc(WORD ordinal) const {
        return reinterpret_cast<Fn>(Address(MAKEINTRESOURCEA(ordinal), false));
    }

  private:
    void* Address(const char* name, bool required) const;

    std::string name_;
    TModuleHandle module_;
};

// Makes the system folder the only place searched for libraries loaded by name, also by
// components of Windows that the program calls. Call it before anything loads a library.
void SearchLibrariesInSystemFolderOnly();
