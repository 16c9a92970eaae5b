// A small Windows program that the end-to-end tests run beside corvane.exe, in the same Wine
// prefix, to look at and drive its windows as another process would.
#include <winsock2.h>
#include <ws2ipdef.h>
#include <windows.h>
#include <commctrl.h>
#include <iphlpapi.h>
#include <shellapi.h>
#include <oleacc.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

HWND ParseHwnd(const char* text) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(text, nullptr, 0)));
}

unsigned long long ParseNumber(const char* text) {
    return std::strtoull(text, nullptr, 0);
}

int WaitWindow(const char* cls, const char* title, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    for (;;) {
        HWND wnd = ::FindWindowA(cls, title);
        if (wnd && ::IsWindowVisible(wnd)) {
            std::printf("0x%llx\n",
                        static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(wnd)));
            return 0;
        }
        if (::GetTickCount() - start > timeoutMs)
            return 1;
        ::Sleep(100);
    }
}

int Info(HWND wnd) {
    if (!::IsWindow(wnd))
        return 1;
    RECT rc, client;
    ::GetWindowRect(wnd, &rc);
    ::GetClientRect(wnd, &client);
    LONG style = ::GetWindowLongA(wnd, GWL_STYLE);
    LONG exStyle = ::GetWindowLongA(wnd, GWL_EXSTYLE);
    ULONG_PTR classStyle = ::GetClassLongPtrA(wnd, GCL_STYLE);
    BYTE alpha = 255;
    DWORD flags = 0;
    COLORREF key = 0;
    BOOL layered =
        (exStyle & WS_EX_LAYERED) && ::GetLayeredWindowAttributes(wnd, &key, &alpha, &flags);
    char text[1024] = "";
    ::GetWindowTextA(wnd, text, sizeof text);
    char cls[256] = "";
    ::GetClassNameA(wnd, cls, sizeof cls);
    std::printf("left=%ld\ntop=%ld\nwidth=%ld\nheight=%ld\nclient_width=%ld\nclient_height=%ld\n",
                rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, client.right,
                client.bottom);
    std::printf("style=0x%08lx\nexstyle=0x%08lx\nclassstyle=0x%08llx\n", style, exStyle,
                static_cast<unsigned long long>(classStyle));
    std::printf("visible=%d\niconic=%d\ntopmost=%d\nlayered=%d\nalpha=%d\nalphaflag=%d\n",
                ::IsWindowVisible(wnd) ? 1 : 0, ::IsIconic(wnd) ? 1 : 0,
                (exStyle & WS_EX_TOPMOST) ? 1 : 0, layered ? 1 : 0, layered ? alpha : 255,
                (flags & LWA_ALPHA) ? 1 : 0);
    std::printf(
        "class=%s\ntext=%s\nowner=0x%llx\n", cls, text,
        static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(::GetWindow(wnd, GW_OWNER))));
    std::printf("parent=0x%llx\ndesktop=0x%llx\n",
                static_cast<unsigned long long>(
                    reinterpret_cast<uintptr_t>(::GetAncestor(wnd, GA_PARENT))),
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(::GetDesktopWindow())));
    return 0;
}

struct ChildSearch {
    const char* cls;
    int wanted;
    int seen;
    HWND found;
};

BOOL CALLBACK FindChild(HWND wnd, LPARAM param) {
    auto* s = reinterpret_cast<ChildSearch*>(param);
    char cls[256] = "";
    ::GetClassNameA(wnd, cls, sizeof cls);
    if (_stricmp(cls, s->cls) != 0)
        return TRUE;
    if (s->seen++ == s->wanted) {
        s->found = wnd;
        return FALSE;
    }
    return TRUE;
}

