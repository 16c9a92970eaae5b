// Decoding of a JPEG picture held in memory (libjpeg), for the about box.
#pragma once
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

struct TJpegPicture {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Bgr; // top row first, three bytes per pixel (blue, green, red), no padding
};

// Throws std::runtime_error with libjpeg's message when the data is not a usable JPEG.
TJpegPicture DecodeJpeg(const void* data, size_t size);
