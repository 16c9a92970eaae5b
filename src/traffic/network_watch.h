// Notices that routes or interfaces changed, posted to a window as one message. The platform
// calls back on threads of its own; a window message brings the notice to the monitor's thread.
#pragma once
#include "platform/handle.h"
#include "traffic/adapter_monitor.h"

#include <memory>

namespace handle_detail {
inline void CancelMibNotify(HANDLE h) {
    IpHelper().CancelMibChangeNotify2(h);
}
} // namespace handle_detail
using TMibNotifyHandle =
    TUniqueHandle<handle_detail::NullTraits<HANDLE, handle_detail::CancelMibNotify>>;

class TNetworkChangeWatch {
  public:
    // A platform that cannot notify leaves the watch silent; the monitor also notices a
    // changed interface table by itself.
    TNetworkChangeWatch(HWND window, UINT message, const TInterfaceSource& source = IpHelper());

  private:
    struct TTarget {
        HWND Window;
        UINT Message;
    };
    static void WINAPI RouteChanged(PVOID context, PMIB_IPFORWARD_ROW2, MIB_NOTIFICATION_TYPE);
    static void WINAPI InterfaceChanged(PVOID context, PMIB_IPINTERFACE_ROW, MIB_NOTIFICATION_TYPE);

    std::unique_ptr<TTarget> target_; // outlives the registrations, which end first
    TMibNotifyHandle routes_;
    TMibNotifyHandle interfaces_;
};
