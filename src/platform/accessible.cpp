// TAccessible: the window's name and items, everything else from the standard object; oleacc
// from the system folder; controls named by a subclass that answers WM_GETOBJECT.
#include "platform/accessible.h"
#include "platform/system_library.h"
#include "platform/wide_text.h"
#include "platform/window.h"

#include <exception>
#include <iterator>

namespace {

// Spelled out: with a static link MinGW's import library resolves IID_IAccessible to a thunk.
const IID kAccessibleIid = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

struct TOleacc {
    TSystemLibrary Library{"oleacc.dll"};
    decltype(&::CreateStdAccessibleObject) CreateStandard =
        Library.Proc<decltype(&::CreateStdAccessibleObject)>("CreateStdAccessibleObject");
    decltype(&::LresultFromObject) Result =
        Library.Proc<decltype(&::LresultFromObject)>("LresultFromObject");
};

// Loaded on the first request, so that a session without a screen reader never loads it, and
// kept to the end of the process.
const TOleacc& Oleacc() {
    static const TOleacc& oleacc = *new TOleacc;
    return oleacc;
}

bool IsClientObject(LPARAM objectId) {
    return static_cast<DWORD>(objectId) == static_cast<DWORD>(OBJID_CLIENT);
}

HRESULT SetVariant(VARIANT* out, long value) {
    if (!out)
        return E_POINTER;
    out->vt = VT_I4;
    out->lVal = value;
    return S_OK;
}

HRESULT SetText(BSTR* out, std::wstring_view text) {
    if (!out)
        return E_POINTER;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// Names are UTF-8 like every text of the program.
HRESULT SetText(BSTR* out, std::string_view text) {
    return SetText(out, WideFromUtf8(text));
}

// A fresh object per request: it holds nothing that could go before it.
LRESULT CALLBACK NamedControlProc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR name) {
    if (msg == WM_GETOBJECT && IsClientObject(lParam)) {
        if (TAccessible* object =
                TAccessible::Make(control, reinterpret_cast<const char*>(name), nullptr)) {
            const LRESULT answer = object->Answer(wParam);
            object->Release();
            return answer;
        }
    } else if (msg == WM_NCDESTROY) {
        ::RemoveWindowSubclass(control, NamedControlProc, id);
    }
    return ::DefSubclassProc(control, msg, wParam, lParam);
}

} // namespace

TAccessible::TAccessible(HWND window, const char* name, const TAccessibleItems* items)
    : window_(window), name_(name), items_(items) {
    if (FAILED(Oleacc().CreateStandard(window, OBJID_CLIENT, kAccessibleIid,
                                       reinterpret_cast<void**>(&standard_))))
        RaiseLastWin32Error("CreateStdAccessibleObject");
}

TAccessible* TAccessible::Make(HWND window, const char* name, const TAccessibleItems* items) {
    try {
        return new TAccessible(window, name, items);
    } catch (const std::exception&) {
        return nullptr;
    }
}

TAccessible::~TAccessible() {
    standard_->Release();
}

LRESULT TAccessible::Answer(WPARAM wParam) {
    return Oleacc().Result(kAccessibleIid, wParam, this);
}

int TAccessible::ItemOf(const VARIANT& child) const {
    const bool item =
        items_ && child.vt == VT_I4 && child.lVal >= 1 && child.lVal <= items_->ItemCount();
    return item ? child.lVal - 1 : -1;
}

HRESULT TAccessible::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    if (iid == kAccessibleIid || iid == IID_IDispatch || iid == IID_IUnknown) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG TAccessible::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&references_));
}

