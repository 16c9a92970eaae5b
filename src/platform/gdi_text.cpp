// DrawTextUtf8, TextOutUtf8 and TextExtentUtf8 through the W functions.
#include "platform/gdi_text.h"
#include "platform/wide_text.h"

int DrawTextUtf8(HDC dc, std::string_view text, RECT& rc, UINT format) {
    const std::wstring wide = WideFromUtf8(text);
    return ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rc, format);
}

bool TextOutUtf8(HDC dc, int x, int y, std::string_view text) {
    const std::wstring wide = WideFromUtf8(text);
    return ::TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

SIZE TextExtentUtf8(HDC dc, std::string_view text) {
    const std::wstring wide = WideFromUtf8(text);
    SIZE size{};
    if (!::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size))
        return {0, 0};
    return size;
}
