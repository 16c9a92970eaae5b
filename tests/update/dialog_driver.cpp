// TDialogDriver: window search, message-box reading and answers by posted commands.
#include "dialog_driver.h"

#include <vector>

namespace {

struct TSearch {
    const char* ClassName;
    const char* Caption;
    HWND Found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TSearch*>(param);
    char cls[64] = {};
    ::GetClassNameA(window, cls, sizeof cls);
    if (!::IsWindowVisible(window) || lstrcmpiA(cls, search->ClassName) != 0)
        return TRUE;
    if (search->Caption && TDialogDriver::Text(window) != search->Caption)
        return TRUE;
    search->Found = window;
    return FALSE;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
    return TRUE;
}

bool ShowsButton(HWND box, int id) {
    HWND button = ::GetDlgItem(box, id);
    return button && ::IsWindowVisible(button);
}

} // namespace

std::string TDialogDriver::Text(HWND window) {
    char text[1024] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

bool TDialogDriver::WaitUntil(const std::function<bool()>& done, int rounds) {
    for (int i = 0; i < rounds; ++i) {
        if (done())
            return true;
        ::Sleep(50);
    }
    return done();
}

HWND TDialogDriver::WaitForWindow(const char* className, const char* caption, int rounds) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            TSearch search{className, caption, nullptr};
            ::EnumThreadWindows(uiThread_, MatchWindow, reinterpret_cast<LPARAM>(&search));
            found = search.Found;
            return found != nullptr;
        },
        rounds);
    return found;
}

HWND TDialogDriver::AnyBox() {
    TSearch search{"#32770", nullptr, nullptr};
    ::EnumThreadWindows(uiThread_, MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

TBoxView TDialogDriver::Describe(HWND box) {
    TBoxView view;
    view.Window = box;
    view.Caption = Text(box);
    std::vector<HWND> children;
    ::EnumChildWindows(box, CollectChild, reinterpret_cast<LPARAM>(&children));
    const LPCSTR icons[] = {IDI_INFORMATION, IDI_WARNING, IDI_QUESTION, IDI_ERROR};
    for (HWND child : children) {
        char cls[32] = {};
        ::GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Static") != 0)
            continue;
        if ((::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            auto icon = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0));
            for (LPCSTR id : icons)
                if (icon && icon == ::LoadIconA(nullptr, id))
                    view.Icon = id;
        } else if (view.Text.empty()) {
            view.Text = Text(child);
        }
    }
    view.Ok = ShowsButton(box, IDOK);
    view.Yes = ShowsButton(box, IDYES);
    view.No = ShowsButton(box, IDNO);
    view.Cancel = ShowsButton(box, IDCANCEL);
    return view;
}

void TDialogDriver::Answer(HWND box, int buttonId) {
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, buttonId)));
}

void TDialogDriver::Click(HWND dialog, int controlId) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, controlId)));
}
