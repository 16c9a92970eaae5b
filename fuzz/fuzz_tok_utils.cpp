// Fuzz target: ExtractField and TrimSeparator with arbitrary arguments, checked against a
// literal step-by-step reading of their rules.
// Input: flags (bit 0 ToEnd, bit 1 TrimEnds, bits 2-3 separator length), the index as 32-bit
// little-endian, the separator's bytes, then the text.
#include "fuzz_support.h"
#include "config/tok_utils.h"

namespace {

// Drops a one-character separator from the end, then from the start, one character at a time.
std::string LiteralTrim(std::string text, const std::string& separator) {
    while (!text.empty() && std::string(1, text.back()) == separator)
        text.erase(text.size() - 1);
    while (!text.empty() && std::string(1, text.front()) == separator)
        text.erase(0, 1);
    return text;
}

// Position from 1 of the first occurrence, 0 when there is none (an empty separator counts as
// none, since it never separates anything).
size_t LiteralPos(const std::string& text, const std::string& separator) {
    if (separator.empty())
        return 0;
    const size_t at = text.find(separator);
    return at == std::string::npos ? 0 : at + 1;
}

// The rule as written, step by step. Steps that change nothing are a fixed point, so the loop
// may stop at the first of them without changing the result; that keeps huge indexes cheap.
std::string LiteralExtract(const std::string& s, const std::string& separator, int32_t index,
                           bool toEnd, bool trimEnds) {
    std::string t = s;
    for (int64_t step = 1; step < index; ++step) {
        const std::string before = t;
        if (trimEnds)
            t = LiteralTrim(t, separator);
        t.erase(0, LiteralPos(t, separator));
        if (t == before)
            break;
    }
    if (trimEnds)
        t = LiteralTrim(t, separator);
    if (toEnd)
        return t;
    const size_t p = LiteralPos(t, separator);
    return p == 0 ? t : t.substr(0, p - 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TFuzzInput in(data, size);
    const auto flags = in.Take<uint8_t>();
    const auto index = in.Take<int32_t>();
    const std::string separator = in.TakeBytes((flags >> 2) & 3);
    const std::string text = in.Rest();
    const bool toEnd = flags & 1, trimEnds = (flags & 2) != 0;

    const std::string trimmed = TrimSeparator(text, separator);
    FUZZ_CHECK(trimmed == LiteralTrim(text, separator));
    FUZZ_CHECK(text.find(trimmed) != std::string::npos);

    const std::string field = ExtractField(text, separator, index, toEnd, trimEnds);
    FUZZ_CHECK(field == LiteralExtract(text, separator, index, toEnd, trimEnds));
    // A field is always a piece of the text; with ToEnd it is a whole tail of it.
    FUZZ_CHECK(text.find(field) != std::string::npos);
    if (toEnd && !trimEnds)
        FUZZ_CHECK(text.size() >= field.size() &&
                   text.compare(text.size() - field.size(), field.size(), field) == 0);
    if (trimEnds && separator.size() == 1 && !field.empty())
        FUZZ_CHECK(field.front() != separator[0] && field.back() != separator[0]);
    return 0;
}
