// Fuzz target: the download's response handling. An arbitrary response is cut into arbitrary
// readable notifications of reads of at most 513 bytes and handled as the download component
// does: body bytes to the file, then per notification the declared length, the percentage and
// the completion test (header received and file size equal to the declared length).
// Checked: the body written is exactly the bytes after the first CR LF CR LF, up to where the
// download completed or was refused; the header lines and the declared length match a reading
// made here; a header that never ends is refused once past its bound, and a body that passes a
// positive declared length at the read that passes it, none of which reaches the file; the
// percentage stays within 0..100. A hang shows as a libFuzzer timeout.
// Input: a 16-bit seed for the cuts, a padding count, then the response. The padding (count
// times 300 bytes of "p" in front of the response) lets small inputs reach the header's bound.
#include "fuzz_support.h"
#include "update/http_response.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {

class TCuts {
  public:
    explicit TCuts(uint16_t seed) : state_(0x9E3779B9u ^ seed) {}
    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // Full reads are what a busy connection gives; short ones test every split point.
    size_t ReadSize() {
        const uint32_t r = Next();
        return (r & 3) == 0 ? 513 : 1 + (r >> 8) % 513;
    }
    bool NotificationEnds() { return (Next() & 3) == 0; }

  private:
    uint32_t state_;
};

std::string Upper(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

std::string TrimControls(std::string s) {
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.pop_back();
    size_t begin = 0;
    while (begin < s.size() && static_cast<unsigned char>(s[begin]) <= ' ')
        ++begin;
    return s.substr(begin);
}

std::vector<std::string> ReferenceLines(const std::string& header) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < header.size(); ++i) {
        const char c = header[i];
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        lines.push_back(line);
        line.clear();
        if (c == '\r' && i + 1 < header.size() && header[i + 1] == '\n')
            ++i;
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

int32_t ReferenceLength(const std::vector<std::string>& lines) {
    int32_t declared = 0;
    for (const std::string& line : lines) {
        const size_t colon = line.find(':');
        const std::string name = colon == std::string::npos ? "" : line.substr(0, colon);
        if (Upper(TrimControls(name)) != "CONTENT-LENGTH")
            continue;
        const std::string value = TrimControls(line.substr(colon + 1));
        const bool negative = !value.empty() && value[0] == '-';
        size_t first = (!value.empty() && (value[0] == '+' || negative)) ? 1 : 0;
        const bool allDigits = value.size() > first &&
                               std::all_of(value.begin() + static_cast<long>(first), value.end(),
                                           [](char c) { return c >= '0' && c <= '9'; });
        while (first + 1 < value.size() && value[first] == '0')
            ++first; // leading zeros change nothing
        long long number = 0;
        if (allDigits && value.size() - first <= 10) {
            number = std::stoll(value.substr(first));
            number = negative ? -number : number;
        }
        if (number < std::numeric_limits<int32_t>::min() ||
            number > std::numeric_limits<int32_t>::max())
            number = 0;
        declared = static_cast<int32_t>(number);
    }
    return declared;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // One object for every input, reset in between, as the component reuses its own.
    static THttpResponse response;
    TFuzzInput in(data, size);
    TCuts cuts(in.Take<uint16_t>());
    const size_t padding = in.Take<uint8_t>() * size_t{300};
    const std::string wire = std::string(padding, 'p') + in.Rest();

    response.Reset();
    std::string file;
    int32_t bytesIn = 0;
    const auto sink = [&](const char* d, size_t n) {
        file.append(d, n);
        bytesIn = static_cast<int32_t>(std::min<int64_t>(int64_t{bytesIn} + static_cast<int64_t>(n),
                                                         std::numeric_limits<int32_t>::max()));
    };
    size_t offset = 0;
    bool complete = false, refused = false;
    std::vector<size_t> readEnds;
    while (offset < wire.size() && !complete && !refused) {
        // One readable notification: reads until the notification's data is drained.
        do {
            const size_t n = std::min(cuts.ReadSize(), wire.size() - offset);
            if (!response.Feed(wire.data() + offset, n, sink))
                refused = true;
            offset += n;
            readEnds.push_back(offset);
        } while (!refused && offset < wire.size() && !cuts.NotificationEnds());
        if (refused)
            break;
        const int32_t declared = response.DeclaredLength();
        if (declared > 0)
            FUZZ_CHECK(PercentDone(declared, bytesIn) <= 100);
        complete = response.HeaderReceived() && int64_t(file.size()) == int64_t{declared};
    }

    const size_t end = wire.find("\r\n\r\n");
    // The header is refused at the first read that leaves it unended past the bound.
    size_t refusedAt = std::string::npos;
    for (size_t readEnd : readEnds) {
        if ((end == std::string::npos || end + 4 > readEnd) &&
            readEnd > THttpResponse::kMaxHeaderBytes) {
            refusedAt = readEnd;
            break;
        }
    }
    if (refusedAt != std::string::npos) {
        FUZZ_CHECK(refused && response.Refusal() == THttpResponse::TRefusal::HeaderTooLong);
        FUZZ_CHECK(file.empty() && !response.HeaderReceived());
        return 0;
    }
    if (end == std::string::npos) {
        FUZZ_CHECK(!refused && file.empty() && !response.HeaderReceived());
        return 0;
    }
    FUZZ_CHECK(response.HeaderReceived());
    const std::vector<std::string> lines = ReferenceLines(wire.substr(0, end));
    FUZZ_CHECK(response.HeaderLines() == lines);
    const int32_t declared = ReferenceLength(lines);
    FUZZ_CHECK(response.DeclaredLength() == declared);
    const size_t bodyStart = end + 4;
    if (refused) {
        // The last read passed the declared length; the reads before it are in the file.
        const size_t before = readEnds.size() > 1 ? readEnds[readEnds.size() - 2] : 0;
        FUZZ_CHECK(response.Refusal() == THttpResponse::TRefusal::TooLarge);
        FUZZ_CHECK(declared > 0 && offset - bodyStart > static_cast<size_t>(declared));
        FUZZ_CHECK(file == wire.substr(bodyStart, std::max(before, bodyStart) - bodyStart));
        return 0;
    }
    FUZZ_CHECK(file == wire.substr(bodyStart, offset - bodyStart));
    if (declared > 0)
        FUZZ_CHECK(file.size() <= static_cast<size_t>(declared));
    if (complete)
        FUZZ_CHECK(declared >= 0 && file.size() == static_cast<size_t>(declared));
    else
        FUZZ_CHECK(offset == wire.size());

    // The speed sample's elapsed time wraps at 2^32; any interval below 0 is always due.
    const uint32_t now = cuts.Next(), start = cuts.Next();
    const auto interval = static_cast<int32_t>(cuts.Next());
    FUZZ_CHECK(SpeedSampleDue(now, start, interval) ==
               (interval < 0 || static_cast<uint32_t>(now - start) >= uint32_t(interval)));
    return 0;
}
