// dHTTPFile against a server scripted byte by byte on 127.0.0.1, and against a real one.
#include "update/http_file.h"

#include "platform/file_io.h"
#include "platform/wide_text.h"
#include "update/update_files.h"
#include "update_test_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kOk = "HTTP/1.0 200 OK\r\n";

// Records the events of a component as "start 0", "progress 5", "complete 5",
// "failed connection refused".
struct TEventLog {
    std::vector<std::string> Lines;
    void Attach(dHTTPFile& file) {
        file.OnStart = [this](dHTTPFile&, int32_t n) {
            Lines.push_back("start " + std::to_string(n));
        };
        file.OnProgress = [this](dHTTPFile&, int32_t n) {
            Lines.push_back("progress " + std::to_string(n));
        };
        file.OnComplete = [this](dHTTPFile&, int32_t n) {
            Lines.push_back("complete " + std::to_string(n));
        };
        file.OnFailed = [this](dHTTPFile&, dDownloadFailure why) {
            Lines.push_back(std::string("failed ") + DownloadFailureText(why));
        };
    }
    bool Has(const std::string& line) const {
        for (const auto& l : Lines)
            if (l == line)
                return true;
        return false;
    }
};

class HttpFileTest : public ::testing::Test {
  protected:
    // Starts a download of "/file" from the server into the temporary folder.
    void Start(const TScriptedServer& server, const std::string& location = "127.0.0.1/file") {
        file.remotePort = server.Port();
        file.remotePath = location;
        file.localPath = folder.Path() + L"download.bin";
        log.Attach(file);
        file.startDownload();
    }
    bool WaitIdle() {
        return PumpMessagesUntil([this] { return !file.busy(); });
    }
    std::string Saved() const { return ReadBytes(folder.Path() + L"download.bin"); }
    bool SavedExists() const { return FileExists(folder.Path() + L"download.bin"); }

    TTempFolder folder;
    dHTTPFile file;
    TEventLog log;
};

// A response that the server sends in one piece and then keeps the connection open.
std::vector<std::vector<TServerStep>> OnePiece(const std::string& response) {
    return {{SendBytes(response), HoldOpen()}};
}

} // namespace

TEST_F(HttpFileTest, HasItsValuesAtCreation) {
    EXPECT_EQ(file.speedInterval, 1000);
    EXPECT_EQ(file.remotePort, 80);
    EXPECT_EQ(file.idleTimeout, 30000u);
    EXPECT_EQ(file.maxSize, 256 * 1024 * 1024);
    EXPECT_EQ(file.localPath, L"");
    EXPECT_EQ(file.remotePath, "");
    EXPECT_FALSE(file.busy());
    EXPECT_EQ(file.bytesIn(), 0);
    EXPECT_EQ(file.percentDone(), 0);
    EXPECT_EQ(file.speed(), 0);
}

TEST_F(HttpFileTest, HeaderAndBodyInOneReadGiveProgressThenComplete) {
    TScriptedServer server(OnePiece(kOk + "Content-Length: 5\r\n\r\nhello"));
    bool busyInComplete = true;
    int percentInComplete = -1;
    Start(server, "http://127.0.0.1/udf/name.udf");
    auto record = file.OnComplete;
    file.OnComplete = [&](dHTTPFile& sender, int32_t n) {
        busyInComplete = sender.busy();
        percentInComplete = sender.percentDone();
        record(sender, n);
    };
    EXPECT_TRUE(file.busy());
    EXPECT_EQ(file.remotePath, "127.0.0.1/udf/name.udf");
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"start 0", "progress 5", "complete 5"}));
    EXPECT_FALSE(busyInComplete);
    EXPECT_EQ(percentInComplete, 0);
    EXPECT_EQ(file.bytesIn(), 5);
    EXPECT_EQ(Saved(), "hello");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], "GET /udf/name.udf HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
}

TEST_F(HttpFileTest, ALocationWithoutSlashRequestsTheRoot) {
    TScriptedServer server(OnePiece(kOk + "Content-Length: 2\r\n\r\nok"));
    Start(server, "127.0.0.1");
    EXPECT_EQ(file.remotePath, "127.0.0.1/");
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(log.Has("complete 2"));
    EXPECT_EQ(server.Requests()[0], "GET / HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
}

TEST_F(HttpFileTest, NoLengthAndNoBodyCompletesWithAnEmptyFile) {
    TScriptedServer server(OnePiece(kOk + "Server: scripted\r\n\r\n"));
    Start(server);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"start 0", "complete 0"}));
    EXPECT_TRUE(SavedExists());
    EXPECT_EQ(Saved(), "");
}

