// TSharedHandlerWindow: the hidden window that all components of one kind in the process share
// (the tray icons', the timers'), made with the first of them and destroyed with the last.
#pragma once
#include "platform/window.h"

#include <map>
#include <memory>
#include <vector>

// TSelf derives from this and creates its window in its constructor. Components register
// under a key that the window's messages carry; a message whose key is no longer registered
// (a late one for a component already gone) finds nothing.
template <typename TSelf, typename TClient> class TSharedHandlerWindow : public TMessageWindow {
  public:
    using TKey = UINT_PTR;

    // The shared window, made if there is none; Add a client to it at once.
    static TSelf& Shared() {
        std::unique_ptr<TSelf>& instance = Instance();
        if (!instance)
            instance = std::make_unique<TSelf>();
        return *instance;
    }
    // Unregisters key; the window goes with the last client.
    static void Release(TKey key) {
        std::unique_ptr<TSelf>& instance = Instance();
        if (!instance)
            return;
        instance->clients_.erase(key);
        if (instance->clients_.empty())
            instance.reset();
    }
    // The shared window, or null while no client is registered.
    static TSelf* Current() { return Instance().get(); }

    void Add(TKey key, TClient* client) { clients_[key] = client; }

  protected:
    TClient* Find(TKey key) const {
        auto it = clients_.find(key);
        return it == clients_.end() ? nullptr : it->second;
    }
    bool Contains(TKey key) const { return clients_.count(key) != 0; }
    // Looks each client up again before the call: a call may destroy clients, even the last
    // one and with it this window, whose members fn must then not touch.
    template <typename TFn> void ForEachClient(TFn fn) {
        std::vector<TKey> keys;
        for (const auto& entry : clients_)
            keys.push_back(entry.first);
        std::unique_ptr<TSelf>& instance = Instance();
        for (TKey key : keys) {
            if (instance.get() != this)
                return;
            if (TClient* client = Find(key))
                fn(*client);
        }
    }

  private:
    // Destroyed at process end if a client was never freed.
    static std::unique_ptr<TSelf>& Instance() {
        static std::unique_ptr<TSelf> instance;
        return instance;
    }

    std::map<TKey, TClient*> clients_;
};
