// Tf_Settings: the window, its tabs and the controls of each page, placed in pixels at 96 DPI.
#include "product/constants.h"
#include "platform/gdi_text.h"
#include "resource.h"
#include "display/tags.h"
#include "platform/accessible.h"
#include "platform/picture.h"
#include "platform/system_library.h"
#include "settings/colour_swatch.h"
#include "settings/settings_dialog.h"
#include "text/texts.h"

#include <algorithm>
#include <commctrl.h>
#include <uxtheme.h>

#include <iterator>
#include <utility>

namespace {

constexpr int kLabelHeight = 13;
constexpr int kCheckBoxHeight = 17;
constexpr int kEditHeight = 21;
constexpr int kVisibleTags = 20;

struct TTabInfo {
    TTextId Caption;
    int Icon;
};
constexpr TTabInfo kTabs[Tf_Settings::kPageCount] = {
    {TTextId::SettingsTabAdapters, ICON16_ADAPTERS},
    {TTextId::SettingsTabDisplay, ICON16_DISPLAY},
    {TTextId::SettingsTabInformation, ICON16_INFORMATION},
    {TTextId::SettingsTabLogs, ICON16_LOGS},
    {TTextId::SettingsTabGeneral, ICON16_GENERAL}};

// Pages are plain dialog windows: they draw the themed tab background in light mode and hand
// every command and notification of their controls to the settings dialog, and in the other
// modes their colours too.
INT_PTR CALLBACK PageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC &&
        TUiTheme::Instance().Mode() != TThemeMode::Light)
        return ::SendMessageA(::GetParent(page), msg, wParam, lParam);
    if (msg != WM_COMMAND && msg != WM_NOTIFY)
        return FALSE;
    LRESULT result = ::SendMessageA(::GetParent(page), msg, wParam, lParam);
    ::SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
    return TRUE;
}

void AddListEntry(HWND list, const char* text) {
    if (::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)) < 0)
        RaiseLastWin32Error("CB_ADDSTRING");
}

// The tab pages' texture is light: off in the other modes.
void SetPageTexture(HWND page) {
    static const TSystemLibrary uxtheme("uxtheme.dll");
    static const auto enableTexture =
        uxtheme.Proc<decltype(&::EnableThemeDialogTexture)>("EnableThemeDialogTexture");
    enableTexture(page,
                  TUiTheme::Instance().Mode() == TThemeMode::Light ? ETDT_ENABLETAB : ETDT_DISABLE);
}

SIZE TextSize(HFONT font, const std::string& text) {
    TWindowDc screen(nullptr);
    TSelectObject select(screen.get(), font);
    return TextExtentUtf8(screen.get(), text);
}

} // namespace

Tf_Settings::Tf_Settings(HWND owner, TMemIniFile& store, std::string runKeyPath)
    : store_(store), runKeyPath_(std::move(runKeyPath)) {
    TDialogParams params;
    params.ClassName = "Tf_Settings";
    params.Caption = ::Text(TTextId::SettingsCaption).c_str();
    params.ClientWidth = 454;
    params.ClientHeight = 299;
    CreateDialogWindow(params, owner);
    CreateControls();
    FormCreate();
}

Tf_Settings::~Tf_Settings() {
    // The controls go before the fonts and pictures they show.
    DestroyHandle();
}

HWND Tf_Settings::Item(int id) const {
    if (HWND own = Control(id))
        return own;
    for (HWND page : pages_) {
        if (HWND item = page ? ::GetDlgItem(page, id) : nullptr)
            return item;
    }
    return nullptr;
}

