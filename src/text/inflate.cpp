// A small inflater after RFC 1951: canonical Huffman codes decoded bit by bit, which is fast
// enough for the few kilobytes of texts unpacked once.
#include "text/inflate.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace {

// One text for every fault: the data is the program's own, and a fault means it was damaged.
[[noreturn]] void Corrupt() {
    throw std::runtime_error("damaged deflate data");
}

constexpr int kMaxBits = 15;
constexpr int kLiteralCodes = 288;
constexpr int kDistanceCodes = 30;

// Symbols by code length, in canonical order.
struct THuffman {
    uint16_t Count[kMaxBits + 1];
    uint16_t Symbol[kLiteralCodes];
};

// The code for `lengths`; returns the unused share of the code space (0: complete), negative
// for lengths that claim more codes than exist.
int Build(THuffman& h, const uint8_t* lengths, int n) {
    std::fill(std::begin(h.Count), std::end(h.Count), uint16_t{0});
    for (int s = 0; s < n; ++s)
        ++h.Count[lengths[s]];
    if (h.Count[0] == n)
        return 0;
    int left = 1;
    for (int len = 1; len <= kMaxBits; ++len) {
        left = left * 2 - h.Count[len];
        if (left < 0)
            return left;
    }
    uint16_t offset[kMaxBits + 1] = {};
    for (int len = 1; len < kMaxBits; ++len)
        offset[len + 1] = static_cast<uint16_t>(offset[len] + h.Count[len]);
    for (int s = 0; s < n; ++s) {
        if (lengths[s] != 0)
            h.Symbol[offset[lengths[s]]++] = static_cast<uint16_t>(s);
    }
    return left;
}

class TInflater {
  public:
    TInflater(std::string_view in, size_t size) : in_(in), size_(size) { out_.reserve(size); }

    std::string Run() {
        for (bool last = false; !last;) {
            last = Bits(1) == 1;
            switch (Bits(2)) {
            case 0:
                Stored();
                break;
            case 1:
                Fixed();
                break;
            case 2:
                Dynamic();
                break;
            default:
                Corrupt(); // unknown block type
            }
        }
        if (out_.size() != size_)
            Corrupt(); // fewer bytes than expected
        return std::move(out_);
    }

  private:
    // `count` bits, the first one lowest; count <= 16.
    unsigned Bits(int count) {
        uint32_t value = bits_;
        while (bitCount_ < count) {
            if (at_ == in_.size())
                Corrupt(); // the data ends early
            value |= static_cast<uint32_t>(static_cast<uint8_t>(in_[at_++])) << bitCount_;
            bitCount_ += 8;
        }
        bits_ = value >> count;
        bitCount_ -= count;
        return value & ((1u << count) - 1);
    }

    void Put(char c) {
        if (out_.size() == size_)
            Corrupt(); // more bytes than expected
        out_.push_back(c);
    }

    void Stored() {
        bits_ = 0;
        bitCount_ = 0;
        const unsigned length = Bits(16);
        if ((Bits(16) ^ 0xFFFFu) != length)
            Corrupt(); // a stored block's length and its complement differ
        if (in_.size() - at_ < length)
            Corrupt(); // the data ends early
        for (unsigned i = 0; i < length; ++i)
            Put(in_[at_++]);
    }

