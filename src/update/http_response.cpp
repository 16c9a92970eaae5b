// Response handling of the download component: pure functions and the header state machine.
#include "update/http_response.h"
#include "text/texts.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlankOrControl(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlankOrControl(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string AsciiUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

// Optional sign and decimal digits within the signed 32-bit range, nothing else.
bool ParseInt32(std::string_view text, int32_t& value) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return false;
    int64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > int64_t{std::numeric_limits<int32_t>::max()} + 1)
            return false;
    }
    int64_t result = negative ? -magnitude : magnitude;
    if (result > std::numeric_limits<int32_t>::max())
        return false;
    value = static_cast<int32_t>(result);
    return true;
}

constexpr std::string_view kTerminator = "\r\n\r\n";

} // namespace

THttpLocation NormaliseLocation(std::string& remotePath) {
    if (remotePath.find('/') == std::string::npos)
        remotePath += '/';
    size_t scheme = remotePath.find("://");
    if (scheme != std::string::npos)
        remotePath.erase(0, scheme + 3);
    size_t slash = remotePath.find('/');
    if (slash == std::string::npos)
        return {remotePath, "/"}; // "scheme://host" alone
    return {remotePath.substr(0, slash), remotePath.substr(slash)};
}

std::string BuildRequest(const THttpLocation& location) {
    return "GET " + location.Path + " HTTP/1.0\r\nHost: " + location.Host + "\r\n\r\n";
}

std::vector<std::string> SplitHeaderLines(std::string_view header) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < header.size(); ++i) {
        if (header[i] != '\r' && header[i] != '\n')
            continue;
        lines.emplace_back(header.substr(start, i - start));
        if (header[i] == '\r' && i + 1 < header.size() && header[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < header.size())
        lines.emplace_back(header.substr(start));
    return lines;
}

int32_t DeclaredLength(const std::vector<std::string>& headerLines) {
    int32_t declared = 0;
    for (const std::string& line : headerLines) {
        size_t colon = line.find(':');
        std::string_view name = colon == std::string::npos
                                    ? std::string_view()
                                    : std::string_view(line).substr(0, colon);
        if (AsciiUpper(Trim(name)) != "CONTENT-LENGTH")
            continue;
        int32_t value = 0;
        declared = ParseInt32(Trim(std::string_view(line).substr(colon + 1)), value) ? value : 0;
    }
    return declared;
}

uint8_t PercentDone(int32_t declaredLength, int32_t bytesIn) {
    if (declaredLength == 0)
        return 0;
    double percent = std::trunc((100.0 / declaredLength) * bytesIn);
    if (!std::isfinite(percent) || std::fabs(percent) >= 9.0e18)
        return 0;
    // Only the low 8 bits are kept, as a byte holds them.
    return static_cast<uint8_t>(static_cast<uint64_t>(static_cast<int64_t>(percent)) & 0xFF);
}

bool SpeedSampleDue(uint32_t now, uint32_t periodStart, int32_t interval) {
    uint32_t elapsed = now - periodStart; // modulo 2^32
    return int64_t{elapsed} >= int64_t{interval};
}

const std::string& DownloadFailureText(dDownloadFailure why) {
    switch (why) {
    case dDownloadFailure::HostNotFound:
        return Text(TTextId::UpdateReasonHostNotFound);
    case dDownloadFailure::Refused:
        return Text(TTextId::UpdateReasonRefused);
    case dDownloadFailure::Unreachable:
        return Text(TTextId::UpdateReasonUnreachable);
    case dDownloadFailure::TimedOut:
        return Text(TTextId::UpdateReasonTimedOut);
    case dDownloadFailure::ConnectionLost:
        return Text(TTextId::UpdateReasonConnectionLost);
    case dDownloadFailure::TooLarge:
        return Text(TTextId::UpdateReasonTooLarge);
    case dDownloadFailure::BadReply:
        return Text(TTextId::UpdateReasonBadReply);
    case dDownloadFailure::WriteFailed:
        return Text(TTextId::UpdateReasonWriteFailed);
    }
    return Text(TTextId::UpdateReasonFailed);
}

void THttpResponse::Reset() {
    pending_.clear();
    lines_.clear();
    declared_ = 0;
    headerReceived_ = false;
    bodyBytes_ = 0;
    refusal_ = TRefusal::None;
}

bool THttpResponse::Refuse(TRefusal why) {
    refusal_ = why;
    pending_.clear();
    return false;
}

bool THttpResponse::PassBody(const char* data, size_t size, const TBodySink& sink) {
    const int64_t limit = declared_ > 0 ? std::min<int64_t>(declared_, bodyLimit_) : bodyLimit_;
    if (static_cast<int64_t>(size) > limit - bodyBytes_)
        return Refuse(TRefusal::TooLarge);
    bodyBytes_ += static_cast<int64_t>(size);
    if (size > 0)
        sink(data, size);
    return true;
}

bool THttpResponse::Feed(const char* data, size_t size, const TBodySink& sink) {
    if (refusal_ != TRefusal::None)
        return false;
    if (headerReceived_)
        return PassBody(data, size, sink);
    size_t searchFrom = pending_.size() >= 3 ? pending_.size() - 3 : 0;
    pending_.append(data, size);
    size_t end = pending_.find(kTerminator, searchFrom);
    if (end == std::string::npos)
        return pending_.size() <= kMaxHeaderBytes || Refuse(TRefusal::HeaderTooLong);
    lines_ = SplitHeaderLines(std::string_view(pending_).substr(0, end));
    declared_ = ::DeclaredLength(lines_);
    headerReceived_ = true;
    if (declared_ > bodyLimit_)
        return Refuse(TRefusal::TooLarge);
    std::string header = std::move(pending_);
    pending_ = std::string();
    size_t bodyStart = end + kTerminator.size();
    return PassBody(header.data() + bodyStart, header.size() - bodyStart, sink);
}
