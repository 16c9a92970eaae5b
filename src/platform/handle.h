// Move-only owners for Win32 handles: one small template, one alias per kind of handle.
#pragma once
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <utility>

// Traits give the handle type, its invalid value and how to free it.
template <typename Traits> class TUniqueHandle {
  public:
    using T = typename Traits::Type;
    TUniqueHandle() = default;
    explicit TUniqueHandle(T handle) : handle_(handle) {}
    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;
    TUniqueHandle(TUniqueHandle&& other) noexcept : handle_(other.release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~TUniqueHandle() { reset(); }

    T get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid(); }
    T release() { return std::exchange(handle_, Traits::Invalid()); }
    void reset(T handle = Traits::Invalid()) {
        T old = std::exchange(handle_, handle);
        if (old != Traits::Invalid())
            Traits::Close(old);
    }

  private:
    T handle_ = Traits::Invalid();
};

namespace handle_detail {
template <typename H, void (*CloseFn)(H)> struct NullTraits {
    using Type = H;
    static H Invalid() { return nullptr; }
    static void Close(H h) { CloseFn(h); }
};
inline void CloseKernel(HANDLE h) {
    ::CloseHandle(h);
}
inline void DestroyWnd(HWND h) {
    ::DestroyWindow(h);
}
inline void DeleteFont(HFONT h) {
    ::DeleteObject(h);
}
inline void DeleteBrush(HBRUSH h) {
    ::DeleteObject(h);
}
inline void DeletePen(HPEN h) {
    ::DeleteObject(h);
}
inline void DeleteBitmap(HBITMAP h) {
    ::DeleteObject(h);
}
inline void DestroyIco(HICON h) {
    ::DestroyIcon(h);
}
inline void DestroyMnu(HMENU h) {
    ::DestroyMenu(h);
}
inline void CloseKey(HKEY h) {
    ::RegCloseKey(h);
}
inline void DeleteMemDc(HDC h) {
    ::DeleteDC(h);
}
inline void DestroyImgList(HIMAGELIST h) {
    ::ImageList_Destroy(h);
}
inline void ReleaseLibrary(HMODULE h) {
    ::FreeLibrary(h);
}
struct FileTraits {
    using Type = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct SocketTraits {
    using Type = SOCKET;
    static SOCKET Invalid() { return INVALID_SOCKET; }
    static void Close(SOCKET s) { ::closesocket(s); }
};
} // namespace handle_detail

using TKernelHandle = TUniqueHandle<handle_detail::NullTraits<HANDLE, handle_detail::CloseKernel>>;
using TFileHandle = TUniqueHandle<handle_detail::FileTraits>;
using TWindowHandle = TUniqueHandle<handle_detail::NullTraits<HWND, handle_detail::DestroyWnd>>;
using TFontHandle = TUniqueHandle<handle_detail::NullTraits<HFONT, handle_detail::DeleteFont>>;
using TBrushHandle = TUniqueHandle<handle_detail::NullTraits<HBRUSH, handle_detail::DeleteBrush>>;
using TPenHandle = TUniqueHandle<handle_detail::NullTraits<HPEN, handle_detail::DeletePen>>;
using TBitmapHandle =
    TUniqueHandle<handle_detail::NullTraits<HBITMAP, handle_detail::DeleteBitmap>>;
using TIconHandle = TUniqueHandle<handle_detail::NullTraits<HICON, handle_detail::DestroyIco>>;
using TMenuHandle = TUniqueHandle<handle_detail::NullTraits<HMENU, handle_detail::DestroyMnu>>;
using TKeyHandle = TUniqueHandle<handle_detail::NullTraits<HKEY, handle_detail::CloseKey>>;
using TMemDcHandle = TUniqueHandle<handle_detail::NullTraits<HDC, handle_detail::DeleteMemDc>>;
using TImageListHandle =
    TUniqueHandle<handle_detail::NullTraits<HIMAGELIST, handle_detail::DestroyImgList>>;
using TSocketHandle = TUniqueHandle<handle_detail::SocketTraits>;
using TModuleHandle =
    TUniqueHandle<handle_detail::NullTraits<HMODULE, handle_detail::ReleaseLibrary>>;

// A GDI object selected into a DC; the old one is put back when this ends.
class TSelectObject {
  public:
    TSelectObject(HDC dc, HGDIOBJ obj) : dc_(dc), old_(::SelectObject(dc, obj)) {}
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;
    ~TSelectObject() { ::SelectObject(dc_, old_); }

  private:
    HDC dc_;
    HGDIOBJ old_;
};

// A window's DC from GetDC, released with its window.
class TWindowDc {
  public:
    explicit TWindowDc(HWND wnd) : wnd_(wnd), dc_(::GetDC(wnd)) {}
    TWindowDc(const TWindowDc&) = delete;
    TWindowDc& operator=(const TWindowDc&) = delete;
    ~TWindowDc() {
        if (dc_)
            ::ReleaseDC(wnd_, dc_);
    }
    HDC get() const { return dc_; }

  private:
    HWND wnd_;
    HDC dc_;
};
