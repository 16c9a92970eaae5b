// One running copy per folder: two copies in one folder would overwrite each other's log and
// settings, so a second start there brings the first one forward and ends. Copies in different
// folders (an installed and a portable one) run side by side.
#pragma once
#include "platform/handle.h"

#include <cstdint>

// The executable's folder as a key: a hash of its full path, upper-cased.
uint64_t ExecutableFolderKey();

// Sent by a second copy to the main windows it finds, with the low and high halves of its
// folder key in wParam and lParam; the main window of that folder shows itself and answers 1.
UINT ShowRunningCopyMessage();
bool IsFolderKeyMessage(WPARAM wParam, LPARAM lParam, uint64_t key);

class TFolderInstance {
  public:
    // Takes the folder's named mutex; it is held until the process ends.
    explicit TFolderInstance(uint64_t key);
    // False when another copy in this folder holds the mutex.
    bool IsFirst() const { return first_; }
    // Asks the copy that runs in this folder to show its window, waiting a little for one that
    // is still starting.
    void ShowRunningCopy() const;

  private:
    uint64_t key_;
    TKernelHandle mutex_;
    bool first_ = true;
};
