// TUiDispatcher: a message-only window on the user-interface thread; a call handed to it from
// another thread runs there while the caller waits.
#pragma once
#include "platform/window.h"

#include <functional>

class TUiDispatcher : public TMessageWindow {
  public:
    // Creates the window: call on the user-interface thread.
    TUiDispatcher();
    // Runs fn on the window's thread and waits; false when the window is gone.
    bool Run(const std::function<void()>& fn) const;

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
};