ULONG TAccessible::Release() {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT TAccessible::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT TAccessible::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

HRESULT TAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT TAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

HRESULT TAccessible::get_accParent(IDispatch** parent) {
    return standard_->get_accParent(parent);
}

HRESULT TAccessible::get_accChildCount(long* count) {
    if (!items_ || !count)
        return standard_->get_accChildCount(count);
    *count = items_->ItemCount();
    return S_OK;
}

// Items are no objects of their own: they are asked through their parent.
HRESULT TAccessible::get_accChild(VARIANT child, IDispatch** object) {
    if (ItemOf(child) < 0 || !object)
        return standard_->get_accChild(child, object);
    *object = nullptr;
    return S_FALSE;
}

HRESULT TAccessible::get_accName(VARIANT child, BSTR* name) {
    const int item = ItemOf(child);
    if (item >= 0)
        return SetText(name, items_->ItemName(item));
    if (child.vt != VT_I4 || child.lVal != CHILDID_SELF)
        return standard_->get_accName(child, name);
    if (items_)
        return SetText(name, items_->AccessibleName());
    if (name_)
        return SetText(name, std::string_view(name_));
    wchar_t text[1024];
    const int length = ::GetWindowTextW(window_, text, static_cast<int>(std::size(text)));
    return SetText(name, std::wstring_view(text, static_cast<size_t>(length)));
}

HRESULT TAccessible::get_accValue(VARIANT child, BSTR* value) {
    return standard_->get_accValue(child, value);
}

HRESULT TAccessible::get_accDescription(VARIANT child, BSTR* description) {
    return standard_->get_accDescription(child, description);
}

HRESULT TAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (ItemOf(child) >= 0)
        return SetVariant(role, ROLE_SYSTEM_LISTITEM);
    if (items_ && child.vt == VT_I4 && child.lVal == CHILDID_SELF)
        return SetVariant(role, ROLE_SYSTEM_LIST);
    return standard_->get_accRole(child, role);
}

HRESULT TAccessible::get_accState(VARIANT child, VARIANT* state) {
    const int item = ItemOf(child);
    if (item < 0)
        return standard_->get_accState(child, state);
    const bool focused = item == items_->FocusedItem();
    return SetVariant(state, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE |
                                 (focused ? STATE_SYSTEM_FOCUSED | STATE_SYSTEM_SELECTED : 0));
}

HRESULT TAccessible::get_accHelp(VARIANT child, BSTR* help) {
    return standard_->get_accHelp(child, help);
}

// Help topics and setting a name are what no standard object supports either.
HRESULT TAccessible::get_accHelpTopic(BSTR*, VARIANT, long*) {
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT TAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    return standard_->get_accKeyboardShortcut(child, shortcut);
}

HRESULT TAccessible::get_accFocus(VARIANT* child) {
    const int item = items_ ? items_->FocusedItem() : -1;
    return item < 0 ? standard_->get_accFocus(child) : SetVariant(child, item + 1);
}

HRESULT TAccessible::get_accSelection(VARIANT* children) {
    return standard_->get_accSelection(children);
}

HRESULT TAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    return standard_->get_accDefaultAction(child, action);
}

HRESULT TAccessible::accSelect(long flags, VARIANT child) {
    return standard_->accSelect(flags, child);
}

HRESULT TAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    const int item = ItemOf(child);
    if (item < 0)
        return standard_->accLocation(left, top, width, height, child);
    const TRectI r = items_->ItemRect(item);
    POINT origin{r.Left, r.Top};
    ::ClientToScreen(window_, &origin);
    *left = origin.x, *top = origin.y, *width = r.Width(), *height = r.Height();
    return S_OK;
}

HRESULT TAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    return standard_->accNavigate(direction, start, end);
}

HRESULT TAccessible::accHitTest(long x, long y, VARIANT* child) {
    return standard_->accHitTest(x, y, child);
}

HRESULT TAccessible::accDoDefaultAction(VARIANT child) {
    return standard_->accDoDefaultAction(child);
}

HRESULT TAccessible::put_accName(VARIANT, BSTR) {
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT TAccessible::put_accValue(VARIANT child, BSTR value) {
    return standard_->put_accValue(child, value);
}

LRESULT AnswerAccessibleObject(TAccessibleHandle& object, HWND window,
                               const TAccessibleItems& items, WPARAM wParam, LPARAM lParam) {
    if (!IsClientObject(lParam))
        return 0;
    if (!object)
        object.reset(TAccessible::Make(window, nullptr, &items));
    return object ? object.get()->Answer(wParam) : 0;
}

void SetAccessibleName(HWND control, const char* name) {
    if (!::SetWindowSubclass(control, NamedControlProc, 1, reinterpret_cast<DWORD_PTR>(name)))
        RaiseLastWin32Error("SetWindowSubclass");
}
