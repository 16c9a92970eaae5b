// Response handling of the download component: location, request bytes, header collection,
// declared length, percentage and speed sampling.
#include "update/http_response.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Feeds the blocks in turn and collects what reaches the body.
struct TFed {
    std::string Body;
    bool Accepted = true;
};

TFed FeedBlocks(THttpResponse& response, const std::vector<std::string>& blocks) {
    TFed fed;
    for (const std::string& block : blocks) {
        fed.Accepted = response.Feed(block.data(), block.size(),
                                     [&](const char* d, size_t n) { fed.Body.append(d, n); });
        if (!fed.Accepted)
            break;
    }
    return fed;
}

int32_t LengthOf(const std::string& header) {
    THttpResponse response;
    FeedBlocks(response, {header + "\r\n\r\n"});
    EXPECT_TRUE(response.HeaderReceived());
    return response.DeclaredLength();
}

} // namespace

TEST(HttpLocation, SplitsHostAndPathAndKeepsTheShortenedText) {
    std::string path = "server/udf/name.udf";
    THttpLocation loc = NormaliseLocation(path);
    EXPECT_EQ(loc.Host, "server");
    EXPECT_EQ(loc.Path, "/udf/name.udf");
    EXPECT_EQ(path, "server/udf/name.udf");

    path = "scheme://server/a/b";
    loc = NormaliseLocation(path);
    EXPECT_EQ(loc.Host, "server");
    EXPECT_EQ(loc.Path, "/a/b");
    EXPECT_EQ(path, "server/a/b");

    path = "server";
    loc = NormaliseLocation(path);
    EXPECT_EQ(loc.Host, "server");
    EXPECT_EQ(loc.Path, "/");
    EXPECT_EQ(path, "server/");
}

TEST(HttpLocation, OnlyTheFirstSchemeIsRemovedAndAPortStaysInTheHost) {
    std::string path = "http://host:8080/x://y";
    THttpLocation loc = NormaliseLocation(path);
    EXPECT_EQ(loc.Host, "host:8080");
    EXPECT_EQ(loc.Path, "/x://y");

    path = "http://host";
    loc = NormaliseLocation(path);
    EXPECT_EQ(loc.Host, "host");
    EXPECT_EQ(loc.Path, "/");

    path = "";
    loc = NormaliseLocation(path);
    EXPECT_EQ(loc.Host, "");
    EXPECT_EQ(loc.Path, "/");
}