TEST_F(HttpFileTest, NoLengthWithBodyFailsWhenTheServerClosesAndLeavesNoFile) {
    TScriptedServer server({{SendBytes(kOk + "\r\nabc"), PauseMs(300), SendBytes("def"),
                             PauseMs(100), CloseConnection()}});
    Start(server);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"start 0", "failed connection cut off"}));
    EXPECT_FALSE(SavedExists());
    EXPECT_EQ(file.bytesIn(), 6);
    EXPECT_EQ(file.percentDone(), 0);
}

TEST_F(HttpFileTest, ContentLengthInLowerCaseOrWithBlanksIsRecognised) {
    TScriptedServer lower(OnePiece(kOk + "content-length:3\r\n\r\nabc"));
    Start(lower);
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(log.Has("complete 3"));

    log.Lines.clear();
    TScriptedServer padded(OnePiece(kOk + "  Content-Length \t:   4  \r\n\r\nabcd"));
    Start(padded);
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(log.Has("complete 4"));
    EXPECT_EQ(Saved(), "abcd");
}

TEST_F(HttpFileTest, TheLastOfTwoContentLengthLinesDecides) {
    TScriptedServer server(OnePiece(kOk + "Content-Length: 100\r\nContent-Length: 3\r\n\r\nxyz"));
    Start(server);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"start 0", "progress 3", "complete 3"}));
}

TEST_F(HttpFileTest, ADeclaredLengthOfZeroCompletesWithoutProgress) {
    TScriptedServer server(OnePiece(kOk + "Content-Length: 0\r\n\r\n"));
    Start(server);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"start 0", "complete 0"}));
    EXPECT_EQ(Saved(), "");
}

TEST_F(HttpFileTest, AnErrorPageWithALengthIsSavedAndCompletes) {
    const std::string page = "<html>Not Found</html>";
    TScriptedServer server(OnePiece("HTTP/1.0 404 Not Found\r\nContent-Length: " +
                                    std::to_string(page.size()) + "\r\n\r\n" + page));
    Start(server);
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(log.Has("complete " + std::to_string(page.size())));
    EXPECT_EQ(Saved(), page);
}

TEST_F(HttpFileTest, AHeaderSplitOverSeveralReadsStaysOutOfTheFile) {
    TScriptedServer server(
        {{SendBytes("HTTP/1.0 200 OK\r\nCont"), PauseMs(150), SendBytes("ent-Length: 4\r\n\r"),
          PauseMs(150), SendBytes("\nbo"), PauseMs(150), SendBytes("dy"), HoldOpen()}});
    Start(server);
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(log.Has("complete 4"));
    EXPECT_EQ(Saved(), "body");
}

TEST_F(HttpFileTest, AHeaderLongerThanOneReadStaysOutOfTheFile) {
    std::string header =
        kOk + "X-Padding: " + std::string(1500, 'p') + "\r\nContent-Length: 4\r\n\r\n";
    TScriptedServer server(OnePiece(header + "body"));
    Start(server);
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(log.Has("complete 4"));
    EXPECT_EQ(Saved(), "body");
}

TEST_F(HttpFileTest, AHeaderThatNeverEndsIsCancelledAndItsFileDeleted) {
    TScriptedServer server(OnePiece("HTTP/1.0 200 OK\r\nX: " + std::string(70 * 1024, 'h')));
    Start(server);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"start 0", "failed invalid reply"}));
    EXPECT_FALSE(SavedExists());
}

TEST_F(HttpFileTest, AServerClosingEarlyFailsAndLeavesNoFile) {
    TScriptedServer server(
        {{SendBytes(kOk + "Content-Length: 10\r\n\r\n1234"), PauseMs(200), CloseConnection()}});
    Start(server);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(log.Lines,
              (std::vector<std::string>{"start 0", "progress 4", "failed connection cut off"}));
    EXPECT_FALSE(SavedExists());
    EXPECT_EQ(file.bytesIn(), 4);
    EXPECT_EQ(file.percentDone(), 0);
}

TEST_F(HttpFileTest, MoreBodyThanDeclaredFails) {
    TScriptedServer server({{SendBytes(kOk + "Content-Length: 3\r\n\r\nabcdef"), HoldOpen()}});
    Start(server);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"start 0", "failed reply too large"}));
    EXPECT_FALSE(SavedExists());
}

