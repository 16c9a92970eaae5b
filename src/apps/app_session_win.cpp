// The realtime session through the event-tracing calls of advapi32.
#include "apps/app_session.h"
#include "platform/file_io.h"

#include <windows.h>
#include <evntrace.h>
#include <evntcons.h>

#include <cstddef>

namespace {

// Corvane's own session, never the system's kernel logger.
const wchar_t kSessionName[] = L"Corvane per-program counting";
// {BCA3732D-9F5B-4F3E-B190-92020B6F2855}
const GUID kSessionGuid = {
    0xbca3732d, 0x9f5b, 0x4f3e, {0xb1, 0x90, 0x92, 0x02, 0x0b, 0x6f, 0x28, 0x55}};
// Microsoft-Windows-Kernel-Network.
const GUID kNetworkProvider = {
    0x7dd42a49, 0x5329, 0x4832, {0x8d, 0xfd, 0x43, 0xd9, 0x79, 0x15, 0x3a, 0x88}};
constexpr ULONGLONG kIpv4AndIpv6 = 0x10 | 0x20;

// 20,000 events a second of about 120 bytes each (header and payload) are 2.4 MB a second: the
// buffers flushed each second hold one second at the least and four when the consumer lags.
constexpr ULONG kBufferKb = 64;
constexpr ULONG kMinimumBuffers = 40;
constexpr ULONG kMaximumBuffers = 160;

constexpr int64_t kFiletimeOf1970 = 116444736000000000;

// The properties with room for the names that ControlTrace writes back.
struct TProperties {
    EVENT_TRACE_PROPERTIES Head{};
    wchar_t LoggerName[256]{};
    wchar_t LogFileName[256]{};
    TProperties() {
        Head.Wnode.BufferSize = sizeof(TProperties);
        Head.LoggerNameOffset = offsetof(TProperties, LoggerName);
        Head.LogFileNameOffset = offsetof(TProperties, LogFileName);
    }
};

[[noreturn]] void Fail(const char* call, ULONG code) {
    throw EAppSessionError(std::string(call) + ": " + SystemErrorMessage(static_cast<int>(code)));
}

ULONG Start(TRACEHANDLE& handle) {
    TProperties p;
    p.Head.Wnode.Guid = kSessionGuid;
    p.Head.Wnode.ClientContext = 2; // system time
    p.Head.Wnode.Flags = WNODE_FLAG_TRACED_GUID;
    p.Head.LogFileMode = EVENT_TRACE_REAL_TIME_MODE;
    p.Head.BufferSize = kBufferKb;
    p.Head.MinimumBuffers = kMinimumBuffers;
    p.Head.MaximumBuffers = kMaximumBuffers;
    p.Head.FlushTimer = 1;
    return ::StartTraceW(&handle, kSessionName, &p.Head);
}

ULONG StopByName() {
    TProperties p;
    return ::ControlTraceW(0, kSessionName, &p.Head, EVENT_TRACE_CONTROL_STOP);
}

void WINAPI Deliver(PEVENT_RECORD event) {
    if (!IsEqualGUID(event->EventHeader.ProviderId, kNetworkProvider))
        return;
    TEventRecord record;
    record.TimeUtc = (event->EventHeader.TimeStamp.QuadPart - kFiletimeOf1970) / 10000000;
    record.Id = event->EventHeader.EventDescriptor.Id;
    record.Version = event->EventHeader.EventDescriptor.Version;
    record.Payload = static_cast<const uint8_t*>(event->UserData);
    record.Size = event->UserDataLength;
    (*static_cast<TAppSession::TCallback*>(event->UserContext))(record);
}

} // namespace

void TAppSession::TStarted::Stop() {
    TProperties p;
    if (Handle)
        ::ControlTraceW(Handle, nullptr, &p.Head, EVENT_TRACE_CONTROL_STOP);
    Handle = 0;
}

void TAppSession::TOpened::Close() {
    if (Handle)
        ::CloseTrace(Handle);
    Handle = 0;
}

TAppSession::TAppSession(TCallback onEvent) : onEvent_(std::move(onEvent)) {
    TRACEHANDLE session = 0;
    ULONG status = Start(session);
    if (status == ERROR_ALREADY_EXISTS) { // left by a run that ended without stopping it
        status = StopByName();
        if (status != ERROR_SUCCESS)
            Fail("ControlTraceW", status);
        status = Start(session);
    }
    if (status != ERROR_SUCCESS)
        Fail("StartTraceW", status);
    session_.Handle = session;
    status = ::EnableTraceEx2(session, &kNetworkProvider, EVENT_CONTROL_CODE_ENABLE_PROVIDER,
                              TRACE_LEVEL_INFORMATION, kIpv4AndIpv6, 0, 0, nullptr);
    if (status != ERROR_SUCCESS)
        Fail("EnableTraceEx2", status);

    EVENT_TRACE_LOGFILEW consumer{};
    std::wstring name = kSessionName;
    consumer.LoggerName = name.data();
    consumer.ProcessTraceMode = PROCESS_TRACE_MODE_REAL_TIME | PROCESS_TRACE_MODE_EVENT_RECORD;
    consumer.EventRecordCallback = &Deliver;
    consumer.Context = &onEvent_;
    const TRACEHANDLE trace = ::OpenTraceW(&consumer);
    if (trace == static_cast<TRACEHANDLE>(INVALID_PROCESSTRACE_HANDLE))
        Fail("OpenTraceW", ::GetLastError());
    trace_.Handle = trace;
    consumer_ = std::make_unique<TSystemThread>([trace] {
        TRACEHANDLE handle = trace;
        ::ProcessTrace(&handle, 1, nullptr, nullptr);
    });
}

TAppSession::~TAppSession() {
    trace_.Close();
    session_.Stop();
    consumer_.reset(); // waits for ProcessTrace to return
}

uint64_t TAppSession::LostEvents() const {
    TProperties p;
    const ULONG status =
        ::ControlTraceW(session_.Handle, nullptr, &p.Head, EVENT_TRACE_CONTROL_QUERY);
    if (status != ERROR_SUCCESS)
        Fail("ControlTraceW", status);
    return p.Head.EventsLost;
}
