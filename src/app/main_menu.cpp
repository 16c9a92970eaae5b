// TMainMenu: the eight items, their pictures and the shortcuts F4, F5, F12, Ctrl+M and Ctrl+X.
#include "app/main_menu.h"
#include "resource.h"
#include "platform/dib.h"
#include "platform/picture.h"
#include "platform/window.h"
#include "text/texts.h"

#include <cstdint>
#include <exception>
#include <iterator>

namespace {

constexpr int kPictureSize = 16;
constexpr int kPictureCount = 11;

// A 16 x 16 top-down 32-bit DIB section; menus want premultiplied alpha.
TBitmapHandle MakePicture(const uint32_t* strip, int stripWidth, int index) {
    void* bits = nullptr;
    TBitmapHandle picture = MakeTopDownDib(kPictureSize, kPictureSize, 32, bits);
    auto* out = static_cast<uint32_t*>(bits);
    for (int y = 0; y < kPictureSize; ++y) {
        for (int x = 0; x < kPictureSize; ++x) {
            uint32_t p = strip[y * stripWidth + index * kPictureSize + x];
            uint32_t a = p >> 24;
            uint32_t r = ((p >> 16) & 0xFF) * a / 255, g = ((p >> 8) & 0xFF) * a / 255,
                     b = (p & 0xFF) * a / 255;
            out[y * kPictureSize + x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    return picture;
}

} // namespace

TMainMenu::TMainMenu() : menu_(::CreatePopupMenu()) {
    if (!menu_)
        RaiseLastWin32Error("CreatePopupMenu");
    LoadPictures();
    AddItem(IDM_SETTINGS, Text(TTextId::MenuSettings), ICON16_SETTINGS);
    AddItem(IDM_HISTORY, Text(TTextId::MenuHistory), ICON16_HISTORY);
    AddItem(IDM_ABOUT, Text(TTextId::MenuAbout), ICON16_ABOUT);
    AddSeparator();
    AddItem(IDM_CHECKUPDATES, Text(TTextId::MenuCheckUpdates), ICON16_UPDATE);
    AddItem(IDM_MINIMIZE, Text(TTextId::MenuMinimize), ICON16_MINIMIZE);
    AddCheckItem(IDM_DOCK, Text(TTextId::MenuOnTaskbar));
    AddItem(IDM_CLOSE, Text(TTextId::MenuClose), ICON16_CLOSE);
    ::SetMenuDefaultItem(menu_.get(), IDM_SETTINGS, FALSE);
    CreateAccelerators();
}

// The menu works without pictures: a strip that cannot be decoded leaves it plain.
void TMainMenu::LoadPictures() {
    TBitmapHandle strip;
    try {
        strip = LoadPictureResource(IDB_ICONS16, TPixelFormat::Bgra32);
    } catch (const std::exception&) {
        return;
    }
    DIBSECTION dib{};
    if (::GetObjectA(strip.get(), sizeof dib, &dib) != sizeof dib ||
        dib.dsBm.bmWidth < kPictureSize * kPictureCount || dib.dsBm.bmHeight < kPictureSize)
        return;
    const auto* topDown = static_cast<const uint32_t*>(dib.dsBm.bmBits);
    for (int i = 0; i < kPictureCount; ++i)
        pictures_.push_back(MakePicture(topDown, dib.dsBm.bmWidth, i));
}

void TMainMenu::AddItem(UINT id, const std::string& caption, int picture) {
    MENUITEMINFOA item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_FTYPE;
    item.fType = MFT_STRING;
    item.wID = id;
    item.dwTypeData = const_cast<char*>(caption.c_str());
    if (picture < static_cast<int>(pictures_.size())) {
        item.fMask |= MIIM_BITMAP;
        item.hbmpItem = pictures_[static_cast<size_t>(picture)].get();
    }
    if (!::InsertMenuItemA(menu_.get(), ::GetMenuItemCount(menu_.get()), TRUE, &item))
        RaiseLastWin32Error("InsertMenuItem");
}

void TMainMenu::AddCheckItem(UINT id, const std::string& caption) {
    if (!::AppendMenuA(menu_.get(), MF_STRING | MF_UNCHECKED, id, caption.c_str()))
        RaiseLastWin32Error("AppendMenu");
}

void TMainMenu::SetDocked(bool docked) {
    ::CheckMenuItem(menu_.get(), IDM_DOCK, MF_BYCOMMAND | (docked ? MF_CHECKED : MF_UNCHECKED));
}

void TMainMenu::AddSeparator() {
    if (!::AppendMenuA(menu_.get(), MF_SEPARATOR, 0, nullptr))
        RaiseLastWin32Error("AppendMenu");
}

void TMainMenu::CreateAccelerators() {
    ACCEL keys[] = {
        {FVIRTKEY, VK_F4, IDM_SETTINGS},       {FVIRTKEY, VK_F5, IDM_HISTORY},
        {FVIRTKEY, VK_F12, IDM_ABOUT},         {FVIRTKEY | FCONTROL, 'M', IDM_MINIMIZE},
        {FVIRTKEY | FCONTROL, 'X', IDM_CLOSE},
    };
    accelerators_.reset(::CreateAcceleratorTableA(keys, static_cast<int>(std::size(keys))));
    if (!accelerators_)
        RaiseLastWin32Error("CreateAcceleratorTable");
}
