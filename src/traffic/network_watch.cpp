// TNetworkChangeWatch: route and interface notifications turned into a posted message.
#include "traffic/network_watch.h"

TNetworkChangeWatch::TNetworkChangeWatch(HWND window, UINT message, const TInterfaceSource& source)
    : target_(std::make_unique<TTarget>(TTarget{window, message})) {
    HANDLE handle = nullptr;
    if (source.NotifyRouteChange2(AF_UNSPEC, &RouteChanged, target_.get(), FALSE, &handle) ==
        NO_ERROR)
        routes_.reset(handle);
    handle = nullptr;
    if (source.NotifyIpInterfaceChange(AF_UNSPEC, &InterfaceChanged, target_.get(), FALSE,
                                       &handle) == NO_ERROR)
        interfaces_.reset(handle);
}

void WINAPI TNetworkChangeWatch::RouteChanged(PVOID context, PMIB_IPFORWARD_ROW2,
                                              MIB_NOTIFICATION_TYPE) {
    const auto* target = static_cast<const TTarget*>(context);
    ::PostMessageA(target->Window, target->Message, 0, 0);
}

void WINAPI TNetworkChangeWatch::InterfaceChanged(PVOID context, PMIB_IPINTERFACE_ROW,
                                                  MIB_NOTIFICATION_TYPE) {
    const auto* target = static_cast<const TTarget*>(context);
    ::PostMessageA(target->Window, target->Message, 0, 0);
}
