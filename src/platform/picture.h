// Pictures held in memory or in the executable's resources, decoded by the system's own codecs
// (WIC): JPEG, PNG and the rest that Windows reads, so the program carries no decoder.
#pragma once
#include "platform/handle.h"

#include <cstddef>

enum class TPixelFormat {
    Bgr24,  // 24-bit BGR
    Bgra32, // 32-bit BGRA, alpha not premultiplied
};

// The picture's first frame as a top-down DIB section. Throws std::runtime_error with the
// system's message when the data is not a picture it can decode.
TBitmapHandle DecodePicture(const void* data, size_t size, TPixelFormat format);
// A picture stored as RCDATA resource `id` of the executable.
TBitmapHandle LoadPictureResource(int id, TPixelFormat format);