// The text of the n-th child of a class, byte for byte (CR LF kept); false when there is none.
bool ReadChildText(HWND wnd, const char* cls, int n, std::string& text) {
    ChildSearch s{cls, n, 0, nullptr};
    ::EnumChildWindows(wnd, FindChild, reinterpret_cast<LPARAM>(&s));
    if (!s.found)
        return false;
    // The text may change between the two messages (a label updated every second): room to
    // spare, and the length that WM_GETTEXT itself reports.
    const LRESULT len = ::SendMessageA(s.found, WM_GETTEXTLENGTH, 0, 0);
    text.assign(static_cast<size_t>(len) + 256, '\0');
    const LRESULT copied =
        ::SendMessageA(s.found, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied));
    return true;
}

int ChildText(HWND wnd, const char* cls, int n) {
    std::string text;
    if (!ReadChildText(wnd, cls, n, text))
        return 1;
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

// Watches for a top-level window to become visible and reads its first child of a class at
// that moment; then waits for that text to be non-empty. Prints the milliseconds between the
// two, then the text first seen.
int FirstText(const char* title, const char* cls, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    HWND wnd = nullptr;
    while (!(wnd = ::FindWindowA(nullptr, title)) || !::IsWindowVisible(wnd)) {
        if (::GetTickCount() - start > timeoutMs)
            return 1;
        ::Sleep(1);
    }
    const DWORD shown = ::GetTickCount();
    std::string first, text;
    if (!ReadChildText(wnd, cls, 0, first))
        return 1;
    text = first;
    while (text.empty()) {
        if (::GetTickCount() - start > timeoutMs || !ReadChildText(wnd, cls, 0, text))
            return 1;
        ::Sleep(1);
    }
    std::printf("%lu\n", ::GetTickCount() - shown);
    std::fwrite(first.data(), 1, first.size(), stdout);
    return 0;
}

// Prints the text a window gives for WM_GETTEXT, byte for byte: for a tooltip, the tip shown.
int WindowText(HWND wnd) {
    if (!::IsWindow(wnd))
        return 1;
    char text[1024] = "";
    LRESULT length = ::SendMessageA(wnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    std::fwrite(text, 1, static_cast<size_t>(length), stdout);
    return 0;
}

// Sets the text of the n-th child of a class (a file name in a Save As dialog, for example).
int SetChildText(HWND wnd, const char* cls, int n, const char* text) {
    ChildSearch s{cls, n, 0, nullptr};
    ::EnumChildWindows(wnd, FindChild, reinterpret_cast<LPARAM>(&s));
    return s.found && ::SendMessageA(s.found, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? 0
                                                                                             : 1;
}

// Holds a file open until standard input closes: without any sharing, or sharing reading and
// writing but not deletion (as the C runtime's fopen does).
int LockFile(const char* path, DWORD share) {
    HANDLE file = ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    std::printf("locked\n");
    std::fflush(stdout);
    char buf[64];
    while (std::fgets(buf, sizeof buf, stdin)) {
    }
    ::CloseHandle(file);
    return 0;
}

BOOL CALLBACK PrintTopLevel(HWND wnd, LPARAM) {
    char cls[256] = "", text[256] = "";
    ::GetClassNameA(wnd, cls, sizeof cls);
    ::GetWindowTextA(wnd, text, sizeof text);
    RECT rc;
    ::GetWindowRect(wnd, &rc);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(wnd, &pid);
    std::printf("0x%llx\t%s\t%s\t%d\t%ld,%ld,%ld,%ld\t%lu\n",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(wnd)), cls, text,
                ::IsWindowVisible(wnd) ? 1 : 0, rc.left, rc.top, rc.right, rc.bottom, pid);
    return TRUE;
}

BOOL CALLBACK PrintChild(HWND wnd, LPARAM) {
    return PrintTopLevel(wnd, 0);
}

// Lists the child windows of a window, in the same form as List.
int Children(HWND wnd) {
    ::EnumChildWindows(wnd, PrintChild, 0);
    return 0;
}

// Lists the top-level windows: handle, class, title, visible, rectangle, process.
int List() {
    return ::EnumWindows(PrintTopLevel, 0) ? 0 : 1;
}

// Lists the interface table with each row's permanent identity and 64-bit counters:
// index, LUID, GUID, description, bytes in, bytes out.
int Interfaces() {
    PMIB_IF_TABLE2 table = nullptr;
    if (::GetIfTable2(&table) != NO_ERROR)
        return 1;
    for (ULONG i = 0; i < table->NumEntries; ++i) {
        const MIB_IF_ROW2& row = table->Table[i];
        const GUID& g = row.InterfaceGuid;
        char description[257] = "";
        ::WideCharToMultiByte(CP_ACP, 0, row.Description, -1, description, sizeof description - 1,
                              nullptr, nullptr);
        std::printf("%lu\t0x%016llx\t{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}\t%s\t%llu"
                    "\t%llu\n",
                    row.InterfaceIndex, static_cast<unsigned long long>(row.InterfaceLuid.Value),
                    g.Data1, g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
                    g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7], description,
                    static_cast<unsigned long long>(row.InOctets),
                    static_cast<unsigned long long>(row.OutOctets));
    }
    ::FreeMibTable(table);
    return 0;
}

// The short (8.3) form of the path that is the wide command line's third argument, in UTF-8.
int ShortPath() {
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!args || count != 3)
        return 2;
    wchar_t path[32768];
    const DWORD n = ::GetShortPathNameW(args[2], path, 32768);
    ::LocalFree(args);
    if (n == 0 || n >= 32768)
        return 1;
    char text[32768 * 3];
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, path, static_cast<int>(n), text,
                                            sizeof text, nullptr, nullptr);
    std::fwrite(text, 1, static_cast<size_t>(bytes), stdout);
    return 0;
}

