// The UTF-8 rules of RFC 3629.
#include "config/utf8_text.h"

namespace {

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The length of the sequence that starts with lead, or 0 when no sequence starts so; the
// second byte's range rules out overlong forms, surrogates and values above U+10FFFF.
size_t SequenceLength(unsigned char lead, unsigned char& low, unsigned char& high) {
    low = 0x80, high = 0xBF;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF) {
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
        return 4;
    }
    return 0;
}

} // namespace

bool IsUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        unsigned char low, high;
        const size_t length = SequenceLength(static_cast<unsigned char>(text[i]), low, high);
        if (length == 0 || length > text.size() - i)
            return false;
        if (length > 1) {
            const auto second = static_cast<unsigned char>(text[i + 1]);
            if (second < low || second > high)
                return false;
            for (size_t k = 2; k < length; ++k)
                if (!IsContinuation(static_cast<unsigned char>(text[i + k])))
                    return false;
        }
        i += length;
    }
    return true;
}

std::string_view Utf8Prefix(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes)
        return text;
    size_t end = maxBytes;
    while (end > 0 && IsContinuation(static_cast<unsigned char>(text[end])))
        --end;
    return text.substr(0, end);
}