// No byte for the idle time fails the download; bytes that keep coming, however slowly, do not.
TEST_F(HttpFileTest, ASilentServerTimesOutButASlowOneDoesNot) {
    file.idleTimeout = 1500;
    std::vector<TServerStep> slow = {SendBytes(kOk + "Content-Length: 6\r\n\r\n")};
    for (char c : std::string("abcdef")) {
        slow.push_back(PauseMs(300));
        slow.push_back(SendBytes(std::string(1, c)));
    }
    slow.push_back(HoldOpen());
    TScriptedServer slowServer({slow});
    Start(slowServer);
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(log.Has("complete 6"));
    EXPECT_EQ(Saved(), "abcdef");

    log.Lines.clear();
    file.idleTimeout = 300;
    TScriptedServer silent(OnePiece(kOk + "Content-Length: 6\r\n\r\nabc"));
    Start(silent);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"start 0", "progress 3", "failed timed out"}));
    EXPECT_FALSE(SavedExists());
}

TEST_F(HttpFileTest, ARefusedConnectionFailsAndDeletesTheFile) {
    file.remotePort = UnusedPort();
    file.remotePath = "127.0.0.1/file";
    file.localPath = folder.Path() + L"download.bin";
    log.Attach(file);
    file.startDownload();
    EXPECT_TRUE(file.busy());
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"failed connection refused"}));
    EXPECT_FALSE(SavedExists());
}

TEST_F(HttpFileTest, AnUnknownHostFailsAndDeletesTheFile) {
    file.remotePath = "no-such-host.invalid/file";
    file.localPath = folder.Path() + L"download.bin";
    log.Attach(file);
    file.startDownload();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"failed name not found"}));
    EXPECT_FALSE(SavedExists());
}

TEST_F(HttpFileTest, AnEmptyHostFailsAtOnce) {
    file.remotePath = "/file";
    file.localPath = folder.Path() + L"download.bin";
    log.Attach(file);
    file.startDownload();
    EXPECT_FALSE(file.busy());
    EXPECT_FALSE(SavedExists());
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"failed name not found"}));
    PumpMessagesFor(4);
    EXPECT_EQ(log.Lines.size(), 1u);
}

TEST_F(HttpFileTest, AFileThatCannotBeCreatedRaisesAndStaysIdle) {
    file.remotePath = "127.0.0.1/file";
    file.localPath = folder.Path() + L"missing-folder\\download.bin";
    try {
        file.startDownload();
        FAIL() << "no error raised";
    } catch (const EFCreateError& error) {
        std::string prefix = "Cannot create file \"" + Utf8FromWide(file.localPath) + "\". ";
        EXPECT_EQ(std::string(error.what()).substr(0, prefix.size()), prefix);
        EXPECT_GT(std::string(error.what()).size(), prefix.size()); // the system's reason
    }
    EXPECT_FALSE(file.busy());
}

TEST_F(HttpFileTest, StartingWhileBusyRaisesAndTheDownloadGoesOn) {
    TScriptedServer server(
        {{PauseMs(200), SendBytes(kOk + "Content-Length: 3\r\n\r\nabc"), HoldOpen()}});
    Start(server);
    const std::wstring firstPath = file.localPath;
    file.localPath = folder.Path() + L"other.bin";
    try {
        file.startDownload();
        FAIL() << "no error raised";
    } catch (const dEAlreadyHasTask& error) {
        EXPECT_STREQ(error.what(), "This instance is already processing a download");
    }
    EXPECT_TRUE(file.busy());
    EXPECT_FALSE(FileExists(folder.Path() + L"other.bin"));
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(log.Has("complete 3"));
    EXPECT_EQ(ReadBytes(firstPath), "abc");
}

