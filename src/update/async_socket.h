// An asynchronous TCP client whose notifications arrive on the thread that created it:
// the name lookup runs on a worker thread, the connection is driven by WSAAsyncSelect.
// A connection over which no byte arrives for its idle time fails as timed out.
#pragma once
#include "platform/window.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TAsyncClientSocket : public TMessageWindow {
  public:
    struct TEvents {
        std::function<void()> Connected;
        std::function<void()> Readable;
        std::function<void()> Closed;         // orderly close by the server
        std::function<void(int code)> Failed; // lookup, connect, send, receive or close failure
    };

    explicit TAsyncClientSocket(TEvents events);
    ~TAsyncClientSocket() override;

    // Starts the lookup of host and then the connection to port; false when it cannot even
    // start (empty host, no socket layer). Closes any previous connection first. From now on,
    // idleMs without a byte received (0: no limit) fails it with WSAETIMEDOUT.
    bool Open(const std::string& host, int32_t port, uint32_t idleMs);
    // Bytes read (above 0); 0 when nothing can be read now; -1 on failure, with its code.
    int Read(char* buffer, int size, int& errorCode);
    // For a reader that stopped before it drained the connection: Readable comes again once
    // the thread's input and painting have had their turn, and not before. False when that
    // cannot be arranged.
    bool ReadLater();
    // Queues bytes for sending; a failure is reported through Failed.
    void Send(const std::string& bytes);
    // Closes the connection and cancels a pending lookup; nothing of it is reported after.
    void Close();
    bool Connected() const { return connected_; }

    struct TLookup; // shared with the lookup thread

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

  private:
    void LookupDone();
    void ConnectNext();
    void SocketNotice(SOCKET socket, int event, int error);
    void FlushSendQueue();
    void Fail(int code);
    void IdleTimerDue();
    void ResumeReading();

    TEvents events_;
    bool winsockStarted_ = false;
    std::shared_ptr<TLookup> lookup_;
    std::vector<std::vector<char>> addresses_; // sockaddr bytes from the lookup
    size_t nextAddress_ = 0;
    int32_t port_ = 0;
    TSocketHandle socket_;
    UINT socketMessage_ = 0; // changes with every socket, so that late notices are told apart
    UINT socketCount_ = 0;
    bool connected_ = false;
    std::string sendQueue_;
    uint32_t idleMs_ = 0;
    uint32_t lastReceived_ = 0; // tick count of the last byte received, or of the open
    bool readPaused_ = false;
};
