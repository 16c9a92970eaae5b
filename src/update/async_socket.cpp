// TAsyncClientSocket: lookup thread, WSAAsyncSelect notifications and the send queue.
#include "update/async_socket.h"
#include "platform/sync.h"

#include <ws2tcpip.h>

#include <stdexcept>

namespace {
constexpr UINT kLookupMessage = WM_APP + 1;
constexpr UINT kFirstSocketMessage = WM_APP + 16;
constexpr UINT kSocketMessageCount = 256;
constexpr long kSocketEvents = FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE;
constexpr UINT_PTR kIdleTimer = 1;
constexpr UINT_PTR kResumeTimer = 2;
} // namespace

// Shared by the window and the lookup thread. The thread posts its notice only while
// Target is set, under the lock; Close clears Target under the same lock, so after it no
// notice of that lookup is posted any more.
struct TAsyncClientSocket::TLookup {
    TMutex Mutex;
    HWND Target = nullptr;
    bool Done = false;
    int Error = 0;
    std::vector<std::vector<char>> Addresses;
};

namespace {

void RunLookup(const std::shared_ptr<TAsyncClientSocket::TLookup>& lookup,
               const std::string& host) {
    WSADATA data;
    bool started = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* result = nullptr;
    int error = started ? ::getaddrinfo(host.c_str(), nullptr, &hints, &result) : WSANOTINITIALISED;
    std::vector<std::vector<char>> addresses;
    for (addrinfo* ai = result; ai; ai = ai->ai_next) {
        if (ai->ai_family != AF_INET && ai->ai_family != AF_INET6)
            continue;
        const char* bytes = reinterpret_cast<const char*>(ai->ai_addr);
        addresses.emplace_back(bytes, bytes + ai->ai_addrlen);
    }
    if (result)
        ::freeaddrinfo(result);
    if (error == 0 && addresses.empty())
        error = WSAHOST_NOT_FOUND;
    {
        std::lock_guard<TMutex> lock(lookup->Mutex);
        if (lookup->Target) {
            lookup->Error = error;
            lookup->Addresses = std::move(addresses);
            lookup->Done = true;
            ::PostMessageA(lookup->Target, kLookupMessage, 0, 0);
        }
    }
    if (started)
        ::WSACleanup();
}

void SetPort(std::vector<char>& address, int32_t port) {
    auto* sa = reinterpret_cast<sockaddr*>(address.data());
    u_short netPort = ::htons(static_cast<u_short>(port));
    if (sa->sa_family == AF_INET)
        reinterpret_cast<sockaddr_in*>(sa)->sin_port = netPort;
    else
        reinterpret_cast<sockaddr_in6*>(sa)->sin6_port = netPort;
}

} // namespace

TAsyncClientSocket::TAsyncClientSocket(TEvents events) : events_(std::move(events)) {
    WSADATA data;
    int rc = ::WSAStartup(MAKEWORD(2, 2), &data);
    winsockStarted_ = rc == 0;
    CreateMessageWindow("CorvaneAsyncSocket");
}

TAsyncClientSocket::~TAsyncClientSocket() {
    Close();
    DestroyHandle();
    if (winsockStarted_)
        ::WSACleanup();
}

bool TAsyncClientSocket::Open(const std::string& host, int32_t port, uint32_t idleMs) {
    Close();
    if (host.empty() || !winsockStarted_ || port < 0 || port > 65535)
        return false;
    port_ = port;
    idleMs_ = idleMs;
    lastReceived_ = ::GetTickCount();
    if (idleMs_ > 0 && !::SetTimer(Handle(), kIdleTimer, idleMs_, nullptr))
        return false;
    lookup_ = std::make_shared<TLookup>();
    lookup_->Target = Handle();
    try {
        TSystemThread([lookup = lookup_, host] { RunLookup(lookup, host); }).Detach();
    } catch (const std::runtime_error&) {
        Close();
        return false;
    }
    return true;
}

void TAsyncClientSocket::Close() {
    if (lookup_) {
        std::lock_guard<TMutex> lock(lookup_->Mutex);
        lookup_->Target = nullptr;
    }
    lookup_.reset();
    if (socket_)
        ::WSAAsyncSelect(socket_.get(), Handle(), 0, 0); // no notices after this
    socket_.reset();
    addresses_.clear();
    nextAddress_ = 0;
    connected_ = false;
    sendQueue_.clear();
    // A tick already due may still arrive; the handlers check that it is still wanted.
    ::KillTimer(Handle(), kIdleTimer);
    ::KillTimer(Handle(), kResumeTimer);
    idleMs_ = 0;
    readPaused_ = false;
}

void TAsyncClientSocket::LookupDone() {
    if (!lookup_)
        return; // cancelled; a notice that was already queued
    std::shared_ptr<TLookup> lookup = lookup_;
    {
        std::lock_guard<TMutex> lock(lookup->Mutex);
        if (!lookup->Done)
            return; // a notice of an earlier lookup
        addresses_ = std::move(lookup->Addresses);
    }
    lookup_.reset();
    if (lookup->Error != 0)
        return Fail(lookup->Error);
    nextAddress_ = 0;
    ConnectNext();
}

