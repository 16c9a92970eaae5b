// The tray icon's bars: a short memory of peaks and the arithmetic of the bars' heights.
#include "display/rate_bars.h"

#include <algorithm>

int BarHeight(uint32_t rate, uint64_t peak, int pixels) {
    if (rate == 0 || pixels <= 0)
        return 0;
    if (rate >= peak)
        return pixels;
    // Rounded to the nearest pixel; a 32-bit rate times a pixel count fits in 64 bits.
    const uint64_t height = (uint64_t{rate} * static_cast<uint64_t>(pixels) + peak / 2) / peak;
    return std::max(1, static_cast<int>(height));
}

void TRateBars::Add(uint32_t in, uint32_t out) {
    highest_[next_] = std::max(in, out);
    next_ = (next_ + 1) % kSeconds;
    lastIn_ = in;
    lastOut_ = out;
}

uint64_t TRateBars::Peak() const {
    return std::max<uint64_t>(kMinPeak, *std::max_element(highest_.begin(), highest_.end()));
}

TBarHeights TRateBars::Heights(int pixels) const {
    const uint64_t peak = Peak();
    return {BarHeight(lastIn_, peak, pixels), BarHeight(lastOut_, peak, pixels)};
}