    int Decode(const THuffman& h) {
        int code = 0, first = 0, index = 0;
        for (int len = 1; len <= kMaxBits; ++len) {
            code |= static_cast<int>(Bits(1));
            const int count = h.Count[len];
            if (code - count < first)
                return h.Symbol[index + (code - first)];
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        Corrupt(); // a code that no symbol has
    }

    void Codes(const THuffman& literals, const THuffman& distances) {
        static constexpr uint16_t kLengthBase[] = {3,  4,  5,  6,  7,  8,  9,  10,  11,  13,
                                                   15, 17, 19, 23, 27, 31, 35, 43,  51,  59,
                                                   67, 83, 99, 115, 131, 163, 195, 227, 258};
        static constexpr uint8_t kLengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                   2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        static constexpr uint16_t kDistanceBase[] = {
            1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
            193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
        static constexpr uint8_t kDistanceExtra[] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                     6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
        for (int symbol = Decode(literals); symbol != 256; symbol = Decode(literals)) {
            if (symbol < 256) {
                Put(static_cast<char>(symbol));
                continue;
            }
            symbol -= 257;
            if (symbol >= 29)
                Corrupt(); // an unknown length code
            const size_t length = kLengthBase[symbol] + Bits(kLengthExtra[symbol]);
            const int code = Decode(distances);
            if (code >= kDistanceCodes)
                Corrupt(); // an unknown distance code
            const size_t distance = kDistanceBase[code] + Bits(kDistanceExtra[code]);
            if (distance > out_.size())
                Corrupt(); // a distance back past the start
            for (size_t i = 0; i < length; ++i)
                Put(out_[out_.size() - distance]);
        }
    }

    void Fixed() {
        uint8_t lengths[kLiteralCodes];
        std::fill(lengths, lengths + 144, uint8_t{8});
        std::fill(lengths + 144, lengths + 256, uint8_t{9});
        std::fill(lengths + 256, lengths + 280, uint8_t{7});
        std::fill(lengths + 280, lengths + kLiteralCodes, uint8_t{8});
        THuffman literals, distances;
        Build(literals, lengths, kLiteralCodes);
        std::fill(lengths, lengths + kDistanceCodes, uint8_t{5});
        Build(distances, lengths, kDistanceCodes);
        Codes(literals, distances);
    }

    void Dynamic() {
        const int nLiterals = static_cast<int>(Bits(5)) + 257;
        const int nDistances = static_cast<int>(Bits(5)) + 1;
        const int nLengthCodes = static_cast<int>(Bits(4)) + 4;
        if (nLiterals > 286 || nDistances > kDistanceCodes)
            Corrupt(); // too many codes
        static constexpr uint8_t kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                               11, 4,  12, 3, 13, 2, 14, 1, 15};
        uint8_t lengths[286 + kDistanceCodes] = {};
        for (int i = 0; i < nLengthCodes; ++i)
            lengths[kOrder[i]] = static_cast<uint8_t>(Bits(3));
        THuffman lengthCode;
        if (Build(lengthCode, lengths, 19) != 0)
            Corrupt(); // an incomplete code of code lengths
        for (int i = 0; i < nLiterals + nDistances;) {
            const int symbol = Decode(lengthCode);
            if (symbol < 16) {
                lengths[i++] = static_cast<uint8_t>(symbol);
                continue;
            }
            uint8_t length = 0;
            unsigned repeat = 0;
            if (symbol == 16) {
                if (i == 0)
                    Corrupt(); // a repeat with nothing before it
                length = lengths[i - 1];
                repeat = 3 + Bits(2);
            } else {
                repeat = symbol == 17 ? 3 + Bits(3) : 11 + Bits(7);
            }
            if (i + static_cast<int>(repeat) > nLiterals + nDistances)
                Corrupt(); // code lengths past their count
            std::fill(lengths + i, lengths + i + repeat, length);
            i += static_cast<int>(repeat);
        }
        if (lengths[256] == 0)
            Corrupt(); // no end-of-block code
        THuffman literals, distances;
        // An incomplete code is allowed only when it holds a single symbol.
        const int left = Build(literals, lengths, nLiterals);
        if (left < 0 || (left > 0 && nLiterals - literals.Count[0] != 1))
            Corrupt(); // a wrong code of literals and lengths
        const int leftD = Build(distances, lengths + nLiterals, nDistances);
        if (leftD < 0 || (leftD > 0 && nDistances - distances.Count[0] != 1))
            Corrupt(); // a wrong code of distances
        Codes(literals, distances);
    }

    std::string_view in_;
    size_t at_ = 0;
    uint32_t bits_ = 0;
    int bitCount_ = 0;
    size_t size_;
    std::string out_;
};

} // namespace

std::string Inflate(std::string_view deflated, size_t unpackedSize) {
    return TInflater(deflated, unpackedSize).Run();
}