// Tries the looked-up addresses in turn; the first that accepts the connection attempt wins,
// and a refused attempt moves on to the next (FD_CONNECT with an error).
void TAsyncClientSocket::ConnectNext() {
    int lastError = WSAECONNREFUSED;
    while (nextAddress_ < addresses_.size()) {
        std::vector<char>& address = addresses_[nextAddress_++];
        SetPort(address, port_);
        auto* sa = reinterpret_cast<const sockaddr*>(address.data());
        socket_.reset(::socket(sa->sa_family, SOCK_STREAM, IPPROTO_TCP));
        if (!socket_)
            return Fail(::WSAGetLastError());
        socketMessage_ = kFirstSocketMessage + (++socketCount_ % kSocketMessageCount);
        if (::WSAAsyncSelect(socket_.get(), Handle(), socketMessage_, kSocketEvents) != 0)
            return Fail(::WSAGetLastError());
        if (::connect(socket_.get(), sa, static_cast<int>(address.size())) == 0)
            return;
        lastError = ::WSAGetLastError();
        if (lastError == WSAEWOULDBLOCK)
            return;
        ::WSAAsyncSelect(socket_.get(), Handle(), 0, 0);
        socket_.reset();
    }
    Fail(lastError);
}

int TAsyncClientSocket::Read(char* buffer, int size, int& errorCode) {
    errorCode = 0;
    if (!socket_)
        return 0;
    int n = ::recv(socket_.get(), buffer, size, 0);
    if (n > 0)
        lastReceived_ = ::GetTickCount();
    if (n >= 0)
        return n;
    int error = ::WSAGetLastError();
    if (error == WSAEWOULDBLOCK)
        return 0;
    errorCode = error;
    return -1;
}

// A timer, not a posted message: WM_TIMER is made only when no posted message, input or
// painting is waiting, so a connection that always has data cannot crowd the window out.
bool TAsyncClientSocket::ReadLater() {
    if (!socket_ || readPaused_)
        return true;
    if (!::SetTimer(Handle(), kResumeTimer, USER_TIMER_MINIMUM, nullptr))
        return false;
    readPaused_ = true;
    return true;
}

void TAsyncClientSocket::ResumeReading() {
    ::KillTimer(Handle(), kResumeTimer);
    if (!readPaused_)
        return;
    readPaused_ = false;
    if (events_.Readable)
        events_.Readable();
}

void TAsyncClientSocket::IdleTimerDue() {
    if (idleMs_ == 0)
        return;                                         // closed meanwhile
    uint32_t silent = ::GetTickCount() - lastReceived_; // modulo 2^32
    if (silent < idleMs_) {
        if (::SetTimer(Handle(), kIdleTimer, idleMs_ - silent, nullptr))
            return;
        return Fail(static_cast<int>(::GetLastError()));
    }
    ::KillTimer(Handle(), kIdleTimer);
    idleMs_ = 0;
    Fail(WSAETIMEDOUT);
}

void TAsyncClientSocket::Send(const std::string& bytes) {
    sendQueue_ += bytes;
    FlushSendQueue();
}

void TAsyncClientSocket::FlushSendQueue() {
    while (socket_ && connected_ && !sendQueue_.empty()) {
        int n = ::send(socket_.get(), sendQueue_.data(), static_cast<int>(sendQueue_.size()), 0);
        if (n == SOCKET_ERROR) {
            int error = ::WSAGetLastError();
            if (error != WSAEWOULDBLOCK)
                Fail(error);
            return; // FD_WRITE resumes
        }
        sendQueue_.erase(0, static_cast<size_t>(n));
    }
}

void TAsyncClientSocket::Fail(int code) {
    if (events_.Failed)
        events_.Failed(code);
}

void TAsyncClientSocket::SocketNotice(SOCKET socket, int event, int error) {
    if (!socket_ || socket != socket_.get())
        return; // a socket that is no longer current
    switch (event) {
    case FD_CONNECT:
        if (error == 0) {
            connected_ = true;
            if (events_.Connected)
                events_.Connected();
            return;
        }
        ::WSAAsyncSelect(socket_.get(), Handle(), 0, 0);
        socket_.reset();
        if (nextAddress_ < addresses_.size())
            return ConnectNext();
        return Fail(error);
    case FD_READ:
        if (error != 0)
            return Fail(error);
        if (readPaused_)
            return; // the resume timer reads on
        if (events_.Readable)
            events_.Readable();
        return;
    case FD_WRITE:
        if (error != 0)
            return Fail(error);
        return FlushSendQueue();
    case FD_CLOSE:
        if (error != 0)
            return Fail(error);
        if (events_.Closed)
            events_.Closed();
        return;
    default:
        return;
    }
}

LRESULT TAsyncClientSocket::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kLookupMessage) {
        LookupDone();
        return 0;
    }
    if (msg == WM_TIMER && (wParam == kIdleTimer || wParam == kResumeTimer)) {
        if (wParam == kIdleTimer)
            IdleTimerDue();
        else
            ResumeReading();
        return 0;
    }
    if (msg >= kFirstSocketMessage && msg < kFirstSocketMessage + kSocketMessageCount) {
        if (msg == socketMessage_)
            SocketNotice(static_cast<SOCKET>(wParam), WSAGETSELECTEVENT(lParam),
                         WSAGETSELECTERROR(lParam));
        return 0;
    }
    return DefaultHandling(msg, wParam, lParam);
}
