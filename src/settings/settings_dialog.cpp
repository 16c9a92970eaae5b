// Tf_Settings: filling the controls from the configuration store and storing them back, and
// the dispatch of the controls' events.
#include "settings/settings_dialog.h"
#include "platform/application.h"
#include "settings/colour_swatch.h"
#include "config/config_keys.h"
#include "config/config_store.h"
#include "display/rate_alert.h"
#include "text/texts.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <vector>

namespace {

// The picker's font size is kept in the screen's logical units, as the font picker uses them.
int ScreenDpi() {
    TWindowDc screen(nullptr);
    int dpi = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

// The language list's entry of a stored code: "As Windows" for none, no entry for a code not
// listed (such as the tests' pseudo-language), which then stays as stored.
WPARAM LanguageEntry(const std::string& code) {
    if (code.empty())
        return 0;
    const TLanguages& languages = BuiltInLanguages();
    for (size_t i = 0; i < languages.Count(); ++i) {
        if (code == languages.Language(i).Code)
            return i + 1;
    }
    return static_cast<WPARAM>(-1);
}

} // namespace

void Tf_Settings::FormCreate() {
    RefreshNetworkAdapters();
    LoadSettings();
}

void Tf_Settings::LoadSettings() {
    TSettingsValues values = LoadSettingsValues(store_);
    ShowValues(values);
    TRunAtStartup entry(runKeyPath_);
    entry.Open();
    SetChecked(scRunOnStartup, entry.Exists());
}

// Steps 1 to 13 go to the store before the entry and the file, so a failure of either leaves
// every value in memory for the main window to apply.
void Tf_Settings::SaveSettings() {
    SaveSettingsValues(store_, ReadValues());
    TRunAtStartup entry(runKeyPath_);
    entry.Open();
    if (Checked(scRunOnStartup))
        entry.Set(RunAtStartupCommand());
    else
        entry.Delete();
    store_.FlushToFile();
}

void Tf_Settings::ShowValues(const TSettingsValues& v) {
    SelectStoredAdapter(v.ActiveAdapterText);
    SetChecked(scFollowActive, v.FollowActive);
    SetChecked(scSeveralAdapters, v.SeveralAdapters);
    ShowCountedAdapters(v.CountedLuids);
    ::SendMessageA(Item(scOpacity), TBM_SETPOS, TRUE, OpacityForSlider(v.Opacity));
    SetChecked(scDropShadow, v.DropShadow);
    ::SendMessageA(Item(scBackgroundColour), kSwatchSetColour,
                   static_cast<WPARAM>(v.BackgroundColour), 0);
    ::SendMessageA(Item(scBorderColour), kSwatchSetColour, static_cast<WPARAM>(v.BorderColour), 0);
    ::SendMessageA(Item(scFontColour), kSwatchSetColour, static_cast<WPARAM>(v.FontColour), 0);
    lstrcpynA(fontPicker_.lfFaceName, v.FontName.c_str(), LF_FACESIZE);
    fontPicker_.lfHeight = -::MulDiv(v.FontSize, ScreenDpi(), 72);
    SetChecked(scBold, v.FontBold);
    SetChecked(scItalic, v.FontItalic);
    SetText(scDisplayFormat, v.Format);
    SetChecked(scLogBandwidth, v.LogBandwidth);
    SetChecked(scInbound, v.LogInbound);
    SetChecked(scOutbound, v.LogOutbound);
    cb_LogBandwidthClick();
    SetChecked(scShowQuota, v.ShowQuota);
    SetText(scMonthQuota, v.MonthQuota);
    SetText(scWidth, v.Width);
    SetText(scHeight, v.Height);
    SetChecked(scStayOnTop, v.StayOnTop);
    ::SendMessageA(Item(scDecimalPlacesUpDown), UDM_SETPOS32, 0,
                   DecimalPlacesForUpDown(v.DecimalPlaces));
    SetChecked(scMinimizeToTray, v.MinimizeToTray);
    SetChecked(scTrayRates, v.TrayRates);
    SetChecked(scShowOnTaskbar, v.Dock);
    ::SendMessageA(Item(scQuotaStartDayUpDown), UDM_SETPOS32, 0,
                   StartDayForUpDown(v.QuotaStartDay));
    const auto counts =
        std::find(std::begin(kQuotaCountsValues), std::end(kQuotaCountsValues), v.QuotaCounts);
    ::SendMessageA(Item(scQuotaCounts), CB_SETCURSEL,
                   counts == std::end(kQuotaCountsValues) ? 0 : counts - kQuotaCountsValues, 0);
    SetText(scQuotaAlerts, v.QuotaAlerts);
    SetText(scRateAlertIn, std::to_string(v.RateAlertIn));
    SetText(scRateAlertOut, std::to_string(v.RateAlertOut));
    SetText(scRateAlertSeconds, std::to_string(v.RateAlertSeconds));
    SetText(scQuotaFreeHours, v.QuotaFreeHours);
    ::SendMessageA(Item(scTheme), CB_SETCURSEL, static_cast<WPARAM>(v.Theme), 0);
    ::SendMessageA(Item(scLanguage), CB_SETCURSEL, LanguageEntry(v.Language), 0);
}

TSettingsValues Tf_Settings::ReadValues() const {
    TSettingsValues v;
    v.SelectedAdapterEntry = SelectedComboText(Item(scNetworkAdapters));
    if (v.SelectedAdapterEntry)
        v.SelectedAdapterLuid = SelectedAdapterLuid(*v.SelectedAdapterEntry);
    v.AdapterChosen = adapterChosen_;
    v.FollowActive = Checked(scFollowActive);
    ReadCountedAdapters(v);
    v.Opacity = static_cast<int32_t>(::SendMessageA(Item(scOpacity), TBM_GETPOS, 0, 0));
    v.DropShadow = Checked(scDropShadow);
    v.BackgroundColour =
        static_cast<int32_t>(::SendMessageA(Item(scBackgroundColour), kSwatchGetColour, 0, 0));
    v.BorderColour =
        static_cast<int32_t>(::SendMessageA(Item(scBorderColour), kSwatchGetColour, 0, 0));
    v.FontColour = static_cast<int32_t>(::SendMessageA(Item(scFontColour), kSwatchGetColour, 0, 0));
    v.FontName = fontPicker_.lfFaceName;
    v.FontSize = ::MulDiv(fontPicker_.lfHeight < 0 ? -fontPicker_.lfHeight : fontPicker_.lfHeight,
                          72, ScreenDpi());
    v.FontBold = Checked(scBold);
    v.FontItalic = Checked(scItalic);
    v.Format = Text(scDisplayFormat);
    v.LogBandwidth = Checked(scLogBandwidth);
    v.LogInbound = Checked(scInbound);
    v.LogOutbound = Checked(scOutbound);
    v.ShowQuota = Checked(scShowQuota);
    v.MonthQuota = Text(scMonthQuota);
    v.Width = Text(scWidth);
    v.Height = Text(scHeight);
    v.StayOnTop = Checked(scStayOnTop);
    // The up-down keeps its last valid position when the typed text is not one.
    BOOL invalid = FALSE;
    auto position = static_cast<int32_t>(::SendMessageA(Item(scDecimalPlacesUpDown), UDM_GETPOS32,
                                                        0, reinterpret_cast<LPARAM>(&invalid)));
    v.DecimalPlaces = ParseDecimalPlaces(Text(scDecimalPlaces), DecimalPlacesForUpDown(position));
    v.MinimizeToTray = Checked(scMinimizeToTray);
    v.TrayRates = Checked(scTrayRates);
    v.Dock = Checked(scShowOnTaskbar);
    position = static_cast<int32_t>(::SendMessageA(Item(scQuotaStartDayUpDown), UDM_GETPOS32, 0,
                                                   reinterpret_cast<LPARAM>(&invalid)));
    v.QuotaStartDay = ParseStartDay(Text(scQuotaStartDay), StartDayForUpDown(position));
    const LRESULT counts = ::SendMessageA(Item(scQuotaCounts), CB_GETCURSEL, 0, 0);
    v.QuotaCounts = kQuotaCountsValues[counts > 0 && counts < 3 ? counts : 0];
    v.QuotaAlerts = Text(scQuotaAlerts);
    // A field that holds no number in range keeps what the file held.
    const TRateAlertSettings rates = ReadRateAlertSettings(store_);
    v.RateAlertIn = ParseRateAlertLevel(Text(scRateAlertIn), rates.InKBps);
    v.RateAlertOut = ParseRateAlertLevel(Text(scRateAlertOut), rates.OutKBps);
    v.RateAlertSeconds = ParseRateAlertSeconds(Text(scRateAlertSeconds), rates.Seconds);
    v.QuotaFreeHours = Text(scQuotaFreeHours);
    const LRESULT theme = ::SendMessageA(Item(scTheme), CB_GETCURSEL, 0, 0);
    v.Theme = theme > 0 && theme < 3 ? static_cast<TThemeSetting>(theme) : TThemeSetting::System;
    const LRESULT language = ::SendMessageA(Item(scLanguage), CB_GETCURSEL, 0, 0);
    v.Language = language == CB_ERR ? ReadText(store_, cfg::kLanguage, TReader::Dialog)
                 : language == 0    ? std::string()
                                    : BuiltInLanguages().Language(language - 1).Code;
    return v;
}

void Tf_Settings::b_OKClick() {
    try {
        SaveSettings();
    } catch (const std::exception& error) {
        // The dialog stays open; what reached the store is applied when it closes.
        TApplication::Instance().ShowException(error);
        return;
    }
    Close();
}

void Tf_Settings::b_CancelClick() {
    Close();
}

void Tf_Settings::OnCommand(int id, int code, HWND control) {
    if (code == kSwatchMouseDown) {
        ChooseSwatchColour(control);
        return;
    }
    if (id == scNetworkAdapters) {
        // Only the user's choice arrives here: a selection set by code sends no notification.
        if (code == CBN_SELCHANGE) {
            adapterChosen_ = true;
            cm_NetworkAdaptersSelect();
        }
        return;
    }
    if (code != BN_CLICKED)
        return;
    switch (id) {
    case scSeveralAdapters:
        ShowAdapterMode();
        break;
    case scOK:
        b_OKClick();
        break;
    case scCancel:
        b_CancelClick();
        break;
    case scAutoDetect:
        b_AutoDetectClick();
        break;
    case scSelectFont:
        b_SelectFontClick();
        break;
    case scInsertTag:
        b_InsertTagClick();
        break;
    case scLogBandwidth:
        cb_LogBandwidthClick();
        break;
    case scResetLogs:
        b_ResetLogsClick();
        break;
    case scDefaultDimensions:
        b_DefaultDimensionsClick();
        break;
    case scQuotaSetUsed:
        b_SetUsedClick();
        break;
    default:
        break;
    }
}

void Tf_Settings::OnNotify(NMHDR& header) {
    if (header.idFrom == scTabs && header.code == TCN_SELCHANGE)
        SelectTab(static_cast<int>(::SendMessageA(header.hwndFrom, TCM_GETCURSEL, 0, 0)));
}

bool Tf_Settings::Checked(int id) const {
    return ::SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Tf_Settings::SetChecked(int id, bool checked) {
    ::SendMessageA(Item(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::string Tf_Settings::Text(int id) const {
    HWND item = Item(id);
    std::vector<char> text(static_cast<size_t>(::GetWindowTextLengthA(item)) + 1, '\0');
    int length = ::GetWindowTextA(item, text.data(), static_cast<int>(text.size()));
    return std::string(text.data(), static_cast<size_t>(length > 0 ? length : 0));
}

void Tf_Settings::SetText(int id, const std::string& text) {
    if (!::SetWindowTextA(Item(id), text.c_str()))
        RaiseLastWin32Error("SetWindowText");
}

void ShowSettingsDialog(HWND owner) {
    Tf_Settings dialog(owner, ConfigStore());
    dialog.ShowModal(owner);
}
