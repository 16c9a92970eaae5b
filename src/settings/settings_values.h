// What the settings dialog edits, as plain values, and how they map to the configuration
// store: each reader's own default on loading, the dialog's order of keys on saving.
#pragma once
#include "config/mem_ini_file.h"
#include "product/constants.h"
#include "theme/palette.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TSettingsValues {
    // Load: "activeadapter" as stored text, matched against the adapter entries' indexes.
    std::string ActiveAdapterText;
    // Save: the selected adapter entry, if any ("2. Ethernet Controller"), the LUID of its
    // interface (0 when unknown), and whether the user chose it (or Auto-Detect did).
    std::optional<std::string> SelectedAdapterEntry;
    uint64_t SelectedAdapterLuid = 0;
    bool AdapterChosen = false;
    bool FollowActive = true; // "Follow the active connection"
    // "Count these adapters together" and the LUIDs of "adapters": on saving, the ticked ones in
    // the list's order (the first also being the selected entry above).
    bool SeveralAdapters = false;
    std::vector<uint64_t> CountedLuids;
    int32_t Opacity = 0;      // as stored; the slider limits it to 10..100
    bool DropShadow = true;
    int32_t BackgroundColour = kDefaultBackgroundColour;
    int32_t BorderColour = kWhiteColour;
    int32_t FontColour = kWhiteColour;
    std::string FontName = "Trebuchet MS";
    int32_t FontSize = 8;
    bool FontBold = false;
    bool FontItalic = false;
    std::string Format; // for editing: line breaks as CR LF
    bool LogBandwidth = true;
    bool LogInbound = true;
    bool LogOutbound = true;
    bool ShowQuota = true;
    std::string MonthQuota = "10000";
    std::string Width = "180";
    std::string Height = "228";
    bool StayOnTop = true;
    int32_t DecimalPlaces = 2;
    bool MinimizeToTray = true;
    bool TrayRates = false; // "Draw the rates in the tray icon"
    bool Dock = false; // "Show on the taskbar"
    int32_t QuotaStartDay = 1;          // as stored; the up-down limits it to 1..31
    std::string QuotaCounts = "inout";  // "inout", "in" or "out"
    std::string QuotaAlerts = "80,100"; // levels in percent, comma-separated
    // Speed alerts: levels in kB/s (0: off) and the seconds they must hold.
    int32_t RateAlertIn = 0;
    int32_t RateAlertOut = 0;
    int32_t RateAlertSeconds = 30;
    std::string QuotaFreeHours;         // "02:00-08:00", or empty
    // "Appearance"
    TThemeSetting Theme = TThemeSetting::System;
    // "Language": a language's code, or empty for Windows' own
    std::string Language;
};

// Reads every value the dialog shows, with the dialog's defaults.
TSettingsValues LoadSettingsValues(const TMemIniFile& store);

// Writes every value in the dialog's order; free hours that are no range of hours are refused
// before anything is written, with a text that says how to write them. (the run-at-start-up entry and the flush are the
// dialog's). The adapter is skipped when no entry is selected or its index is not a number;
// its LUID is written for an adapter chosen or another than the stored one; the stored adapter,
// only preselected, keeps its LUID, wherever its index went. The appearance is written where
// it is stored already or not "system", so that a file without it stays without it.
void SaveSettingsValues(TMemIniFile& store, const TSettingsValues& values);

// The template between store and edit field: "%nl%" <-> CR LF, every occurrence, exact case.
std::string TemplateForEditing(const std::string& stored);
std::string TemplateForStoring(const std::string& edited);

constexpr int32_t kMinOpacity = 10;
constexpr int32_t kMaxOpacity = 100;
constexpr int32_t kMaxDecimalPlaces = 9;

// A stored opacity as the slider shows it.
int32_t OpacityForSlider(int32_t stored);
// A stored decimal-places value taken as a 16-bit number, then limited to 0..9 as the
// up-down control shows it.
int32_t DecimalPlacesForUpDown(int32_t stored);
// The decimal places typed into the field when they are a whole number from 0 to 9;
// otherwise lastValid.
int32_t ParseDecimalPlaces(const std::string& typed, int32_t lastValid);

constexpr int32_t kMaxStartDay = 31;
// The billing period's start day as its up-down shows it, 1 to 31.
int32_t StartDayForUpDown(int32_t stored);
// The start day typed into its field when it is a whole number from 1 to 31; else lastValid.
int32_t ParseStartDay(const std::string& typed, int32_t lastValid);
// A speed alert's level in kB/s (0 to kMaxRateAlertKBps) or its seconds (1 to
// kMaxRateAlertSeconds) as typed, when a whole number in range; else lastValid.
int32_t ParseRateAlertLevel(const std::string& typed, int32_t lastValid);
int32_t ParseRateAlertSeconds(const std::string& typed, int32_t lastValid);
