// MakeTopDownDib: CreateDIBSection with the header filled in, failures raised.
#include "platform/dib.h"
#include "platform/window.h"

TBitmapHandle MakeTopDownDib(int width, int height, int bitCount, void*& bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bitCount);
    info.bmiHeader.biCompression = BI_RGB;
    bits = nullptr;
    TBitmapHandle bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap)
        RaiseLastWin32Error("CreateDIBSection");
    return bitmap;
}
