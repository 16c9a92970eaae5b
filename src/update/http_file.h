// dHTTPFile: fetches one file with a single HTTP/1.0 GET into a local file, driven by socket
// notifications on the user-interface thread; it reports start, progress, completion and
// failure. A download is bounded in size and in silence, and one notification does a bounded
// amount of work, so the window goes on answering whatever the server sends.
#pragma once
#include "platform/handle.h"
#include "update/http_response.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

class dHTTPFile;
class TAsyncClientSocket;

// Sender and the body bytes received so far in the current download.
using dDownloadNotifyEvent = std::function<void(dHTTPFile& Sender, int32_t bytesIn)>;
using dDownloadFailEvent = std::function<void(dHTTPFile& Sender, dDownloadFailure why)>;

// The largest body a download accepts unless told otherwise.
inline constexpr int64_t kMaxDownloadBytes = 256 * 1024 * 1024;

class dEFileDownloadError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class dEAlreadyHasTask : public dEFileDownloadError {
  public:
    dEAlreadyHasTask() : dEFileDownloadError("This instance is already processing a download") {}
};

class dHTTPFile {
  public:
    dHTTPFile();
    ~dHTTPFile();
    dHTTPFile(const dHTTPFile&) = delete;
    dHTTPFile& operator=(const dHTTPFile&) = delete;

    int32_t speedInterval = 1000; // ms, shortest speed-sampling period
    int32_t remotePort = 80;
    uint32_t idleTimeout = 30000;        // ms without a byte received after which it fails
    int64_t maxSize = kMaxDownloadBytes; // a larger body, declared or received, fails
    std::wstring localPath;
    std::string remotePath; // [scheme "://"] host "/" path; shortened when a download starts
    dDownloadNotifyEvent OnStart;
    dDownloadNotifyEvent OnProgress; // only while the response declares a positive length
    dDownloadNotifyEvent OnComplete; // fired last, once the component is idle
    // Fired last, once the component is idle and the partial file deleted: the connection
    // failed, went silent or ended early, or the reply was refused. Not after abortDownload.
    dDownloadFailEvent OnFailed;

    bool busy() const { return busy_; }
    int32_t bytesIn() const { return bytesIn_; }
    uint8_t percentDone() const { return percentDone_; }
    int32_t speed() const { return speed_; }

    // Raises dEAlreadyHasTask while busy, EFCreateError when the local file cannot be created.
    void startDownload();
    // Cancels a running download and deletes its file; fires nothing. Idle: does nothing.
    void abortDownload();

  private:
    void SocketConnected();
    void SocketReadable();
    void SocketClosed();
    void Cancel();
    void Fail(dDownloadFailure why);
    void Complete();
    void ResetProgress();
    void WriteBody(const char* data, size_t size);
    // Fires event; false when the download it belongs to has ended meanwhile (or the component
    // is gone), in which case the caller touches nothing more.
    bool FireWhileCurrent(const dDownloadNotifyEvent& event);

    std::unique_ptr<TAsyncClientSocket> socket_;
    THttpResponse response_;
    THttpLocation location_;
    TFileHandle file_;
    std::wstring filePath_; // the file of the running download
    int64_t fileSize_ = 0;
    bool writeFailed_ = false;
    bool serverClosed_ = false; // the rest is read, then the download ends
    bool busy_ = false;
    int32_t bytesIn_ = 0;
    uint8_t percentDone_ = 0;
    int32_t speed_ = 0;
    uint32_t periodStartTick_ = 0;
    int32_t periodStartBytes_ = 0;
    uint64_t download_ = 0;                                 // counts the downloads started
    std::shared_ptr<char> life_ = std::make_shared<char>(); // expires when the component does
};