// Sets Windows' app mode (AppsUseLightTheme) to each value in turn, telling every window as
// Windows does ("ImmersiveColorSet"); the windows have handled it when this returns.
int AppMode(int count, char** values) {
    for (int i = 0; i < count; ++i) {
        const DWORD light = static_cast<DWORD>(ParseNumber(values[i]));
        // As Windows' Light and Dark: the apps and the taskbar alike.
        for (const char* name : {"AppsUseLightTheme", "SystemUsesLightTheme"})
            if (::RegSetKeyValueA(HKEY_CURRENT_USER,
                                  "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                                  name, REG_DWORD, &light, sizeof light) != ERROR_SUCCESS)
                return 1;
        DWORD_PTR result = 0;
        ::SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                              reinterpret_cast<LPARAM>("ImmersiveColorSet"), SMTO_ABORTIFHUNG,
                              10000, &result);
    }
    return 0;
}

// Turns high contrast on or off; 3 when the system does not take it.
int HighContrast(bool on) {
    HIGHCONTRASTA contrast{sizeof contrast, on ? static_cast<DWORD>(HCF_HIGHCONTRASTON) : 0,
                           nullptr};
    ::SystemParametersInfoA(SPI_SETHIGHCONTRAST, sizeof contrast, &contrast, SPIF_SENDCHANGE);
    HIGHCONTRASTA now{sizeof now, 0, nullptr};
    if (!::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof now, &now, 0))
        return 3;
    return ((now.dwFlags & HCF_HIGHCONTRASTON) != 0) == on ? 0 : 3;
}

// Spelled out: with a static link MinGW's import library resolves IID_IAccessible to a thunk.
const IID kAccessibleIid = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// A BSTR in the 8-bit code page, as the program's window texts are; frees it.
std::string Narrow(BSTR text) {
    std::string narrow;
    if (text) {
        const int length = ::SysStringLen(text);
        narrow.resize(static_cast<size_t>(length) * 2);
        narrow.resize(static_cast<size_t>(
            ::WideCharToMultiByte(CP_ACP, 0, text, length, narrow.data(),
                                  static_cast<int>(narrow.size()), nullptr, nullptr)));
        ::SysFreeString(text);
    }
    return narrow;
}

