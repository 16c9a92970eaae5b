// TSystemLibrary: LoadLibraryEx restricted to the system folder, and typed function lookup.
#include "platform/system_library.h"
#include "platform/file_io.h"
#include "platform/window.h"

#include <stdexcept>
#include <string>

TSystemLibrary::TSystemLibrary(const char* name)
    : name_(name), module_(::LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    if (!module_) {
        const int code = static_cast<int>(::GetLastError());
        throw std::runtime_error(std::string("Cannot load ") + name + " from the system folder. " +
                                 SystemErrorMessage(code));
    }
}

void* TSystemLibrary::Address(const char* name, bool required) const {
    // Through void*: function pointers of one type do not convert to another directly.
    void* address = reinterpret_cast<void*>(::GetProcAddress(module_.get(), name));
    if (!address && required)
        throw std::runtime_error("The system's " + name_ + " has no function " + name);
    return address;
}

void SearchLibrariesInSystemFolderOnly() {
    if (!::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        RaiseLastWin32Error("SetDefaultDllDirectories");
}
