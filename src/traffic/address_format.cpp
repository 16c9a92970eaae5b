// Text forms of the interface table's physical and IPv4 addresses and of its descriptions.
#include "traffic/address_format.h"

#include <algorithm>

namespace {
constexpr uint32_t kMaxPhysAddrLen = 8;
constexpr uint32_t kMaxDescrLen = 256;

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}
} // namespace

std::string FormatMacAddress(const uint8_t (&bytes)[8], uint32_t length) {
    if (length == 0)
        return "00-00-00-00-00-00";
    length = std::min(length, kMaxPhysAddrLen);
    static const char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(length * 3);
    for (uint32_t i = 0; i < length; ++i) {
        if (i > 0)
            text += '-';
        text += kHex[bytes[i] >> 4];
        text += kHex[bytes[i] & 0x0F];
    }
    return text;
}

std::string FormatIpAddress(uint32_t dwAddr) {
    // Network byte order: the first dotted octet is the lowest-order byte. Each octet is
    // right-aligned in three places.
    std::string text;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t octet = (dwAddr >> shift) & 0xFFu;
        if (shift > 0)
            text += '.';
        text += octet < 100 ? ' ' : static_cast<char>('0' + octet / 100);
        text += octet < 10 ? ' ' : static_cast<char>('0' + octet / 10 % 10);
        text += static_cast<char>('0' + octet % 10);
    }
    return text;
}

std::string AdapterDescription(const uint8_t* bDescr, uint32_t dwDescrLen) {
    // Windows counts the terminating NUL in the length and Wine does not; stopping at the
    // first NUL, within the length, gives the same name on both.
    const uint32_t limit = std::min(dwDescrLen, kMaxDescrLen);
    const char* begin = reinterpret_cast<const char*>(bDescr);
    const char* end = std::find(begin, begin + limit, '\0');
    while (begin != end && IsBlankOrControl(*begin))
        ++begin;
    while (end != begin && IsBlankOrControl(end[-1]))
        --end;
    return std::string(begin, end);
}

std::string LuidText(uint64_t luid) {
    if (luid == 0)
        return "";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, luid >>= 4)
        text[static_cast<size_t>(i)] = "0123456789ABCDEF"[luid & 0xF];
    return text;
}
