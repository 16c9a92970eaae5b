// Decoding of the JPEG picture held in memory by the system's own codecs (WIC), for the
// about box.
#pragma once
#include "platform/handle.h"

#include <cstddef>

// The picture as a 24-bit top-down DIB section. Throws std::runtime_error with the system's
// message when the data is not a picture it can decode.
TBitmapHandle DecodeJpeg(const void* data, size_t size);