VARIANT ChildId(long id) {
    VARIANT child;
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

// The name and role of an object's child (CHILDID_SELF: the object itself), as the window's
// accessible object gives them to a screen reader.
void PrintAccessible(IAccessible& object, long id) {
    BSTR name = nullptr, value = nullptr;
    VARIANT role;
    role.vt = VT_EMPTY;
    object.get_accName(ChildId(id), &name);
    object.get_accValue(ChildId(id), &value);
    object.get_accRole(ChildId(id), &role);
    std::printf("%ld\t%ld\t%s\t%s\n", id, role.vt == VT_I4 ? role.lVal : 0L, Narrow(name).c_str(),
                Narrow(value).c_str());
}

IAccessible* ClientObject(HWND wnd) {
    IAccessible* object = nullptr;
    if (FAILED(::AccessibleObjectFromWindow(wnd, OBJID_CLIENT, kAccessibleIid,
                                            reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

std::string AccessibleName(HWND wnd) {
    IAccessible* object = ClientObject(wnd);
    if (!object)
        return "";
    BSTR name = nullptr;
    object->get_accName(ChildId(CHILDID_SELF), &name);
    object->Release();
    return Narrow(name);
}

// A window's accessible object (its client area): "focus=" the child that has the focus, then
// one line per object, itself (child 0) and its children: child id, role, name, value.
int Accessible(HWND wnd) {
    IAccessible* object = ClientObject(wnd);
    if (!object)
        return 1;
    VARIANT focus;
    focus.vt = VT_EMPTY;
    object->get_accFocus(&focus);
    std::printf("focus=%ld\n", focus.vt == VT_I4 ? focus.lVal : -1L);
    long count = 0;
    object->get_accChildCount(&count);
    for (long id = 0; id <= count; ++id)
        PrintAccessible(*object, id);
    object->Release();
    return 0;
}

HWND FocusOf(HWND wnd) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(wnd, nullptr), &info) ? info.hwndFocus
                                                                               : nullptr;
}

BOOL CALLBACK PrintControl(HWND wnd, LPARAM) {
    char cls[64] = "";
    ::GetClassNameA(wnd, cls, sizeof cls);
    if (::IsWindowVisible(wnd) && ::IsWindowEnabled(wnd))
        std::printf("control\t0x%llx\t%s\t0x%08lx\n",
                    static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(wnd)), cls,
                    static_cast<unsigned long>(::GetWindowLongA(wnd, GWL_STYLE)));
    return TRUE;
}

// Presses Tab in a dialog, as a user would, until the focus comes to a control it had already
// reached: "tab", the focused control, its class and accessible name, one line per stop; then
// "control" and the visible, enabled controls of the dialog. "stuck" where a Tab moves nothing.
int TabWalk(HWND dialog) {
    std::printf("start\t0x%llx\n",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(FocusOf(dialog))));
    std::vector<HWND> reached;
    for (int step = 0; step < 100; ++step) {
        HWND from = FocusOf(dialog);
        ::PostMessageA(from ? from : dialog, WM_KEYDOWN, VK_TAB, 0x000F0001);
        ::PostMessageA(from ? from : dialog, WM_KEYUP, VK_TAB, 0xC00F0001);
        HWND to = from;
        for (int wait = 0; wait < 200 && to == from; ++wait) {
            ::Sleep(20);
            to = FocusOf(dialog);
        }
        // Where Tab leaves the focus, the control is the only stop, or it keeps the key.
        if (to == from && ::GetNextDlgTabItem(dialog, from, FALSE) != from) {
            std::printf("stuck\n");
            break;
        }
        if (std::find(reached.begin(), reached.end(), to) != reached.end())
            break;
        reached.push_back(to);
        char cls[64] = "";
        ::GetClassNameA(to, cls, sizeof cls);
        std::printf("tab\t0x%llx\t%s\t%s\n",
                    static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(to)), cls,
                    AccessibleName(to).c_str());
    }
    ::EnumChildWindows(dialog, PrintControl, 0);
    return 0;
}

