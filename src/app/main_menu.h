// `PopupMenu` of the main window with its pictures from `icons16`, and its shortcut keys.
#pragma once
#include "platform/handle.h"

#include <string>
#include <vector>

namespace handle_detail {
inline void DestroyAccel(HACCEL h) {
    ::DestroyAcceleratorTable(h);
}
} // namespace handle_detail
using TAcceleratorHandle =
    TUniqueHandle<handle_detail::NullTraits<HACCEL, handle_detail::DestroyAccel>>;

class TMainMenu {
  public:
    TMainMenu();
    HMENU Menu() const { return menu_.get(); }
    HACCEL Accelerators() const { return accelerators_.get(); }
    // Ticks "On the Taskbar".
    void SetDocked(bool docked);

  private:
    void LoadPictures();
    void AddItem(UINT id, const std::string& caption, int picture);
    void AddSeparator();
    void AddCheckItem(UINT id, const std::string& caption);
    void CreateAccelerators();

    TMenuHandle menu_;
    std::vector<TBitmapHandle> pictures_; // one premultiplied 32-bit bitmap per picture
    TAcceleratorHandle accelerators_;
};
