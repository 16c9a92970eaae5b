// Top-down device-independent bitmaps whose pixels the program writes itself.
#pragma once
#include "platform/handle.h"

// A width x height top-down DIB section of 24 or 32 bits per pixel; `bits` receives its pixels.
TBitmapHandle MakeTopDownDib(int width, int height, int bitCount, void*& bits);
