// The update tests' scripted server, message pump and file helpers.
#include "update_test_support.h"

#include <ws2tcpip.h>

#include <stdexcept>

namespace {

struct TWinsock {
    TWinsock() {
        WSADATA data;
        if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
            throw std::runtime_error("WSAStartup");
    }
    ~TWinsock() { ::WSACleanup(); }
};

void EnsureWinsock() {
    static TWinsock winsock;
}

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = ::htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    return address;
}

int BoundPort(SOCKET s) {
    sockaddr_in address{};
    int size = sizeof address;
    if (::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return 0;
    return ::ntohs(address.sin_port);
}

} // namespace

TScriptedServer::TScriptedServer(std::vector<std::vector<TServerStep>> scripts)
    : scripts_(std::move(scripts)) {
    EnsureWinsock();
    listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = Loopback(0);
    if (listener_ == INVALID_SOCKET ||
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 4) != 0)
        throw std::runtime_error("the scripted server cannot listen");
    port_ = BoundPort(listener_);
    thread_ = std::thread([this] { Run(); });
}

TScriptedServer::~TScriptedServer() {
    Release();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ::closesocket(listener_); // ends a blocked accept
        listener_ = INVALID_SOCKET;
        if (client_ != INVALID_SOCKET)
            ::shutdown(client_, SD_BOTH); // ends a blocked receive
    }
    thread_.join();
}

std::vector<std::string> TScriptedServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void TScriptedServer::Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    release_ = true;
    released_.notify_all();
}

void TScriptedServer::Run() {
    for (const auto& script : scripts_) {
        SOCKET listener;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            listener = listener_;
        }
        if (listener == INVALID_SOCKET)
            return;
        SOCKET client = ::accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            client_ = client;
        }
        Play(client, script);
        std::lock_guard<std::mutex> lock(mutex_);
        if (client_ != INVALID_SOCKET)
            ::closesocket(client_);
        client_ = INVALID_SOCKET;
    }
}

void TScriptedServer::Play(SOCKET client, const std::vector<TServerStep>& script) {
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos) {
        int n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        request.append(buffer, static_cast<size_t>(n));
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
    }
    for (const TServerStep& step : script) {
        switch (step.Kind) {
        case TServerStep::Send:
            for (size_t sent = 0; sent < step.Bytes.size();) {
                int n = ::send(client, step.Bytes.data() + sent,
                               static_cast<int>(step.Bytes.size() - sent), 0);
                if (n <= 0)
                    return;
                sent += static_cast<size_t>(n);
            }
            break;
        case TServerStep::Pause:
            ::Sleep(static_cast<DWORD>(step.Millis));
            break;
        case TServerStep::Endless:
            while (::send(client, step.Bytes.data(), static_cast<int>(step.Bytes.size()), 0) > 0) {
                std::lock_guard<std::mutex> lock(mutex_);
                if (release_)
                    return;
            }
            return; // the client has gone
        case TServerStep::Close:
            ::shutdown(client, SD_SEND);
            return;
        case TServerStep::Hold: {
            std::unique_lock<std::mutex> lock(mutex_);
            released_.wait(lock, [this] { return release_; });
            return;
        }
        }
    }
}

int UnusedPort() {
    EnsureWinsock();
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = Loopback(0);
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int port = BoundPort(s);
    ::closesocket(s);
    return port;
}

bool PumpMessagesUntil(const std::function<bool()>& done, int maxRounds) {
    for (int round = 0; round < maxRounds; ++round) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (done())
            return true;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return done();
}

void PumpMessagesFor(int rounds) {
    PumpMessagesUntil([] { return false; }, rounds);
}

std::wstring Widen(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (int64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

std::string TestEnvironment(const char* name) {
    char value[1024];
    DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
    return (n > 0 && n < sizeof value) ? std::string(value, n) : std::string();
}
