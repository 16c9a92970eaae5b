// A back buffer for flicker-free painting: a memory DC that keeps a bitmap of the window's size
// selected between paints, so that a paint makes no GDI object; only a new size makes one.
#pragma once
#include "platform/handle.h"

class TBackBuffer {
  public:
    TBackBuffer(); // raises on failure
    ~TBackBuffer();
    TBackBuffer(const TBackBuffer&) = delete;
    TBackBuffer& operator=(const TBackBuffer&) = delete;

    HDC Dc() const { return dc_.get(); }
    // Gives the DC a bitmap of width x height, compatible with window's screen, unless it has
    // one; false when it cannot be made (GetLastError tells why).
    bool Fit(HWND window, int width, int height);

  private:
    TMemDcHandle dc_;
    TBitmapHandle bitmap_;
    HGDIOBJ original_ = nullptr; // the DC's own bitmap, put back before bitmap_ goes
    SIZE size_{0, 0};
};