TEST(HttpRequest, HasExactlyTheGetLineTheHostLineAndAnEmptyLine) {
    EXPECT_EQ(BuildRequest({"server", "/udf/name.udf"}),
              "GET /udf/name.udf HTTP/1.0\r\nHost: server\r\n\r\n");
    EXPECT_EQ(BuildRequest({"127.0.0.1", "/"}), "GET / HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
}

TEST(HttpHeaderLines, SplitAtCrLfOrCrLf) {
    std::vector<std::string> expected{"HTTP/1.0 200 OK", "A: 1", "B: 2", "C: 3", "", "D"};
    EXPECT_EQ(SplitHeaderLines("HTTP/1.0 200 OK\r\nA: 1\rB: 2\nC: 3\n\nD"), expected);
    EXPECT_TRUE(SplitHeaderLines("").empty());
}

TEST(HttpDeclaredLength, FindsTheNameInAnyCaseAndWithBlanks) {
    EXPECT_EQ(LengthOf("HTTP/1.0 200 OK\r\nContent-Length: 42"), 42);
    EXPECT_EQ(LengthOf("HTTP/1.0 200 OK\r\ncontent-length:7"), 7);
    EXPECT_EQ(LengthOf("HTTP/1.0 200 OK\r\n  CONTENT-length \t:   19  "), 19);
}

TEST(HttpDeclaredLength, TheLastLineDecides) {
    EXPECT_EQ(LengthOf("HTTP/1.0 200 OK\r\nContent-Length: 5\r\nContent-Length: 9"), 9);
    EXPECT_EQ(LengthOf("HTTP/1.0 200 OK\r\nContent-Length: 5\r\nContent-Length: x"), 0);
}

TEST(HttpDeclaredLength, ValuesOutsideTheRuleCountAsZero) {
    EXPECT_EQ(LengthOf("HTTP/1.0 200 OK"), 0);
    EXPECT_EQ(LengthOf("HTTP/1.0 200 OK\r\nContent-Length: 0"), 0);
    EXPECT_EQ(LengthOf("HTTP/1.0 200 OK\r\nContent-Length: 2147483647"), 2147483647);
    EXPECT_EQ(LengthOf("HTTP/1.0 200 OK\r\nContent-Length: 2147483648"), 0);
    EXPECT_EQ(LengthOf("HTTP/1.0 200 OK\r\nContent-Length: -1"), -1);
    EXPECT_EQ(LengthOf("HTTP/1.0 200 OK\r\nContent-Length: -2147483648"), -2147483647 - 1);
    EXPECT_EQ(LengthOf("HTTP/1.0 200 OK\r\nContent-Length: 12abc"), 0);
    EXPECT_EQ(LengthOf("HTTP/1.0 200 OK\r\nContent-Length: "), 0);
    EXPECT_EQ(LengthOf("HTTP/1.0 200 OK\r\nContent-Length"), 0);
    EXPECT_EQ(LengthOf("HTTP/1.0 200 OK\r\nX-Content-Length: 5"), 0);
}

TEST(HttpResponse, HeaderAndBodyInOneBlock) {
    THttpResponse response;
    TFed fed = FeedBlocks(response, {"HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello"});
    EXPECT_TRUE(fed.Accepted);
    EXPECT_EQ(fed.Body, "hello");
    EXPECT_EQ(response.DeclaredLength(), 5);
    EXPECT_EQ(response.HeaderLines(),
              (std::vector<std::string>{"HTTP/1.0 200 OK", "Content-Length: 5"}));
}

TEST(HttpResponse, ASplitHeaderNeverReachesTheBody) {
    const std::string whole = "HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nabc";
    // Every split point, the terminator's bytes included.
    for (size_t cut = 1; cut < whole.size(); ++cut) {
        THttpResponse response;
        TFed fed = FeedBlocks(response, {whole.substr(0, cut), whole.substr(cut)});
        EXPECT_EQ(fed.Body, "abc") << "cut at " << cut;
        EXPECT_EQ(response.DeclaredLength(), 3) << "cut at " << cut;
    }
    THttpResponse byteWise;
    std::vector<std::string> bytes;
    for (char c : whole)
        bytes.emplace_back(1, c);
    EXPECT_EQ(FeedBlocks(byteWise, bytes).Body, "abc");
}

TEST(HttpResponse, AHeaderLongerThanOneReadIsCollected) {
    std::string header =
        "HTTP/1.0 200 OK\r\nX-Padding: " + std::string(2000, 'p') + "\r\nContent-Length: 4\r\n\r\n";
    std::vector<std::string> blocks;
    std::string whole = header + "body";
    for (size_t at = 0; at < whole.size(); at += 513)
        blocks.push_back(whole.substr(at, 513));
    THttpResponse response;
    TFed fed = FeedBlocks(response, blocks);
    EXPECT_EQ(fed.Body, "body");
    EXPECT_EQ(response.DeclaredLength(), 4);
}

TEST(HttpResponse, AHeaderThatNeverEndsIsRefusedPastTheBound) {
    THttpResponse response;
    std::string block(513, 'h');
    size_t fed = 0;
    bool accepted = true;
    while (accepted && fed <= THttpResponse::kMaxHeaderBytes + block.size()) {
        accepted = response.Feed(block.data(), block.size(), [](const char*, size_t) {
            ADD_FAILURE() << "header bytes reached the body";
        });
        fed += block.size();
    }
    EXPECT_FALSE(accepted);
    EXPECT_GT(fed, THttpResponse::kMaxHeaderBytes);
    EXPECT_FALSE(response.HeaderReceived());
    EXPECT_EQ(response.Refusal(), THttpResponse::TRefusal::HeaderTooLong);
}

TEST(HttpResponse, TheBodyIsBoundedByTheLimitAndByTheDeclaredLength) {
    THttpResponse response;
    response.SetBodyLimit(1000);
    // No declared length: an endless body stops at the read that would pass the limit.
    std::vector<std::string> endless(10, std::string(400, 'x'));
    endless.insert(endless.begin(), "HTTP/1.0 200 OK\r\n\r\n");
    TFed fed = FeedBlocks(response, endless);
    EXPECT_FALSE(fed.Accepted);
    EXPECT_EQ(fed.Body.size(), 800u);
    EXPECT_EQ(response.Refusal(), THttpResponse::TRefusal::TooLarge);

    // A declared length above the limit is refused with the header; the limit outlives Reset.
    response.Reset();
    fed = FeedBlocks(response, {"HTTP/1.0 200 OK\r\nContent-Length: 1001\r\n\r\n"});
    EXPECT_FALSE(fed.Accepted);
    EXPECT_EQ(response.Refusal(), THttpResponse::TRefusal::TooLarge);
    response.Reset();
    fed = FeedBlocks(response,
                     {"HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\n", std::string(1000, 'y')});
    EXPECT_TRUE(fed.Accepted);
    EXPECT_EQ(fed.Body.size(), 1000u);

    // More than declared, within the limit: refused, and nothing of that block is passed on.
    response.Reset();
    fed = FeedBlocks(response, {"HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nab", "cd"});
    EXPECT_FALSE(fed.Accepted);
    EXPECT_EQ(fed.Body, "ab");
    EXPECT_FALSE(response.Feed("c", 1, [](const char*, size_t) {})); // stays refused
    EXPECT_EQ(response.Refusal(), THttpResponse::TRefusal::TooLarge);
}

TEST(HttpResponse, AfterTheHeaderEveryByteIsBodyAndResetStartsOver) {
    THttpResponse response;
    TFed fed = FeedBlocks(response, {"HTTP/1.0 200 OK\r\n\r\n", "\r\n\r\nmore"});
    EXPECT_EQ(fed.Body, "\r\n\r\nmore");
    EXPECT_EQ(response.DeclaredLength(), 0);
    response.Reset();
    EXPECT_FALSE(response.HeaderReceived());
    EXPECT_TRUE(response.HeaderLines().empty());
    fed = FeedBlocks(response, {"HTTP/1.0 404 Not Found\r\nContent-Length: 1\r\n\r\nx"});
    EXPECT_EQ(fed.Body, "x");
    EXPECT_EQ(response.DeclaredLength(), 1);
}

TEST(HttpPercentDone, TruncatesAndKeepsEightBits) {
    EXPECT_EQ(PercentDone(3, 1), 33);
    EXPECT_EQ(PercentDone(3, 2), 66);
    EXPECT_EQ(PercentDone(200, 199), 99);
    EXPECT_EQ(PercentDone(200, 200), 100);
    EXPECT_EQ(PercentDone(2147483647, 2147483647), 100);
    EXPECT_EQ(PercentDone(10, 30), 44); // 300 in 8 bits: more body than declared
    EXPECT_EQ(PercentDone(0, 5), 0);
}

TEST(HttpSpeedSample, ElapsedTimeWrapsAtTwoToThe32) {
    EXPECT_FALSE(SpeedSampleDue(1999, 1000, 1000));
    EXPECT_TRUE(SpeedSampleDue(2000, 1000, 1000));
    EXPECT_TRUE(SpeedSampleDue(500, 0xFFFFFE00u, 1000));  // 1012 ms across the wrap
    EXPECT_FALSE(SpeedSampleDue(100, 0xFFFFFF00u, 1000)); // 356 ms across the wrap
    EXPECT_TRUE(SpeedSampleDue(5, 5, 0));
    EXPECT_TRUE(SpeedSampleDue(5, 5, -1));
}
