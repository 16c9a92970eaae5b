// Raw deflate data (RFC 1951: stored, fixed and dynamic Huffman blocks) unpacked.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// The bytes `deflated` unpacks to, which must be exactly `unpackedSize` of them. Corrupt or
// cut-short data, or data that unpacks to another size, throws std::runtime_error; nothing is
// read or written out of bounds.
std::string Inflate(std::string_view deflated, size_t unpackedSize);
