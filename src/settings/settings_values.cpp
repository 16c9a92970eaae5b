// Mapping between the settings dialog's values and the configuration store.
#include "settings/settings_values.h"
#include "quota/quota_settings.h"
#include "settings/adapter_entries.h"
#include "settings/network_keys.h"

#include <algorithm>

namespace {

std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to) {
    std::string result;
    size_t start = 0;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, start)) {
        result.append(text, start, at - start);
        result += to;
        start = at + from.size();
    }
    result.append(text, start, std::string::npos);
    return result;
}

bool IsAllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A number typed into a field bound to an up-down: taken when whole and within its range.
int32_t ParseWholeNumber(const std::string& typed, int32_t min, int32_t max, int32_t lastValid) {
    // Leading zeros are harmless; anything longer than a few digits is out of range anyway.
    if (!IsAllDigits(typed) || typed.size() > 3)
        return lastValid;
    int32_t value = std::stoi(typed);
    return value >= min && value <= max ? value : lastValid;
}

} // namespace

std::string TemplateForEditing(const std::string& stored) {
    return ReplaceAll(stored, "%nl%", "\r\n");
}

std::string TemplateForStoring(const std::string& edited) {
    return ReplaceAll(edited, "\r\n", "%nl%");
}

int32_t OpacityForSlider(int32_t stored) {
    return std::clamp(stored, kMinOpacity, kMaxOpacity);
}

int32_t DecimalPlacesForUpDown(int32_t stored) {
    return std::clamp<int32_t>(static_cast<int16_t>(stored), 0, kMaxDecimalPlaces);
}

int32_t ParseDecimalPlaces(const std::string& typed, int32_t lastValid) {
    return ParseWholeNumber(typed, 0, kMaxDecimalPlaces, lastValid);
}

int32_t StartDayForUpDown(int32_t stored) {
    return std::clamp<int32_t>(stored, 1, kMaxStartDay);
}

int32_t ParseStartDay(const std::string& typed, int32_t lastValid) {
    return ParseWholeNumber(typed, 1, kMaxStartDay, lastValid);
}

TSettingsValues LoadSettingsValues(const TMemIniFile& store) {
    TSettingsValues v;
    v.ActiveAdapterText = store.QueryText("network", "activeadapter", "0");
    v.FollowActive = FollowsActiveConnection(store);
    v.Opacity = store.QueryInt("display", "opacity", 0);
    v.DropShadow = store.QueryFlag("display", "dropshadow", true);
    v.BackgroundColour = store.QueryInt("display", "bgcolour", kDefaultBackgroundColour);
    v.BorderColour = store.QueryInt("display", "bordercolour", kWhiteColour);
    v.FontColour = store.QueryInt("display", "fontcolour", kWhiteColour);
    v.FontName = store.QueryText("display", "fontname", "Trebuchet MS");
    v.FontSize = store.QueryInt("display", "fontsize", 8);
    v.FontBold = store.QueryFlag("display", "fontbold", false);
    v.FontItalic = store.QueryFlag("display", "fontitalic", false);
    v.Format = TemplateForEditing(store.QueryText("display", "format", ""));
    v.LogBandwidth = store.QueryFlag("bandwidth", "dolog", true);
    v.LogInbound = store.QueryFlag("bandwidth", "dologins", true);
    v.LogOutbound = store.QueryFlag("bandwidth", "dologouts", true);
    v.ShowQuota = store.QueryFlag("display", "showquota", true);
    v.MonthQuota = store.QueryText("display", "monthquota", "10000");
    v.Width = std::to_string(store.QueryInt("display", "width", 180));
    v.Height = std::to_string(store.QueryInt("display", "height", 228));
    v.StayOnTop = store.QueryFlag("display", "stayontop", true);
    v.DecimalPlaces = static_cast<int16_t>(store.QueryInt("display", "decimalplaces", 2));
    v.MinimizeToTray = store.QueryFlag("display", "gototray", true);
    v.QuotaStartDay = store.QueryInt("display", "quotastartday", 1);
    v.QuotaCounts =
        QuotaCountsText(ParseQuotaCounts(store.QueryText("display", "quotacounts", "")));
    v.QuotaAlerts = FormatAlertLevels(
        ParseAlertLevels(store.QueryText("display", "quotaalerts", kDefaultAlertLevels)));
    return v;
}

void SaveSettingsValues(TMemIniFile& store, const TSettingsValues& v) {
    int32_t adapter = 0;
    if (v.SelectedAdapterEntry && ParseAdapterEntryIndex(*v.SelectedAdapterEntry, adapter)) {
        store.StoreInt("network", "activeadapter", adapter);
        // An unknown LUID still replaces the old adapter's: the monitor learns the new one.
        const bool otherAdapter =
            AdapterEntryIndexText(*v.SelectedAdapterEntry) != v.ActiveAdapterText;
        if (otherAdapter &&
            (!v.SelectedAdapterLuid.empty() || store.HasKey("network", "adapterluid")))
            store.StoreText("network", "adapterluid", v.SelectedAdapterLuid);
    }
    // Written only where the keys would not already say it, so that an unchanged store stays
    // unchanged; a newly stored adapter means the opposite without it.
    if (store.HasKey("network", "followactive") || v.FollowActive != FollowsActiveConnection(store))
        store.StoreFlag("network", "followactive", v.FollowActive);
    store.StoreInt("display", "opacity", v.Opacity);
    store.StoreFlag("display", "dropshadow", v.DropShadow);
    store.StoreInt("display", "bgcolour", v.BackgroundColour);
    store.StoreInt("display", "bordercolour", v.BorderColour);
    store.StoreInt("display", "fontcolour", v.FontColour);
    store.StoreText("display", "fontname", v.FontName);
    store.StoreInt("display", "fontsize", v.FontSize);
    store.StoreFlag("display", "fontbold", v.FontBold);
    store.StoreFlag("display", "fontitalic", v.FontItalic);
    store.StoreText("display", "format", TemplateForStoring(v.Format));
    store.StoreFlag("bandwidth", "dolog", v.LogBandwidth);
    store.StoreFlag("bandwidth", "dologins", v.LogInbound);
    store.StoreFlag("bandwidth", "dologouts", v.LogOutbound);
    store.StoreFlag("display", "showquota", v.ShowQuota);
    store.StoreText("display", "monthquota", v.MonthQuota);
    store.StoreText("display", "width", v.Width);
    store.StoreText("display", "height", v.Height);
    store.StoreFlag("display", "stayontop", v.StayOnTop);
    store.StoreInt("display", "decimalplaces", v.DecimalPlaces);
    store.StoreFlag("display", "gototray", v.MinimizeToTray);
    store.StoreInt("display", "quotastartday", v.QuotaStartDay);
    store.StoreText("display", "quotacounts", QuotaCountsText(ParseQuotaCounts(v.QuotaCounts)));
    store.StoreText("display", "quotaalerts", FormatAlertLevels(ParseAlertLevels(v.QuotaAlerts)));
}
