// Helpers of the Windows update tests: a scripted HTTP server on 127.0.0.1, the message pump,
// temporary folders and files.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "../support/test_files.h"

// One step of what the server does on a connection, after it has read the request.
struct TServerStep {
    enum TKind { Send, Pause, Close, Hold, Endless } Kind;
    std::string Bytes;
    int Millis = 0;
};
inline TServerStep SendBytes(std::string bytes) {
    return {TServerStep::Send, std::move(bytes), 0};
}
// Gives the client time to read what came before, so that the next bytes arrive apart.
inline TServerStep PauseMs(int millis) {
    return {TServerStep::Pause, {}, millis};
}
inline TServerStep CloseConnection() {
    return {TServerStep::Close, {}, 0};
}
// Keeps the connection open until Release() or the server's end.
inline TServerStep HoldOpen() {
    return {TServerStep::Hold, {}, 0};
}
// Sends the bytes again and again for as long as the client takes them, until Release().
inline TServerStep SendEndlessly(std::string bytes) {
    return {TServerStep::Endless, std::move(bytes), 0};
}

// Accepts one connection per script, in order, and plays the script on it byte by byte.
class TScriptedServer {
  public:
    explicit TScriptedServer(std::vector<std::vector<TServerStep>> scripts);
    ~TScriptedServer();
    int Port() const { return port_; }
    // The requests received so far, one per connection.
    std::vector<std::string> Requests() const;
    void Release();

  private:
    void Run();
    void Play(SOCKET client, const std::vector<TServerStep>& script);

    std::vector<std::vector<TServerStep>> scripts_;
    SOCKET listener_ = INVALID_SOCKET;
    SOCKET client_ = INVALID_SOCKET; // closed by the destructor to end a blocked receive
    int port_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable released_;
    bool release_ = false;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A port on 127.0.0.1 on which nothing listens.
int UnusedPort();

// Dispatches messages until done(); false when maxRounds waits of 50 ms passed without it.
bool PumpMessagesUntil(const std::function<bool()>& done, int maxRounds = 1200);
// Dispatches messages for the given number of 50 ms rounds.
void PumpMessagesFor(int rounds);

// A folder under the system's temporary folder, removed with its files. Its name is not
// spelled in any ANSI code page, so only wide file calls reach it.
class TTempFolder {
  public:
    TTempFolder()
        : folder_(L"corvane-update-\u041f\u0430\u043f\u043a\u0430-\u6570"),
          path_(folder_.Path().wstring() + L"\\") {}
    const std::wstring& Path() const { return path_; } // with its trailing separator

  private:
    testsupport::TTempFolder folder_;
    std::wstring path_;
};

// An ASCII text, such as a path from the environment, as a wide text.
std::wstring Widen(const std::string& ascii);
bool FileExists(const std::wstring& path);
// The file's size, or -1 when it cannot be read.
int64_t FileSize(const std::wstring& path);
using testsupport::ReadBytes;
using testsupport::WriteBytes;
// A value of the test run's environment, empty when unset.
std::string TestEnvironment(const char* name);