void Tf_Settings::SelectTab(int index) {
    if (index < 0 || index >= kPageCount)
        return;
    HWND tabs = Control(scTabs);
    ::SendMessageA(tabs, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    // The focus leaves a page that goes (a click on a tab leaves it there) for the tabs, from
    // where the Tab key reaches the new page.
    HWND focus = ::GetFocus();
    for (int i = 0; i < kPageCount; ++i) {
        if (i != index && ::IsChild(pages_[i], focus))
            ::SetFocus(tabs);
        ::ShowWindow(pages_[i], i == index ? SW_SHOW : SW_HIDE);
    }
}

void Tf_Settings::CreateControls() {
    CreateTabs();
    CreateAdaptersPage(pages_[0]);
    CreateDisplayPage(pages_[1]);
    CreateInformationPage(pages_[2]);
    CreateLogsPage(pages_[3]);
    CreateGeneralPage(pages_[4]);
    AddControl(TControlArgs::Button(::Text(TTextId::SettingsCancel).c_str())
                   .SetBounds(8, 264, 73, 25)
                   .SetId(scCancel));
    AddControl(TControlArgs::Button(::Text(TTextId::SettingsOk).c_str(), BS_DEFPUSHBUTTON)
                   .SetBounds(380, 264, 67, 25)
                   .SetId(scOK));
    SetDefaultButton(scOK);
    ApplyStyleFonts();
}

void Tf_Settings::CreateTabs() {
    HWND tabs = AddControl(TControlArgs(WC_TABCONTROLA)
                               .SetStyle(WS_TABSTOP | WS_CLIPSIBLINGS)
                               .SetBounds(6, 6, 443, 243)
                               .SetId(scTabs));
    TBitmapHandle strip = LoadPictureResource(IDB_ICONS16, TPixelFormat::Bgra32);
    tabIcons_.reset(::ImageList_Create(16, 16, ILC_COLOR32, 10, 0));
    if (!tabIcons_)
        RaiseLastWin32Error("ImageList_Create");
    if (::ImageList_Add(tabIcons_.get(), strip.get(), nullptr) < 0)
        RaiseLastWin32Error("ImageList_Add");
    ::SendMessageA(tabs, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(tabIcons_.get()));
    for (int i = 0; i < kPageCount; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = const_cast<char*>(::Text(kTabs[i].Caption).c_str());
        item.iImage = kTabs[i].Icon;
        if (::SendMessageA(tabs, TCM_INSERTITEMA, static_cast<WPARAM>(i),
                           reinterpret_cast<LPARAM>(&item)) < 0)
            RaiseLastWin32Error("TCM_INSERTITEM");
    }
    SetAccessibleName(tabs, ::Text(TTextId::SettingsTabsName).c_str());
    for (int i = 0; i < kPageCount; ++i)
        pages_[i] = CreatePage(i);
    ::SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// A page covers the tab control's display area; only the first is visible at first.
HWND Tf_Settings::CreatePage(int index) {
    HWND tabs = Control(scTabs);
    RECT area;
    ::GetClientRect(tabs, &area);
    ::SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    ::MapWindowPoints(tabs, Handle(), reinterpret_cast<POINT*>(&area), 2);
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | DS_CONTROL | (index == 0 ? WS_VISIBLE : 0);
    HWND page = ::CreateWindowExA(WS_EX_CONTROLPARENT, "#32770",
                                  ::Text(kTabs[index].Caption).c_str(), style, area.left, area.top,
                                  area.right - area.left, area.bottom - area.top, Handle(), nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    if (!page)
        RaiseLastWin32Error("CreateWindowEx");
    ::SetWindowLongPtrA(page, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(&PageProc));
    SetPageTexture(page);
    return page;
}

HWND Tf_Settings::AddLabel(HWND page, TTextId text, int x, int y, HFONT font) {
    HWND label = AddToPage(page, TControlArgs(WC_STATICA, ::Text(text).c_str())
                                     .SetStyle(SS_LEFT | SS_NOPREFIX)
                                     .SetBounds(x, y, LabelWidth(text, font), kLabelHeight)
                                     .SetId(font ? scDetailsCaption : 0));
    return label;
}

// In pixels at 96 DPI, as every place and size of the dialog.
int Tf_Settings::LabelWidth(TTextId text, HFONT font) const {
    return ::MulDiv(TextSize(font ? font : DialogFont(), ::Text(text)).cx, 96, Scale(96)) + 2;
}

// A number field with its up-down control on its right; returns the up-down.
HWND Tf_Settings::AddUpDown(HWND page, int editId, int upDownId, int x, int y, int editWidth,
                            int min, int max) {
    HWND field =
        AddToPage(page, TControlArgs::Edit().SetBounds(x, y, editWidth, kEditHeight).SetId(editId));
    HWND upDown = AddToPage(page, TControlArgs(UPDOWN_CLASSA)
                                      .SetStyle(UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS)
                                      .SetBounds(x + editWidth, y, 17, kEditHeight)
                                      .SetId(upDownId));
    ::SendMessageA(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(field), 0);
    ::SendMessageA(upDown, UDM_SETRANGE32, static_cast<WPARAM>(min), max);
    ::SendMessageA(upDown, UDM_SETPOS32, 0, min);
    return upDown;
}

HWND Tf_Settings::AddCheckBox(HWND page, int id, TTextId text, int x, int y, int width) {
    if (width == 0)
        width = ::MulDiv(TextSize(DialogFont(), ::Text(text)).cx, 96, Scale(96)) + 24;
    return AddToPage(page, TControlArgs(WC_BUTTONA, ::Text(text).c_str())
                               .SetStyle(WS_TABSTOP | BS_AUTOCHECKBOX)
                               .SetBounds(x, y, width, kCheckBoxHeight)
                               .SetId(id));
}

void Tf_Settings::CreateAdaptersPage(HWND page) {
    HWND icon = AddToPage(page, TControlArgs(WC_STATICA)
                                    .SetStyle(SS_ICON | SS_REALSIZECONTROL)
                                    .SetBounds(8, 32, 32, 32)
                                    .SetId(scAdapterIcon));
    adapterIcon_.reset(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr),
                                                       MAKEINTRESOURCEA(IDI_ADAPTER32), IMAGE_ICON,
                                                       Scale(32), Scale(32), 0)));
    if (!adapterIcon_)
        RaiseLastWin32Error("LoadImage");
    ::SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(adapterIcon_.get()), 0);
    AddLabel(page, TTextId::SettingsAdaptersList, 8, 13);
    // Named like its label: a list takes its selected entry for a name under Wine.
    SetAccessibleName(AddToPage(page, TControlArgs(WC_COMBOBOXA)
                                          .SetStyle(WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST)
                                          .SetBounds(40, 34, 305, 200)
                                          .SetId(scNetworkAdapters)),
                      ::Text(TTextId::SettingsAdaptersList).c_str());
    AddToPage(page, TControlArgs::Button(::Text(TTextId::SettingsAdaptersAutoDetect).c_str())
                        .SetBounds(352, 32, 75, 25)
                        .SetId(scAutoDetect));
    AddControl(
        TControlArgs(WC_STATICA).SetStyle(SS_ETCHEDHORZ).SetBounds(8, 62, 417, 2).SetParent(page));
    AddCheckBox(page, scSeveralAdapters, TTextId::SettingsAdaptersSeveral, 8, 66);
    HWND checklist = AddToPage(page, TControlArgs(WC_LISTVIEWA)
                                         .SetStyle(WS_TABSTOP | WS_BORDER | LVS_REPORT |
                                                   LVS_NOCOLUMNHEADER | LVS_SINGLESEL)
                                         .SetBounds(26, 86, 399, 80)
                                         .SetId(scAdapterChecklist));
    ListView_SetExtendedListViewStyle(checklist, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = Scale(370);
    if (::SendMessageA(checklist, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column)) < 0)
        RaiseLastWin32Error("LVM_INSERTCOLUMN");
    SetAccessibleName(checklist, ::Text(TTextId::SettingsAdaptersSeveral).c_str());
    boldFont_ = MakeUiFont(TUiFont::Dialog, Scale(96), fsBold);
    AddLabel(page, TTextId::SettingsAdaptersDetails, 8, 88, boldFont_.get());
    AddToPage(page, TControlArgs(WC_STATICA)
                        .SetStyle(SS_LEFT | SS_NOPREFIX)
                        .SetBounds(8, 108, 417, 58)
                        .SetId(scAdapterDetails));
    AddCheckBox(page, scFollowActive, TTextId::SettingsAdaptersFollowActive, 8, 170);
    AddToPage(page, TControlArgs(WC_STATICA)
                        .SetStyle(SS_LEFT | SS_NOPREFIX)
                        .SetBounds(26, 190, 399, kLabelHeight)
                        .SetId(scActiveConnection));
}

