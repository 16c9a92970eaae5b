// GDI object count: GetGuiResources, or, where that is a stub answering 0 (Wine), a walk
// over the handle table, whose lookups there accept a handle given by its index alone.
#include "platform/gdi_count.h"

#include <windows.h>

unsigned CountGdiObjects() {
    DWORD count = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (count != 0)
        return count;
    unsigned live = 0;
    for (uintptr_t index = 1; index < 0x10000; ++index)
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0)
            ++live;
    return live;
}