struct TEventWatch {
    HWND Window;
    DWORD Start;
    unsigned long Seen;
} watch;

void CALLBACK WinEvent(HWINEVENTHOOK, DWORD event, HWND wnd, LONG object, LONG child, DWORD,
                       DWORD time) {
    if (wnd != watch.Window || object != OBJID_CLIENT)
        return;
    std::printf("event\t0x%lx\t%ld\t%ld\t%lu\n", event, object, child, time - watch.Start);
    ++watch.Seen;
}

// Watches the events of one kind that a window raises for its client area (a hook outside its
// process, as screen readers use) for some milliseconds, or until it has seen `count`: "ready"
// once the hook is set, then one line per event: event, object id, child id, milliseconds since
// the hook was set.
int Events(HWND wnd, DWORD event, DWORD milliseconds, unsigned long count) {
    HWINEVENTHOOK hook =
        ::SetWinEventHook(event, event, nullptr, WinEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
    if (!hook)
        return 1;
    watch = {wnd, ::GetTickCount(), 0};
    std::printf("ready\n");
    std::fflush(stdout);
    while (::GetTickCount() - watch.Start < milliseconds && watch.Seen < count) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
    }
    ::UnhookWinEvent(hook);
    return 0;
}

// --- clipped: texts that do not fit their controls, and controls that overlap ---

std::string ControlText(HWND wnd) {
    char text[1024] = "";
    ::SendMessageA(wnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

bool IsClass(HWND wnd, const char* name) {
    char cls[64] = "";
    ::GetClassNameA(wnd, cls, sizeof cls);
    return _stricmp(cls, name) == 0;
}

struct TClipCheck {
    HFONT Regular, Bold;
    std::vector<int> BoldIds; // controls drawn in the bold dialog font
    int Dpi;
    int Faults = 0;

    int Px(int pixels96) const { return ::MulDiv(pixels96, Dpi, 96); }
    void Fault(const char* what, const std::string& text, const std::string& detail) {
        std::printf("%s\t%s\t%s\n", what, text.c_str(), detail.c_str());
        ++Faults;
    }
};

// The text's extent in the control's font. The program's fonts cannot be read from another
// process (GDI objects are private to theirs under Wine): the dialogs' own, made here alike.
SIZE Extent(const TClipCheck& check, HWND wnd, const std::string& text, UINT format, int width) {
    const bool bold = std::find(check.BoldIds.begin(), check.BoldIds.end(), ::GetDlgCtrlID(wnd)) !=
                      check.BoldIds.end();
    HDC dc = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, bold ? check.Bold : check.Regular);
    RECT rc{0, 0, width, 0};
    // Measured in UTF-16: Wine's GDI A functions read the text in the ANSI code page.
    wchar_t wide[1024];
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                             wide, 1024);
    ::DrawTextW(dc, wide, length, &rc, format | DT_CALCRECT);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    return {rc.right, rc.bottom};
}

// What a control's text needs beside it (a check box's box, a button's edges); -1: not a
// control whose text is measured.
int TextMargin(const TClipCheck& check, HWND wnd, DWORD style) {
    if (!IsClass(wnd, "Button") || style & BS_MULTILINE)
        return -1;
    const DWORD type = style & BS_TYPEMASK;
    if (style & BS_PUSHLIKE || type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)
        return check.Px(6);
    if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
        type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON)
        return ::GetSystemMetrics(SM_CXMENUCHECK) + check.Px(3);
    return type == BS_GROUPBOX ? check.Px(10) : -1;
}

