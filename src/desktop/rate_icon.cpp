// MakeRateIcon: the bars written pixel by pixel into a DIB section, made into an icon.
#include "desktop/rate_icon.h"
#include "platform/dib.h"
#include "platform/window.h"
#include "theme/palette.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

// Only opaque and fully clear pixels: the colours need no premultiplying for any reader.
uint32_t Opaque(TColour colour) {
    return 0xFF000000u | (colour & 0xFFu) << 16 | (colour & 0xFF00u) | (colour >> 16 & 0xFFu);
}

// A dark outline round a light ground: a bar reads on a light taskbar and on a dark one.
const uint32_t kOutline = Opaque(Rgb(32, 32, 32));
const uint32_t kGround = Opaque(Rgb(224, 224, 224));

class TCanvas {
  public:
    TCanvas(void* bits, int size) : pixels_(static_cast<uint32_t*>(bits)), size_(size) {}

    void Fill(int left, int top, int right, int bottom, uint32_t colour) {
        for (int y = top; y < bottom; ++y)
            std::fill(pixels_ + y * size_ + left, pixels_ + y * size_ + right, colour);
    }

    // A bar over the full height, `edge` pixels of outline, filled `height` pixels from below.
    void Bar(int left, int width, int edge, int height, uint32_t colour) {
        const int bottom = size_ - edge;
        Fill(left, 0, left + width, size_, kOutline);
        Fill(left + edge, edge, left + width - edge, bottom - height, kGround);
        Fill(left + edge, bottom - height, left + width - edge, bottom, colour);
    }

  private:
    uint32_t* pixels_;
    int size_;
};

} // namespace

TIconHandle MakeRateIcon(int size, const TRateBars& rates) {
    void* bits = nullptr;
    TBitmapHandle colour = MakeTopDownDib(size, size, 32, bits);
    TCanvas canvas(bits, size);
    canvas.Fill(0, 0, size, size, 0); // clear between the bars
    const int edge = std::max(1, size / 16);
    const int width = (size - 2 * edge) / 2;
    const TBarHeights heights = rates.Heights(size - 2 * edge);
    // The dark chart's colours are the bright ones.
    const TPalette palette = PaletteOf(TThemeMode::Dark, TSystemColours());
    canvas.Bar(0, width, edge, heights.In, Opaque(palette.ChartIn));
    canvas.Bar(size - width, width, edge, heights.Out, Opaque(palette.ChartOut));
    // An empty mask: the alpha decides.
    std::vector<uint8_t> maskBits(static_cast<size_t>((size + 15) / 16 * 2 * size), 0);
    TBitmapHandle mask(::CreateBitmap(size, size, 1, 1, maskBits.data()));
    if (!mask)
        RaiseLastWin32Error("CreateBitmap");
    ICONINFO info{TRUE, 0, 0, mask.get(), colour.get()};
    TIconHandle icon(::CreateIconIndirect(&info));
    if (!icon)
        RaiseLastWin32Error("CreateIconIndirect");
    return icon;
}
