// Input: uint16 size to unpack to, then arbitrary bytes as raw deflate data. Inflate refuses
// them exactly when zlib's inflater does not end the last block with that many bytes, and
// otherwise gives zlib's bytes.
#include "fuzz_support.h"
#include "text/inflate.h"

#include <stdexcept>
#include <zlib.h>

namespace {

// zlib's reading: the bytes, or nothing when it fails or ends with another size.
bool ZlibInflate(const std::string& in, size_t size, std::string& out) {
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK)
        std::abort();
    out.assign(size + 1, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&z, Z_FINISH);
    const bool whole = result == Z_STREAM_END && z.total_out == size;
    inflateEnd(&z);
    out.resize(size);
    return whole;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TFuzzInput input(data, size);
    const size_t unpacked = input.Take<uint16_t>();
    const std::string deflated = input.Rest();
    std::string expected;
    const bool zlibReads = ZlibInflate(deflated, unpacked, expected);
    try {
        const std::string out = Inflate(deflated, unpacked);
        FUZZ_CHECK(zlibReads && out == expected);
    } catch (const std::runtime_error&) {
        FUZZ_CHECK(!zlibReads);
    }
    return 0;
}
