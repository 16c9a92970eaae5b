// The rates as two bars, in and out: the scale follows the peak of the last seconds, and each
// bar's height is in pixels against it.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

struct TBarHeights {
    int In = 0;
    int Out = 0;
};

// Nothing gives no bar, any traffic at least one pixel, the peak (or more) the full height.
int BarHeight(uint32_t rate, uint64_t peak, int pixels);

class TRateBars {
  public:
    // How many seconds the scale looks back.
    static constexpr size_t kSeconds = 10;
    // The smallest scale: a few bytes of chatter on a quiet line stay short bars.
    static constexpr uint64_t kMinPeak = 1024;

    // One second's bytes in and out.
    void Add(uint32_t in, uint32_t out);
    // The highest rate of the last kSeconds seconds, in or out, at least kMinPeak.
    uint64_t Peak() const;
    // The last second's bars, each at most `pixels` high.
    TBarHeights Heights(int pixels) const;

  private:
    std::array<uint32_t, kSeconds> highest_{}; // per second, the higher of in and out
    size_t next_ = 0;
    uint32_t lastIn_ = 0, lastOut_ = 0;
};