TEST_F(HttpFileTest, ANewDownloadCanStartFromInsideOnComplete) {
    // The server plays one connection after the other, so the first one ends with a close.
    TScriptedServer server({{SendBytes(kOk + "Content-Length: 5\r\n\r\nfirst"), CloseConnection()},
                            {SendBytes(kOk + "Content-Length: 6\r\n\r\nsecond"), HoldOpen()}});
    std::vector<std::string> completed;
    Start(server, "127.0.0.1/one");
    file.OnComplete = [&](dHTTPFile& sender, int32_t n) {
        completed.push_back(std::to_string(n));
        sender.remotePath = "127.0.0.1/two";
        sender.localPath = folder.Path() + L"second.bin";
        sender.OnComplete = [&](dHTTPFile&, int32_t m) { completed.push_back(std::to_string(m)); };
        sender.startDownload();
    };
    ASSERT_TRUE(PumpMessagesUntil([&] { return completed.size() == 2; }));
    EXPECT_EQ(completed, (std::vector<std::string>{"5", "6"}));
    EXPECT_EQ(Saved(), "first");
    EXPECT_EQ(ReadBytes(folder.Path() + L"second.bin"), "second");
    server.Release();
    ASSERT_TRUE(PumpMessagesUntil([&] { return server.Requests().size() == 2; }));
    EXPECT_EQ(server.Requests()[1], "GET /two HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
}

TEST_F(HttpFileTest, AbortDeletesTheFileAndNothingFollows) {
    TScriptedServer server({{SendBytes(kOk + "Content-Length: 8\r\n\r\nabcd"), PauseMs(300),
                             SendBytes("efgh"), HoldOpen()}});
    Start(server);
    ASSERT_TRUE(PumpMessagesUntil([&] { return log.Has("progress 4"); }));
    file.abortDownload();
    EXPECT_FALSE(file.busy());
    EXPECT_FALSE(SavedExists());
    PumpMessagesFor(12);
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"start 0", "progress 4"}));
    file.abortDownload(); // idle: nothing happens
    EXPECT_FALSE(SavedExists());
}

TEST_F(HttpFileTest, ADestroyedComponentGetsNoNotification) {
    TScriptedServer server({{SendBytes(kOk + "Content-Length: 8\r\n\r\nabcd"), PauseMs(300),
                             SendBytes("efgh"), HoldOpen()}});
    auto doomed = std::make_unique<dHTTPFile>();
    TEventLog doomedLog;
    doomed->remotePort = server.Port();
    doomed->remotePath = "127.0.0.1/file";
    doomed->localPath = folder.Path() + L"doomed.bin";
    doomedLog.Attach(*doomed);
    doomed->startDownload();
    ASSERT_TRUE(PumpMessagesUntil([&] { return doomedLog.Has("progress 4"); }));
    doomed.reset();
    PumpMessagesFor(12);
    EXPECT_EQ(doomedLog.Lines, (std::vector<std::string>{"start 0", "progress 4"}));
}

TEST_F(HttpFileTest, TheSpeedIsSampledOnlyWhenTheIntervalHasPassed) {
    TScriptedServer never(OnePiece(kOk + "Content-Length: 3\r\n\r\nabc"));
    file.speedInterval = 0x7FFFFFFF; // never reached
    Start(never);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(file.speed(), 0);

    TScriptedServer always(OnePiece(kOk + "Content-Length: 3\r\n\r\nabc"));
    file.speedInterval = 0; // every progress notification takes a sample
    Start(always);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(file.speed(), 3);
}

// A real server nobody here wrote: the test driver runs Python's http.server on 127.0.0.1
// and names its port and document folder in the environment.
TEST_F(HttpFileTest, ALargeFileFromARealServerIsByteIdentical) {
    const std::string port = TestEnvironment("CORVANE_TEST_HTTP_PORT");
    const std::string root = TestEnvironment("CORVANE_TEST_DOCROOT");
    if (port.empty() || root.empty())
        GTEST_SKIP() << "run through run_update_tests.py";
    std::string data(5 * 1024 * 1024 + 123, '\0');
    uint32_t state = 2463534242u;
    for (char& c : data) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        c = static_cast<char>(state);
    }
    WriteBytes(Widen(root + "\\big.bin"), data);
    int lastPercent = -1;
    file.remotePort = std::stoi(port);
    file.remotePath = "http://127.0.0.1/big.bin";
    file.localPath = folder.Path() + L"download.bin";
    log.Attach(file);
    file.OnProgress = [&](dHTTPFile& sender, int32_t) { lastPercent = sender.percentDone(); };
    file.startDownload();
    ASSERT_TRUE(WaitIdle());
    DeleteFileQuietly(root + "\\big.bin");
    EXPECT_TRUE(log.Has("complete " + std::to_string(data.size())));
    EXPECT_EQ(lastPercent, 100);
    EXPECT_EQ(file.bytesIn(), static_cast<int32_t>(data.size()));
    EXPECT_TRUE(Saved() == data) << "the saved file differs from the served one";
}
