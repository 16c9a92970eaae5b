// Tf_Settings: the settings dialog with its five tabs (Adapters, Display, Information, Logs,
// General). It fills its controls from the configuration store and stores them back on OK.
#pragma once
#include "platform/dialog.h"
#include "config/mem_ini_file.h"
#include "settings/run_at_startup.h"
#include "settings/settings_values.h"
#include "text/text_ids.h"
#include "traffic/ip_helper.h"

#include <array>
#include <string>
#include <vector>

// Control ids; every control lives on one of the tab pages except the tabs and the buttons.
enum TSettingsControl : int {
    scTabs = 100,
    scNetworkAdapters,
    scAutoDetect,
    scAdapterDetails,
    scAdapterIcon,
    scOpacity,
    scDropShadow,
    scBackgroundColour,
    scBorderColour,
    scFontColour,
    scSelectFont,
    scBold,
    scItalic,
    scDisplayFormat,
    scInsertTag,
    scTags,
    scShowQuota,
    scMonthQuota,
    scDecimalPlaces,
    scDecimalPlacesUpDown,
    scLogBandwidth,
    scInbound,
    scOutbound,
    scResetLogs,
    scWidth,
    scHeight,
    scDefaultDimensions,
    scStayOnTop,
    scMinimizeToTray,
    scRunOnStartup,
    scQuotaCounts,
    scQuotaStartDay,
    scQuotaStartDayUpDown,
    scQuotaAlerts,
    scCancel,
    scOK,
    scFollowActive,
    scActiveConnection,
    scTheme,
    scLanguage,
    scTrayRates,
    scShowOnTaskbar,
    scRateAlertIn,
    scRateAlertOut,
    scRateAlertSeconds,
    scSeveralAdapters,
    scAdapterChecklist,
    scQuotaFreeHours,
    scQuotaUsed,
    scQuotaSetUsed,
    scDetailsCaption = 200, // the Adapters tab's bold caption
};

// The quota's "counting" list: its entries, and the "quotacounts" value of each.
inline constexpr TTextId kQuotaCountsEntries[] = {TTextId::SettingsQuotaCountsInOut,
                                                  TTextId::SettingsQuotaCountsIn,
                                                  TTextId::SettingsQuotaCountsOut};
inline constexpr const char* kQuotaCountsValues[] = {"inout", "in", "out"};
// The "Appearance" list, in the order of TThemeSetting.
inline constexpr TTextId kThemeEntries[] = {TTextId::SettingsGeneralThemeSystem,
                                            TTextId::SettingsGeneralThemeLight,
                                            TTextId::SettingsGeneralThemeDark};

class Tf_Settings : public TDialog {
  public:
    static constexpr int kPageCount = 5;

    // Creates the dialog over owner and fills it (FormCreate). runKeyPath: the registry key
    // under HKEY_CURRENT_USER that holds the run-at-start-up value.
    Tf_Settings(HWND owner, TMemIniFile& store, std::string runKeyPath = kRunKeyPath);
    ~Tf_Settings() override;

    // A control by id, wherever it lives.
    HWND Item(int id) const;
    // Shows the page of the given tab, as a click on the tab does.
    void SelectTab(int index);

  protected:
    void OnCommand(int id, int code, HWND control) override;
    void OnNotify(NMHDR& header) override;
    void OnThemeChanged() override;

  private:
    // Building the window (settings_pages.cpp).
    void CreateControls();
    void CreateTabs();
    HWND CreatePage(int index);
    void CreateAdaptersPage(HWND page);
    void CreateDisplayPage(HWND page);
    void CreateInformationPage(HWND page);
    void CreateLogsPage(HWND page);
    void CreateRateAlertControls(HWND page);
    HWND AddNumberEdit(HWND page, int id, TTextId name, int x, int y, int width);
    void CreateGeneralPage(HWND page);
    // A control on one of the tab pages.
    HWND AddToPage(HWND page, TControlArgs args) { return AddControl(args.SetParent(page)); }
    HWND AddLabel(HWND page, TTextId text, int x, int y, HFONT font = nullptr);
    int LabelWidth(TTextId text, HFONT font = nullptr) const;
    HWND AddUpDown(HWND page, int editId, int upDownId, int x, int y, int editWidth, int min,
                   int max);
    void CreateQuotaControls(HWND page);
    void CreateProviderControls(HWND page);
    HWND AddDropDownList(HWND page, int id, int x, int y, int width, const TTextId* entries,
                         int count);
    void CreateLanguageList(HWND page, int from, int right, int y);
    HWND AddCheckBox(HWND page, int id, TTextId text, int x, int y, int width = 0);
    void ApplyStyleFonts();

    // Loading and saving (settings_dialog.cpp).
    void FormCreate();
    void LoadSettings();
    void SaveSettings();
    void ShowValues(const TSettingsValues& values);
    TSettingsValues ReadValues() const;
    void b_OKClick();
    void b_CancelClick();
    void b_SetUsedClick();

    // The Adapters tab (settings_adapters.cpp).
    void RefreshNetworkAdapters();
    void ShowActiveConnection(const std::vector<MIB_IFROW>& rows);
    uint64_t SelectedAdapterLuid(const std::string& entry) const;
    void SelectStoredAdapter(const std::string& stored);
    void cm_NetworkAdaptersSelect();
    void b_AutoDetectClick();
    // "Count these adapters together": the check list instead of the chosen adapter's details.
    void ShowAdapterMode();
    void AddChecklistEntry(const std::string& entry, uint64_t luid);
    void ShowCountedAdapters(const std::vector<uint64_t>& luids);
    void ReadCountedAdapters(TSettingsValues& values) const;

    // The other tabs' actions (settings_actions.cpp).
    void ChooseSwatchColour(HWND swatch);
    void b_SelectFontClick();
    void b_InsertTagClick();
    void cb_LogBandwidthClick();
    void b_ResetLogsClick();
    void b_DefaultDimensionsClick();

    bool Checked(int id) const;
    void SetChecked(int id, bool checked);
    std::string Text(int id) const;
    void SetText(int id, const std::string& text);

    TMemIniFile& store_;
    const std::string runKeyPath_;
    std::array<HWND, kPageCount> pages_{};
    LOGFONTA fontPicker_{};        // where the chosen typeface, size and style live
    COLORREF customColours_[16]{}; // the colour picker's custom colours while the dialog lives
    TImageListHandle tabIcons_;
    TIconHandle adapterIcon_;
    TFontHandle boldFont_;
    TFontHandle italicFont_;
    // Per list entry: the interface is a software loopback (for Auto-Detect).
    std::vector<bool> loopbackEntries_;
    bool adapterChosen_ = false; // by the user or Auto-Detect, not preselected
};

// The Settings command: creates the dialog, runs it modally over owner and returns.
void ShowSettingsDialog(HWND owner);
