// dHTTPFile: the download's states on top of TAsyncClientSocket and THttpResponse.
#include "update/http_file.h"

#include "platform/file_io.h"
#include "platform/wide_text.h"
#include "update/async_socket.h"
#include "update/update_files.h"

#include <algorithm>
#include <limits>

namespace {

// 513, not 512: the block the download has always read in, kept so that reads and progress steps
// stay as they were. THttpResponse collects a header across reads, so correctness does not
// depend on it.
constexpr int kReadBlock = 513;
// Reads per notification: 64 KiB at most, then the window's other messages come first.
constexpr int kReadsPerNotification = 128;

dDownloadFailure FailureOfSocketError(int code) {
    switch (code) {
    case WSAHOST_NOT_FOUND:
    case WSANO_DATA:
    case WSATRY_AGAIN:
    case WSANO_RECOVERY:
        return dDownloadFailure::HostNotFound;
    case WSAECONNREFUSED:
        return dDownloadFailure::Refused;
    case WSAENETDOWN:
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
        return dDownloadFailure::Unreachable;
    case WSAETIMEDOUT:
        return dDownloadFailure::TimedOut;
    default:
        return dDownloadFailure::ConnectionLost;
    }
}

} // namespace

dHTTPFile::dHTTPFile() {
    TAsyncClientSocket::TEvents events;
    events.Connected = [this] { SocketConnected(); };
    events.Readable = [this] { SocketReadable(); };
    events.Closed = [this] { SocketClosed(); };
    events.Failed = [this](int code) {
        if (busy_)
            Fail(FailureOfSocketError(code));
    };
    socket_ = std::make_unique<TAsyncClientSocket>(std::move(events));
    periodStartTick_ = ::GetTickCount();
}

dHTTPFile::~dHTTPFile() {
    life_.reset();
    socket_.reset(); // no notification reaches a destroyed component
    file_.reset();
}

void dHTTPFile::startDownload() {
    if (busy_)
        throw dEAlreadyHasTask();
    busy_ = true;
    HANDLE file = ::CreateFileW(localPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        int error = static_cast<int>(::GetLastError());
        busy_ = false;
        throw EFCreateError(Utf8FromWide(localPath), SystemErrorMessage(error));
    }
    file_.reset(file);
    filePath_ = localPath;
    fileSize_ = 0;
    writeFailed_ = false;
    serverClosed_ = false;
    socket_->Close();
    response_.Reset();
    response_.SetBodyLimit(maxSize);
    bytesIn_ = 0;
    location_ = NormaliseLocation(remotePath);
    ++download_;
    if (!socket_->Open(location_.Host, remotePort, idleTimeout))
        Fail(location_.Host.empty() ? dDownloadFailure::HostNotFound
                                    : dDownloadFailure::ConnectionLost);
}

void dHTTPFile::abortDownload() {
    if (busy_)
        Cancel();
}

void dHTTPFile::Cancel() {
    bool wasConnected = socket_->Connected();
    socket_->Close();
    if (wasConnected)
        ResetProgress();
    file_.reset();
    DeleteFileQuietly(filePath_); // may be gone already: nothing to report
    busy_ = false;
}

void dHTTPFile::Fail(dDownloadFailure why) {
    Cancel();
    if (!OnFailed)
        return;
    dDownloadFailEvent handler = OnFailed; // the handler may reassign OnFailed
    handler(*this, why);                   // last: the handler may restart or destroy us
}

void dHTTPFile::ResetProgress() {
    response_.Reset();
    percentDone_ = 0;
    periodStartTick_ = ::GetTickCount();
    periodStartBytes_ = 0;
}

bool dHTTPFile::FireWhileCurrent(const dDownloadNotifyEvent& event) {
    if (!event)
        return true;
    std::weak_ptr<char> alive = life_;
    uint64_t download = download_;
    dDownloadNotifyEvent handler = event; // the handler may reassign the event
    handler(*this, bytesIn_);
    return !alive.expired() && download_ == download && busy_;
}

void dHTTPFile::SocketConnected() {
    if (!busy_)
        return;
    ResetProgress();
    if (!FireWhileCurrent(OnStart))
        return;
    socket_->Send(BuildRequest(location_));
}

void dHTTPFile::WriteBody(const char* data, size_t size) {
    if (writeFailed_)
        return;
    DWORD written = 0;
    if (!::WriteFile(file_.get(), data, static_cast<DWORD>(size), &written, nullptr) ||
        written != size) {
        writeFailed_ = true;
        return;
    }
    fileSize_ += static_cast<int64_t>(size);
    int64_t total = int64_t{bytesIn_} + static_cast<int64_t>(size);
    bytesIn_ = static_cast<int32_t>(std::min<int64_t>(total, std::numeric_limits<int32_t>::max()));
}

// Reads a bounded number of blocks of at most kReadBlock bytes, then evaluates progress, the speed
// sample and completion once. What is left is read at the socket's next turn.
void dHTTPFile::SocketReadable() {
    if (!busy_)
        return;
    char buffer[kReadBlock];
    bool readAny = false, drained = false;
    const auto sink = [this](const char* data, size_t size) { WriteBody(data, size); };
    for (int reads = 0; reads < kReadsPerNotification && !drained; ++reads) {
        int error = 0;
        int n = socket_->Read(buffer, kReadBlock, error);
        if (n < 0)
            return Fail(FailureOfSocketError(error));
        drained = n == 0;
        readAny = readAny || n > 0;
        if (n > 0 && !response_.Feed(buffer, static_cast<size_t>(n), sink))
            return Fail(response_.Refusal() == THttpResponse::TRefusal::TooLarge
                            ? dDownloadFailure::TooLarge
                            : dDownloadFailure::BadReply);
        if (writeFailed_)
            return Fail(dDownloadFailure::WriteFailed);
    }
    if (!drained && !socket_->ReadLater())
        return Fail(dDownloadFailure::ConnectionLost);
    if (serverClosed_ && !readAny && drained)
        return Fail(dDownloadFailure::ConnectionLost);
    int32_t declared = response_.DeclaredLength();
    if (declared > 0) {
        percentDone_ = PercentDone(declared, bytesIn_);
        if (!FireWhileCurrent(OnProgress))
            return;
        uint32_t now = ::GetTickCount();
        if (SpeedSampleDue(now, periodStartTick_, speedInterval)) {
            speed_ = bytesIn_ - periodStartBytes_;
            periodStartTick_ = now;
            periodStartBytes_ = bytesIn_;
        }
    }
    // Before the header has ended nothing is known, not even an empty body.
    if (response_.HeaderReceived() && fileSize_ == int64_t{declared})
        return Complete();
    if (serverClosed_ && drained)
        Fail(dDownloadFailure::ConnectionLost); // ended before the declared length
}

void dHTTPFile::Complete() {
    file_.reset();
    socket_->Close();
    ResetProgress();
    busy_ = false;
    if (!OnComplete)
        return;
    dDownloadNotifyEvent handler = OnComplete; // the handler may reassign OnComplete
    handler(*this, bytesIn_);                  // last: the handler may restart or destroy us
}

// The server has closed its side: what it sent before is read, then the download completes
// or, short of its length, fails.
void dHTTPFile::SocketClosed() {
    if (!busy_)
        return;
    serverClosed_ = true;
    SocketReadable();
}