void Tf_Settings::CreateDisplayPage(HWND page) {
    AddLabel(page, TTextId::SettingsDisplayOpacity, 8, 10);
    HWND opacity = AddToPage(page, TControlArgs(TRACKBAR_CLASSA)
                                       .SetStyle(WS_TABSTOP | TBS_HORZ | TBS_NOTICKS)
                                       .SetBounds(0, 32, 425, 25)
                                       .SetId(scOpacity));
    ::SendMessageA(opacity, TBM_SETRANGE, FALSE, MAKELPARAM(kMinOpacity, kMaxOpacity));
    ::SendMessageA(opacity, TBM_SETPOS, TRUE, kMaxOpacity);
    SetAccessibleName(opacity, ::Text(TTextId::SettingsDisplayOpacity).c_str());
    AddLabel(page, TTextId::SettingsDisplayMostTransparent, 8, 56);
    AddLabel(page, TTextId::SettingsDisplayMostOpaque, 280, 56);
    AddCheckBox(page, scDropShadow, TTextId::SettingsDisplayDropShadow, 8, 88, 337);
    AddControl(
        TControlArgs(WC_STATICA).SetStyle(SS_ETCHEDHORZ).SetBounds(8, 105, 417, 2).SetParent(page));
    struct TSwatch {
        TTextId Caption;
        int LabelX, LabelY, X, Y, Id;
        COLORREF Colour;
    };
    const TSwatch swatches[] = {
        {TTextId::SettingsDisplayBackgroundColour, 8, 136, 112, 128, scBackgroundColour,
         kDefaultBackgroundColour},
        {TTextId::SettingsDisplayBorderColour, 8, 178, 112, 168, scBorderColour, kWhiteColour},
        {TTextId::SettingsDisplayFontColour, 176, 136, 248, 128, scFontColour, kWhiteColour}};
    for (const TSwatch& s : swatches) {
        AddLabel(page, s.Caption, s.LabelX, s.LabelY);
        // Its window text, which it does not draw, names it.
        HWND swatch = AddToPage(page, TControlArgs(ColourSwatchClass(), ::Text(s.Caption).c_str())
                                          .SetStyle(WS_TABSTOP)
                                          .SetBounds(s.X, s.Y, 41, 33)
                                          .SetId(s.Id));
        ::SendMessageA(swatch, kSwatchSetColour, s.Colour, 0);
    }
    SetAccessibleName(
        AddToPage(page, TControlArgs::Button("..").SetBounds(296, 132, 25, 25).SetId(scSelectFont)),
        ::Text(TTextId::SettingsDisplayChooseFont).c_str());
    AddCheckBox(page, scBold, TTextId::SettingsDisplayBold, 176, 165);
    AddCheckBox(page, scItalic, TTextId::SettingsDisplayItalic, 176, 186);
}

