// TBackBuffer: the memory DC and the bitmap it keeps selected.
#include "platform/back_buffer.h"

#include "platform/window.h"

TBackBuffer::TBackBuffer() : dc_(::CreateCompatibleDC(nullptr)) {
    if (!dc_)
        RaiseLastWin32Error("CreateCompatibleDC");
}

TBackBuffer::~TBackBuffer() {
    if (original_)
        ::SelectObject(dc_.get(), original_); // a selected bitmap cannot be deleted
}

bool TBackBuffer::Fit(HWND window, int width, int height) {
    if (bitmap_ && size_.cx == width && size_.cy == height)
        return true;
    TWindowDc screen(window);
    TBitmapHandle bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    if (!bitmap)
        return false;
    HGDIOBJ previous = ::SelectObject(dc_.get(), bitmap.get());
    if (!original_)
        original_ = previous;
    bitmap_ = std::move(bitmap);
    size_ = {width, height};
    return true;
}
