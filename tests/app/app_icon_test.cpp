// The application icon as the system reads it from the resource: the 128-pixel frame is PNG
// inside the icon (Wine, like Windows since Vista, decodes it), the 16-pixel one a DIB.
#include "resource.h"
#include "platform/handle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

struct TIconPixels {
    int Arrow = 0;   // opaque, with red or green well above blue: the two arrows
    int Partial = 0; // neither clear nor opaque: the smoothed edges
};

TIconPixels CountPixels(HICON icon, int size) {
    TIconPixels counts;
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info))
        return counts;
    TBitmapHandle colour(info.hbmColor), mask(info.hbmMask);
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof header.bmiHeader;
    header.bmiHeader.biWidth = size;
    header.bmiHeader.biHeight = -size;
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = 32;
    header.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(size) * size);
    TWindowDc screen(nullptr);
    if (::GetDIBits(screen.get(), colour.get(), 0, size, pixels.data(), &header, DIB_RGB_COLORS) !=
        size)
        return counts;
    for (uint32_t p : pixels) {
        const int a = p >> 24, r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
        counts.Arrow += a > 200 && std::max(r, g) > b + 60;
        counts.Partial += a > 0 && a < 255;
    }
    return counts;
}

} // namespace

TEST(AppIcon, BothFramesLoadWithTheirArrows) {
    for (int size : {128, 16}) {
        TIconHandle icon(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr),
                                                         MAKEINTRESOURCEA(IDI_CORVANE), IMAGE_ICON,
                                                         size, size, 0)));
        ASSERT_TRUE(icon) << size;
        const TIconPixels counts = CountPixels(icon.get(), size);
        EXPECT_GT(counts.Arrow, size * size / 5) << size;
        if (size == 128) {
            EXPECT_GT(counts.Partial, 100) << "the PNG frame's alpha was lost";
        }
    }
}