// The template field is four lines high, which leaves a row for the billing period between
// the quota and the decimal places.
void Tf_Settings::CreateInformationPage(HWND page) {
    AddLabel(page, TTextId::SettingsInformationTemplate, 8, 8);
    AddControl(
        TControlArgs(WC_EDITA)
            .SetStyle(WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN)
            .SetBounds(8, 32, 417, 63)
            .SetId(scDisplayFormat)
            .SetExStyle(WS_EX_CLIENTEDGE)
            .SetParent(page));
    AddToPage(page, TControlArgs::Button(::Text(TTextId::SettingsInformationInsert).c_str())
                        .SetBounds(8, 100, 65, 25)
                        .SetId(scInsertTag));
    HWND tags = AddToPage(page, TControlArgs(WC_COMBOBOXA)
                                    .SetStyle(WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST)
                                    .SetBounds(80, 102, 345, 300)
                                    .SetId(scTags));
    SetAccessibleName(tags, ::Text(TTextId::SettingsInformationTagName).c_str());
    for (const TTagEntry& entry : TagEntries()) {
        std::string text = TagEntryText(entry);
        if (::SendMessageA(tags, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())) < 0)
            RaiseLastWin32Error("CB_ADDSTRING");
    }
    // Twenty entries visible when the list is open.
    ::SendMessageA(tags, CB_SETMINVISIBLE, kVisibleTags, 0);
    RECT rc;
    ::GetWindowRect(tags, &rc);
    LRESULT field = ::SendMessageA(tags, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    LRESULT item = ::SendMessageA(tags, CB_GETITEMHEIGHT, 0, 0);
    ::SetWindowPos(tags, nullptr, 0, 0, rc.right - rc.left,
                   static_cast<int>(field + kVisibleTags * item + 8),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    CreateQuotaControls(page);
}

// The quota with its billing period, what counts and its alerts, and the decimal places. Each
// control after a label starts where the label's text ends.
void Tf_Settings::CreateQuotaControls(HWND page) {
    constexpr int kGap = 4;
    AddCheckBox(page, scShowQuota, TTextId::SettingsQuotaShow, 8, 134);
    SetAccessibleName(
        AddToPage(page,
                  TControlArgs::Edit().SetBounds(155, 132, 46, kEditHeight).SetId(scMonthQuota)),
        ::Text(TTextId::SettingsQuotaMegabytesName).c_str());
    AddLabel(page, TTextId::SettingsQuotaPerMonth, 208, 136);

    AddLabel(page, TTextId::SettingsQuotaPeriodStart, 8, 162);
    int x = 8 + LabelWidth(TTextId::SettingsQuotaPeriodStart) + kGap;
    AddUpDown(page, scQuotaStartDay, scQuotaStartDayUpDown, x, 158, 26, 1, kMaxStartDay);
    x += 26 + 17 + 3 * kGap;
    AddLabel(page, TTextId::SettingsQuotaCounting, x, 162);
    x += LabelWidth(TTextId::SettingsQuotaCounting) + kGap;
    AddDropDownList(page, scQuotaCounts, x, 158, 90, kQuotaCountsEntries,
                    static_cast<int>(std::size(kQuotaCountsEntries)));

    AddLabel(page, TTextId::SettingsQuotaDecimals, 8, 186);
    AddUpDown(page, scDecimalPlaces, scDecimalPlacesUpDown, 91, 182, 30, 0, kMaxDecimalPlaces);
    ::SendMessageA(Item(scDecimalPlacesUpDown), UDM_SETPOS32, 0, 2);
    AddLabel(page, TTextId::SettingsQuotaDecimalPlaces, 144, 186);
    x = 144 + LabelWidth(TTextId::SettingsQuotaDecimalPlaces) + 4 * kGap;
    AddLabel(page, TTextId::SettingsQuotaAlerts, x, 186);
    x += LabelWidth(TTextId::SettingsQuotaAlerts) + kGap;
    AddToPage(page, TControlArgs::Edit().SetBounds(x, 182, 60, kEditHeight).SetId(scQuotaAlerts));
    AddLabel(page, TTextId::SettingsQuotaAlertsUsed, x + 60 + kGap, 186);
    CreateProviderControls(page);
}

// Below the page's first edge: the page and the dialog grow to hold these rows.
void Tf_Settings::CreateProviderControls(HWND page) {
    constexpr int kGap = 4;
    AddLabel(page, TTextId::SettingsQuotaFreeHours, 8, 212);
    int x = 8 + LabelWidth(TTextId::SettingsQuotaFreeHours) + kGap;
    AddToPage(page,
              TControlArgs::Edit().SetBounds(x, 208, 80, kEditHeight).SetId(scQuotaFreeHours));
    AddLabel(page, TTextId::SettingsQuotaFreeHoursExample, x + 80 + kGap, 212);

    AddLabel(page, TTextId::SettingsQuotaSetUsed, 8, 238);
    x = 8 + LabelWidth(TTextId::SettingsQuotaSetUsed) + kGap;
    SetAccessibleName(
        AddToPage(page, TControlArgs::Edit().SetBounds(x, 234, 70, kEditHeight).SetId(scQuotaUsed)),
        ::Text(TTextId::SettingsQuotaSetUsedName).c_str());
    x += 70 + kGap;
    AddLabel(page, TTextId::SettingsQuotaSetUsedUnit, x, 238);
    x += LabelWidth(TTextId::SettingsQuotaSetUsedUnit) + 2 * kGap;
    AddToPage(page, TControlArgs::Button(::Text(TTextId::SettingsQuotaSetUsedButton).c_str())
                        .SetBounds(x, 232, 65, 25)
                        .SetId(scQuotaSetUsed));
}

HWND Tf_Settings::AddDropDownList(HWND page, int id, int x, int y, int width,
                                  const TTextId* entries, int count) {
    HWND list = AddToPage(page, TControlArgs(WC_COMBOBOXA)
                                    .SetStyle(WS_TABSTOP | CBS_DROPDOWNLIST)
                                    .SetBounds(x, y, width, 100)
                                    .SetId(id));
    for (int i = 0; i < count; ++i)
        AddListEntry(list, ::Text(entries[i]).c_str());
    return list;
}

// "As Windows", then each language in its own name, ending at `right`.
void Tf_Settings::CreateLanguageList(HWND page, int from, int right, int y) {
    constexpr int kWidth = 120;
    const int label = LabelWidth(TTextId::SettingsGeneralLanguage);
    // Ends under the frame's end, or where longer texts push it, after what lies left of it.
    const int x = std::max(from, right - kWidth - 4 - label);
    AddLabel(page, TTextId::SettingsGeneralLanguage, x, y + 4);
    const TTextId first = TTextId::SettingsGeneralLanguageSystem;
    HWND list = AddDropDownList(page, scLanguage, x + label + 4, y, kWidth, &first, 1);
    // Named also while it shows none of its entries (a language set by hand, such as "qps").
    SetAccessibleName(list, ::Text(TTextId::SettingsGeneralLanguage).c_str());
    const TLanguages& languages = BuiltInLanguages();
    for (size_t i = 0; i < languages.Count(); ++i)
        AddListEntry(list, languages.Language(i).Name);
}

void Tf_Settings::CreateLogsPage(HWND page) {
    AddCheckBox(page, scLogBandwidth, TTextId::SettingsLogsLog, 8, 8);
    ::EnableWindow(AddCheckBox(page, scInbound, TTextId::SettingsLogsInbound, 16, 28), FALSE);
    ::EnableWindow(AddCheckBox(page, scOutbound, TTextId::SettingsLogsOutbound, 16, 46), FALSE);
    AddToPage(page, TControlArgs::Button(::Text(TTextId::SettingsLogsReset).c_str())
                        .SetBounds(8, 72, 81, 25)
                        .SetId(scResetLogs));
    CreateRateAlertControls(page);
}

// "Notify when the rate in stays above [N] kB/s", the same for out, "for [M] seconds": each
// field starts where its label ends, both levels' fields where the longer label ends.
void Tf_Settings::CreateRateAlertControls(HWND page) {
    constexpr int kGap = 4;
    const int x =
        8 + kGap +
        std::max(LabelWidth(TTextId::SettingsLogsRateIn), LabelWidth(TTextId::SettingsLogsRateOut));
    const std::pair<int, TTextId> rows[] = {{scRateAlertIn, TTextId::SettingsLogsRateIn},
                                            {scRateAlertOut, TTextId::SettingsLogsRateOut}};
    int y = 112;
    for (const auto& [id, text] : rows) {
        AddLabel(page, text, 8, y + 4);
        AddNumberEdit(page, id, text, x, y, 60);
        AddLabel(page, TTextId::SettingsLogsKbps, x + 60 + kGap, y + 4);
        y += 26;
    }
    AddLabel(page, TTextId::SettingsLogsRateFor, 8, y + 4);
    const int secondsX = 8 + LabelWidth(TTextId::SettingsLogsRateFor) + kGap;
    AddNumberEdit(page, scRateAlertSeconds, TTextId::SettingsLogsRateSeconds, secondsX, y, 40);
    AddLabel(page, TTextId::SettingsLogsRateSeconds, secondsX + 40 + kGap, y + 4);
}

HWND Tf_Settings::AddNumberEdit(HWND page, int id, TTextId name, int x, int y, int width) {
    HWND edit = AddToPage(page, TControlArgs::Edit()
                                    .SetStyle(WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL)
                                    .SetBounds(x, y, width, kEditHeight)
                                    .SetId(id));
    SetAccessibleName(edit, ::Text(name).c_str());
    return edit;
}

void Tf_Settings::CreateGeneralPage(HWND page) {
    // The frame's contents are placed relative to the frame at (8, 8).
    constexpr int fx = 8, fy = 8;
    AddToPage(page, TControlArgs(WC_BUTTONA, ::Text(TTextId::SettingsGeneralDimensions).c_str())
                        .SetStyle(BS_GROUPBOX)
                        .SetBounds(fx, fy, 417, 89));
    AddLabel(page, TTextId::SettingsGeneralWidth, fx + 8, fy + 27);
    AddToPage(
        page,
        TControlArgs::Edit("180").SetBounds(fx + 48, fy + 24, 97, kEditHeight).SetId(scWidth));
    AddLabel(page, TTextId::SettingsGeneralHeight, fx + 8, fy + 52);
    AddToPage(
        page,
        TControlArgs::Edit("228").SetBounds(fx + 48, fy + 48, 97, kEditHeight).SetId(scHeight));
    AddToPage(page, TControlArgs::Button(::Text(TTextId::SettingsGeneralDefaults).c_str())
                        .SetBounds(fx + 336, fy + 48, 67, 25)
                        .SetId(scDefaultDimensions));
    // Rows 20 apart: four fit between the frame and the appearance's row;
    // where the meter sits goes beside staying on top.
    AddCheckBox(page, scStayOnTop, TTextId::SettingsGeneralStayOnTop, 8, 104);
    AddCheckBox(page, scMinimizeToTray, TTextId::SettingsGeneralMinimizeToTray, 8, 124);
    AddCheckBox(page, scRunOnStartup, TTextId::SettingsGeneralRunOnStartup, 8, 144);
    AddCheckBox(page, scShowOnTaskbar, TTextId::SettingsGeneralShowOnTaskbar, 220, 104);
    AddCheckBox(page, scTrayRates, TTextId::SettingsGeneralTrayRates, 8, 164);
    AddLabel(page, TTextId::SettingsGeneralAppearance, 8, 188);
    const int themeX = 8 + LabelWidth(TTextId::SettingsGeneralAppearance) + 4;
    AddDropDownList(page, scTheme, themeX, 184, 100, kThemeEntries,
                    static_cast<int>(std::size(kThemeEntries)));
    // On the appearance's row, under the frame's end.
    CreateLanguageList(page, themeX + 100 + 12, fx + 417, 184);
}

void Tf_Settings::OnThemeChanged() {
    for (HWND page : pages_)
        SetPageTexture(page);
    TDialog::OnThemeChanged();
}

void Tf_Settings::ApplyStyleFonts() {
    if (!italicFont_)
        italicFont_ = MakeUiFont(TUiFont::Dialog, Scale(96), fsItalic);
    ::SendMessageA(Item(scDetailsCaption), WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()),
                   TRUE);
    ::SendMessageA(Item(scBold), WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), TRUE);
    ::SendMessageA(Item(scItalic), WM_SETFONT, reinterpret_cast<WPARAM>(italicFont_.get()), TRUE);
}
