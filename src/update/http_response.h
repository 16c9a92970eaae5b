// The download's response handling without any socket: the location and request bytes, the
// header collected across reads, the declared length, and the progress arithmetic.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

// Host and request path taken from a download location.
struct THttpLocation {
    std::string Host;
    std::string Path;
};

// Appends "/" when there is none, drops everything up to and including the first "://"
// (the shortened text is written back), and splits at the first "/".
THttpLocation NormaliseLocation(std::string& remotePath);

// "GET <path> HTTP/1.0" CR LF "Host: <host>" CR LF CR LF.
std::string BuildRequest(const THttpLocation& location);

// The header text split at CR, LF or CR LF.
std::vector<std::string> SplitHeaderLines(std::string_view header);

// The value of the last "CONTENT-LENGTH" line; 0 when there is none or it is not a number.
int32_t DeclaredLength(const std::vector<std::string>& headerLines);

// Truncated percentage of the declared length, kept in 8 bits; 0 when it cannot be computed.
uint8_t PercentDone(int32_t declaredLength, int32_t bytesIn);

// True when a speed sample is due: at least interval ms between two tick readings that wrap
// at 2^32.
bool SpeedSampleDue(uint32_t now, uint32_t periodStart, int32_t interval);

// Why a download ended without its file.
enum class dDownloadFailure {
    HostNotFound,
    Refused,
    Unreachable,
    TimedOut,
    ConnectionLost,
    TooLarge,
    BadReply,
    WriteFailed
};

// A few words for the user, such as "connection refused".
const std::string& DownloadFailureText(dDownloadFailure why);

// One response, fed with the blocks as they are read. Header bytes are collected until
// CR LF CR LF has been seen, so that no part of a header reaches the body, whatever the reads.
// The body is bounded by its declared length and by a limit of the caller's.
class THttpResponse {
  public:
    // A header that has not ended after this many bytes is refused.
    static constexpr size_t kMaxHeaderBytes = 64 * 1024;
    enum class TRefusal { None, HeaderTooLong, TooLarge };
    using TBodySink = std::function<void(const char* data, size_t size)>;

    // The most body bytes accepted, whatever the header declares; Reset keeps it.
    void SetBodyLimit(int64_t maxBytes) { bodyLimit_ = maxBytes; }
    void Reset();
    // Hands the body bytes of the block to sink; false once the response is refused: a header
    // past its bound, a declared length above the limit, or more body than declared or allowed.
    // Nothing of a refused block is handed on.
    bool Feed(const char* data, size_t size, const TBodySink& sink);

    TRefusal Refusal() const { return refusal_; }
    bool HeaderReceived() const { return headerReceived_; }
    // The header as received, line by line: read by the tests, which see the parse through it.
    const std::vector<std::string>& HeaderLines() const { return lines_; }
    int32_t DeclaredLength() const { return declared_; }

  private:
    bool PassBody(const char* data, size_t size, const TBodySink& sink);
    bool Refuse(TRefusal why);

    std::string pending_; // header bytes before the terminator
    std::vector<std::string> lines_;
    int32_t declared_ = 0;
    bool headerReceived_ = false;
    int64_t bodyBytes_ = 0;
    int64_t bodyLimit_ = std::numeric_limits<int64_t>::max();
    TRefusal refusal_ = TRefusal::None;
};
