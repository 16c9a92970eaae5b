// Hostile declared lengths through the whole response, read in blocks of 513 bytes as the
// download component reads them: the body written is exactly what follows the header, and the
// completion test (header received, file size equal to the declared length) holds only when it
// should.
#include "update/http_response.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct TDownload {
    std::string Body;
    int32_t Declared = 0;
    bool Complete = false;
    uint8_t Percent = 0;
};

// One readable notification per block, as a slow connection delivers them.
TDownload Download(const std::string& wire) {
    THttpResponse response;
    TDownload d;
    for (size_t at = 0; at < wire.size() && !d.Complete; at += 513) {
        const std::string block = wire.substr(at, 513);
        EXPECT_TRUE(response.Feed(block.data(), block.size(),
                                  [&](const char* p, size_t n) { d.Body.append(p, n); }));
        d.Declared = response.DeclaredLength();
        if (d.Declared > 0)
            d.Percent = PercentDone(d.Declared, static_cast<int32_t>(d.Body.size()));
        d.Complete =
            response.HeaderReceived() && static_cast<int64_t>(d.Body.size()) == int64_t{d.Declared};
    }
    return d;
}

const std::string kBody(2000, 'b');

TEST(HttpHostileLength, LargestLengthNeverCompletesAndCountsUpFromZero) {
    TDownload d = Download("HTTP/1.0 200 OK\r\nContent-Length: 2147483647\r\n\r\n" + kBody);
    EXPECT_EQ(d.Declared, 2147483647);
    EXPECT_EQ(d.Body, kBody);
    EXPECT_FALSE(d.Complete);
    EXPECT_EQ(d.Percent, 0);
}

TEST(HttpHostileLength, MinusOneNeverCompletesAndKeepsEveryBodyByte) {
    TDownload d = Download("HTTP/1.0 200 OK\r\nContent-Length: -1\r\n\r\n" + kBody);
    EXPECT_EQ(d.Declared, -1);
    EXPECT_EQ(d.Body, kBody);
    EXPECT_FALSE(d.Complete);
    // Nothing arrives at all: still no completion, since no file has size -1.
    d = Download("HTTP/1.0 200 OK\r\nContent-Length: -1\r\n\r\n");
    EXPECT_TRUE(d.Body.empty());
    EXPECT_FALSE(d.Complete);
}

TEST(HttpHostileLength, TwelveAbcCountsAsNoLength) {
    TDownload d = Download("HTTP/1.0 200 OK\r\nContent-Length: 12abc\r\n\r\n" + kBody);
    EXPECT_EQ(d.Declared, 0);
    EXPECT_EQ(d.Body, kBody);
    EXPECT_FALSE(d.Complete);
    // With no body bytes the length 0 is met at once: an empty file, complete.
    d = Download("HTTP/1.0 200 OK\r\nContent-Length: 12abc\r\n\r\n");
    EXPECT_TRUE(d.Body.empty());
    EXPECT_TRUE(d.Complete);
}

TEST(HttpHostileLength, DeclaredLengthMetAcrossBlocksCompletesWithTheBodyOnly) {
    const std::string header = "HTTP/1.0 200 OK\r\nContent-Length: 2000\r\n\r\n";
    TDownload d = Download(header + kBody);
    EXPECT_TRUE(d.Complete);
    EXPECT_EQ(d.Body, kBody);
    EXPECT_EQ(d.Percent, 100);
}

} // namespace