// Checks a control's text; returns the width it takes from the control's left edge when it is
// drawn from there (a label, a check box), else -1.
int CheckText(TClipCheck& check, HWND wnd) {
    const std::string text = ControlText(wnd);
    const DWORD style = static_cast<DWORD>(::GetWindowLongA(wnd, GWL_STYLE));
    RECT client;
    ::GetClientRect(wnd, &client);
    char detail[64];
    if (IsClass(wnd, "Static")) {
        const DWORD type = style & SS_TYPEMASK;
        if (text.empty() || style & SS_ELLIPSISMASK ||
            (type > SS_RIGHT && type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP))
            return -1;
        const UINT prefix = style & SS_NOPREFIX ? DT_NOPREFIX : 0;
        const int line = Extent(check, wnd, "X", DT_SINGLELINE, 0).cy;
        const bool wraps = type <= SS_RIGHT && client.bottom >= 2 * line;
        const SIZE need = wraps ? Extent(check, wnd, text, prefix | DT_WORDBREAK, client.right)
                                : Extent(check, wnd, text, prefix | DT_SINGLELINE, 0);
        std::snprintf(detail, sizeof detail, "%ldx%ld in %ldx%ld", need.cx, need.cy, client.right,
                      client.bottom);
        if (need.cx > client.right || need.cy > client.bottom)
            check.Fault("clipped", text, detail);
        return type == SS_CENTER || type == SS_RIGHT ? -1 : need.cx;
    }
    const int margin = TextMargin(check, wnd, style);
    if (margin < 0 || text.empty())
        return -1;
    const int need = Extent(check, wnd, text, DT_SINGLELINE, 0).cx + margin;
    std::snprintf(detail, sizeof detail, "%d in %ld", need, client.right);
    if (need > client.right)
        check.Fault("clipped", text, detail);
    const DWORD type = style & BS_TYPEMASK;
    const bool pushed = style & BS_PUSHLIKE || type <= BS_DEFPUSHBUTTON || type == BS_GROUPBOX;
    return pushed || style & (BS_RIGHT | BS_CENTER) ? -1 : need;
}

