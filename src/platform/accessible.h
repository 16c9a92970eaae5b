// Accessible objects of the program's own windows, for screen readers. Each stands on the
// system's standard object for a window's client area (CreateStdAccessibleObject) and answers
// only what it knows better: the window's name, and items drawn in it that are no windows of
// their own (the bars of a chart). oleacc is not a KnownDLL: it comes from the system folder,
// loaded on the first request.
#pragma once
#include "platform/handle.h"
#include "platform/screen_geometry.h"

#include <oleacc.h>

#include <string>

// What a window tells about itself and its items; items count from 0 here, child ids from 1.
class TAccessibleItems {
  public:
    virtual std::string AccessibleName() const = 0;
    virtual int ItemCount() const = 0;
    virtual std::string ItemName(int item) const = 0;
    virtual TRectI ItemRect(int item) const = 0; // in client coordinates
    // The item that has the keyboard focus; -1 for none (or the window itself).
    virtual int FocusedItem() const = 0;

  protected:
    ~TAccessibleItems() = default;
};

// A window with items is a list of list items; a window without is named by `name`, or by its
// own text where name is null (a text the control does not draw).
class TAccessible final : public IAccessible {
  public:
    // A new object (with one reference); null where oleacc or the standard object cannot be had.
    static TAccessible* Make(HWND window, const char* name, const TAccessibleItems* items);
    TAccessible(const TAccessible&) = delete;
    TAccessible& operator=(const TAccessible&) = delete;

    // The answer to WM_GETOBJECT that hands this object to the asking process.
    LRESULT Answer(WPARAM wParam);
    // The items' window object is going: from now on the standard object answers alone.
    void Disconnect() { items_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // No type information: clients call IAccessible directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override;

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

  private:
    // Throws when oleacc or the standard object cannot be had.
    TAccessible(HWND window, const char* name, const TAccessibleItems* items);
    ~TAccessible();
    // The item a child id names, or -1 for the window itself or no item.
    int ItemOf(const VARIANT& child) const;

    HWND window_;
    const char* name_;
    const TAccessibleItems* items_;
    IAccessible* standard_ = nullptr;
    LONG references_ = 1;
};

// Owns a window's accessible object; when the window goes, the object is cut off from it (a
// screen reader may hold the object longer).
struct TAccessibleTraits {
    using Type = TAccessible*;
    static TAccessible* Invalid() { return nullptr; }
    static void Close(TAccessible* object) {
        object->Disconnect();
        object->Release();
    }
};
using TAccessibleHandle = TUniqueHandle<TAccessibleTraits>;

// The answer to WM_GETOBJECT for the client area (OBJID_CLIENT) of a window with items: its
// object, made on the first request. 0 for the other objects and where oleacc cannot be had:
// the message then goes on to the default handling.
LRESULT AnswerAccessibleObject(TAccessibleHandle& object, HWND window,
                               const TAccessibleItems& items, WPARAM wParam, LPARAM lParam);

// Gives a control of the system's classes the accessible name `name`, a text that lasts as
// long as the program, where Windows would give none or one that says nothing (a button "..",
// a list without a label right before it); null: the control's window text, which it does not
// draw (a progress bar's).
void SetAccessibleName(HWND control, const char* name);
