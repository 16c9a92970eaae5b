// dHTTPFile: the download's states on top of TAsyncClientSocket and THttpResponse.
#include "update/http_file.h"

#include "platform/file_io.h"
#include "update/async_socket.h"

#include <algorithm>
#include <limits>

namespace {
constexpr int kReadBlock = 513;
}

dHTTPFile::dHTTPFile() {
    TAsyncClientSocket::TEvents events;
    events.Connected = [this] { SocketConnected(); };
    events.Readable = [this] { SocketReadable(false); };
    events.Closed = [this] { SocketClosed(); };
    events.Failed = [this](int) {
        if (busy_)
            Cancel(); // failures are silent: the missing OnComplete tells
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
    HANDLE file = ::CreateFileA(localPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        int error = static_cast<int>(::GetLastError());
        busy_ = false;
        throw EFCreateError(localPath, SystemErrorMessage(error));
    }
    file_.reset(file);
    filePath_ = localPath;
    fileSize_ = 0;
    writeFailed_ = false;
    socket_->Close();
    response_.Reset();
    bytesIn_ = 0;
    location_ = NormaliseLocation(remotePath);
    ++download_;
    if (!socket_->Open(location_.Host, remotePort))
        Cancel();
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
    ::DeleteFileA(filePath_.c_str()); // may be gone already: nothing to report
    busy_ = false;
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

// Drains the socket in reads of at most 513 bytes, then evaluates progress, the speed sample
// and completion once. On a close only data that came with it is evaluated.
void dHTTPFile::SocketReadable(bool closing) {
    if (!busy_)
        return;
    char buffer[kReadBlock];
    bool readAny = false;
    const auto sink = [this](const char* data, size_t size) { WriteBody(data, size); };
    for (;;) {
        int error = 0;
        int n = socket_->Read(buffer, kReadBlock, error);
        if (n < 0)
            return Cancel(); // receive failure
        if (n == 0)
            break;
        readAny = true;
        // A header that never ends, or a file that cannot be written, ends it as an error.
        if (!response_.Feed(buffer, static_cast<size_t>(n), sink) || writeFailed_)
            return Cancel();
    }
    if (closing && !readAny)
        return;
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
        Complete();
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

void dHTTPFile::SocketClosed() {
    if (!busy_)
        return;
    std::weak_ptr<char> alive = life_;
    uint64_t download = download_;
    SocketReadable(true); // data that arrived together with the close
    if (alive.expired() || download_ != download || !busy_)
        return;
    socket_->Close();
    ResetProgress();
    file_.reset(); // the partial file stays
    busy_ = false;
}