RECT InParent(HWND wnd) {
    RECT rc;
    ::GetWindowRect(wnd, &rc);
    ::MapWindowPoints(nullptr, ::GetParent(wnd), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// Frames and tab pages hold other controls by design.
bool Holds(HWND wnd) {
    return IsClass(wnd, "SysTabControl32") || IsClass(wnd, "#32770") ||
           (IsClass(wnd, "Button") &&
            (::GetWindowLongA(wnd, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX);
}

// A visible control where overlaps count: its text's part of it for a text drawn from its left.
struct TPlaced {
    HWND Parent;
    RECT Rect;
    std::string Text;
};

// drawn: how much of the control's width its text takes from the left; -1 all of it.
void CheckPlace(TClipCheck& check, HWND wnd, int drawn, std::vector<TPlaced>& placed) {
    RECT rc = InParent(wnd);
    RECT parent;
    ::GetClientRect(::GetParent(wnd), &parent);
    const std::string text = ControlText(wnd);
    if (rc.left < 0 || rc.top < 0 || rc.right > parent.right || rc.bottom > parent.bottom)
        check.Fault("outside", text, "");
    if (IsClass(wnd, "SysTabControl32")) {
        // A tab control shows arrows when its tabs do not fit.
        HWND arrows = ::FindWindowExA(wnd, nullptr, "msctls_updown32", nullptr);
        if (arrows && ::IsWindowVisible(arrows))
            check.Fault("clipped", "tabs", "");
    }
    if (Holds(wnd))
        return;
    if (drawn >= 0)
        rc.right = std::min(rc.right, rc.left + drawn);
    placed.push_back({::GetParent(wnd), rc, text});
}

// Controls of one container that overlap. A pixel's touch is not an overlap, nor two controls
// without text (a picture on a line), which no language moves.
void CheckOverlaps(TClipCheck& check, const std::vector<TPlaced>& placed) {
    for (size_t i = 0; i < placed.size(); ++i) {
        for (size_t j = i + 1; j < placed.size(); ++j) {
            const TPlaced &a = placed[i], &b = placed[j];
            RECT both;
            if (a.Parent == b.Parent && !(a.Text.empty() && b.Text.empty()) &&
                ::IntersectRect(&both, &a.Rect, &b.Rect) && both.right - both.left > 1 &&
                both.bottom - both.top > 1)
                check.Fault("overlap", a.Text, b.Text);
        }
    }
}

struct TClipWalk {
    TClipCheck& Check;
    std::vector<TPlaced> Placed;
};

BOOL CALLBACK CheckControl(HWND wnd, LPARAM param) {
    if (::IsWindowVisible(wnd)) {
        auto& walk = *reinterpret_cast<TClipWalk*>(param);
        CheckPlace(walk.Check, wnd, CheckText(walk.Check, wnd), walk.Placed);
    }
    return TRUE;
}

// Lists the visible controls of a window whose text does not fit in them, in the dialogs' font
// (Tahoma 8 pt, bold for the ids given): "clipped", the text, what it needs and what it has;
// "outside" for a control past its parent's edge; "overlap" and the two texts for controls of
// one container that overlap. Exit code 1 when it found any.
int Clipped(HWND wnd, int count, char** boldIds) {
    if (!::IsWindow(wnd))
        return 2;
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    const int height = -::MulDiv(8, dpi, 72);
    TClipCheck check{
        ::CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma"),
        ::CreateFontA(height, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma"),
        {},
        dpi};
    for (int i = 0; i < count; ++i)
        check.BoldIds.push_back(std::atoi(boldIds[i]));
    TClipWalk walk{check, {}};
    ::EnumChildWindows(wnd, CheckControl, reinterpret_cast<LPARAM>(&walk));
    CheckOverlaps(check, walk.Placed);
    ::DeleteObject(check.Regular);
    ::DeleteObject(check.Bold);
    return check.Faults ? 1 : 0;
}

int Usage() {
    std::fprintf(
        stderr, "wprobe wait TITLE MS | wait-class CLASS TITLE MS | info HWND | post HWND "
                "MSG WP LP | send HWND MSG WP LP\n"
                "       | child-text HWND CLASS N | set-text HWND CLASS N TEXT | text HWND\n"
                "       | first-text TITLE CLASS MS | lock FILE [shared] | foreground HWND | list\n"
                "       | children HWND | workarea | interfaces | short-path PATH\n"
                "       | app-mode LIGHT... | high-contrast on|off\n"
                "       | accessible HWND | tab-walk HWND | events HWND EVENT MS COUNT\n"
                "       | screen-reader 0|1 | clipped HWND [BOLD-ID...]\n"
                "       | broadcast MESSAGE-NAME | move HWND X Y | display-mode WIDTH HEIGHT\n");
    return 2;
}

int Run(int argc, char** argv) {
    if (argc < 2)
        return Usage();
    std::string cmd = argv[1];
    if (cmd == "list")
        return List();
    if (cmd == "interfaces")
        return Interfaces();
    if (cmd == "workarea") {
        RECT rc;
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rc, 0);
        std::printf("%ld %ld %ld %ld\n", rc.left, rc.top, rc.right, rc.bottom);
        return 0;
    }
    if (argc < 3)
        return Usage();
    if (cmd == "wait" && argc == 4)
        return WaitWindow(nullptr, argv[2], static_cast<DWORD>(ParseNumber(argv[3])));
    if (cmd == "wait-class" && argc == 5)
        return WaitWindow(argv[2], argv[3], static_cast<DWORD>(ParseNumber(argv[4])));
    if (cmd == "info")
        return Info(ParseHwnd(argv[2]));
    if ((cmd == "post" || cmd == "send") && argc == 6) {
        HWND wnd = ParseHwnd(argv[2]);
        UINT msg = static_cast<UINT>(ParseNumber(argv[3]));
        WPARAM wp = static_cast<WPARAM>(ParseNumber(argv[4]));
        LPARAM lp = static_cast<LPARAM>(ParseNumber(argv[5]));
        if (cmd == "post")
            return ::PostMessageA(wnd, msg, wp, lp) ? 0 : 1;
        std::printf("%lld\n", static_cast<long long>(::SendMessageA(wnd, msg, wp, lp)));
        return 0;
    }
    if (cmd == "first-text" && argc == 5)
        return FirstText(argv[2], argv[3], static_cast<DWORD>(ParseNumber(argv[4])));
    if (cmd == "child-text" && argc == 5)
        return ChildText(ParseHwnd(argv[2]), argv[3], std::atoi(argv[4]));
    if (cmd == "set-text" && argc == 6)
        return SetChildText(ParseHwnd(argv[2]), argv[3], std::atoi(argv[4]), argv[5]);
    if (cmd == "lock")
        return LockFile(argv[2], argc > 3 && std::strcmp(argv[3], "shared") == 0
                                     ? FILE_SHARE_READ | FILE_SHARE_WRITE
                                     : 0);
    if (cmd == "text")
        return WindowText(ParseHwnd(argv[2]));
    if (cmd == "children")
        return Children(ParseHwnd(argv[2]));
    if (cmd == "short-path")
        return ShortPath();
    if (cmd == "app-mode")
        return AppMode(argc - 2, argv + 2);
    if (cmd == "high-contrast")
        return HighContrast(std::strcmp(argv[2], "on") == 0);
    if (cmd == "accessible")
        return Accessible(ParseHwnd(argv[2]));
    if (cmd == "clipped")
        return Clipped(ParseHwnd(argv[2]), argc - 3, argv + 3);
    if (cmd == "tab-walk")
        return TabWalk(ParseHwnd(argv[2]));
    if (cmd == "events" && argc == 6)
        return Events(ParseHwnd(argv[2]), static_cast<DWORD>(ParseNumber(argv[3])),
                      static_cast<DWORD>(ParseNumber(argv[4])), std::strtoul(argv[5], nullptr, 0));
    // Whether a screen reader runs, for the whole session (Wine: for programs started later).
    if (cmd == "screen-reader")
        return ::SystemParametersInfoA(SPI_SETSCREENREADER, std::atoi(argv[2]) != 0, nullptr,
                                       SPIF_SENDCHANGE)
                   ? 0
                   : 1;
    if (cmd == "foreground")
        return ::SetForegroundWindow(ParseHwnd(argv[2])) ? 0 : 1;
    // A registered message ("TaskbarCreated") to every top-level window, as the shell sends it.
    if (cmd == "broadcast")
        return ::PostMessageA(HWND_BROADCAST, ::RegisterWindowMessageA(argv[2]), 0, 0) ? 0 : 1;
    if (cmd == "move" && argc == 5)
        return ::SetWindowPos(ParseHwnd(argv[2]), nullptr, std::atoi(argv[3]), std::atoi(argv[4]),
                              0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE)
                   ? 0
                   : 1;
    if (cmd == "display-mode" && argc == 4) {
        DEVMODEA mode{};
        mode.dmSize = sizeof mode;
        mode.dmPelsWidth = static_cast<DWORD>(std::atoi(argv[2]));
        mode.dmPelsHeight = static_cast<DWORD>(std::atoi(argv[3]));
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        return ::ChangeDisplaySettingsA(&mode, 0) == DISP_CHANGE_SUCCESSFUL ? 0 : 1;
    }
    return Usage();
}

} // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY); // texts are printed byte for byte
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int result = Run(argc, argv);
    std::fflush(stdout);
    // The last line on standard error tells the tests that the probe ran to its end and that
    // its exit code is its answer, not a failure to start or a crash.
    std::fprintf(stderr, "wprobe answered %d\n", result);
    return result;
}
