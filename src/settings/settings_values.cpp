// Mapping between the settings dialog's values and the configuration store.
#include "settings/settings_values.h"
#include "config/config_keys.h"
#include "display/rate_alert.h"
#include "quota/quota_settings.h"
#include "settings/adapter_entries.h"
#include "settings/network_keys.h"
#include "text/texts.h"

#include <algorithm>
#include <stdexcept>

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
    // Leading zeros are harmless; anything longer than nine digits is out of range anyway.
    if (!IsAllDigits(typed) || typed.size() > 9)
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

int32_t ParseRateAlertLevel(const std::string& typed, int32_t lastValid) {
    return ParseWholeNumber(typed, 0, kMaxRateAlertKBps, lastValid);
}

int32_t ParseRateAlertSeconds(const std::string& typed, int32_t lastValid) {
    return ParseWholeNumber(typed, 1, kMaxRateAlertSeconds, lastValid);
}

TSettingsValues LoadSettingsValues(const TMemIniFile& store) {
    TSettingsValues v;
    v.ActiveAdapterText = ReadText(store, cfg::kActiveAdapter, TReader::Dialog);
    v.FollowActive = FollowsActiveConnection(store);
    v.CountedLuids = ParseLuidList(ReadText(store, cfg::kAdapters));
    v.SeveralAdapters = !v.CountedLuids.empty();
    v.Opacity = ReadInt(store, cfg::kOpacity, TReader::Dialog);
    v.DropShadow = ReadFlag(store, cfg::kDropShadow, TReader::Dialog);
    v.BackgroundColour = ReadInt(store, cfg::kBackground, TReader::Dialog);
    v.BorderColour = ReadInt(store, cfg::kBorder, TReader::Dialog);
    v.FontColour = ReadInt(store, cfg::kFontColour, TReader::Dialog);
    v.FontName = ReadText(store, cfg::kFontName, TReader::Dialog);
    v.FontSize = ReadInt(store, cfg::kFontSize, TReader::Dialog);
    v.FontBold = ReadFlag(store, cfg::kFontBold, TReader::Dialog);
    v.FontItalic = ReadFlag(store, cfg::kFontItalic, TReader::Dialog);
    v.Format = TemplateForEditing(ReadText(store, cfg::kFormat, TReader::Dialog));
    v.LogBandwidth = ReadFlag(store, cfg::kDoLog, TReader::Dialog);
    v.LogInbound = ReadFlag(store, cfg::kDoLogIns, TReader::Dialog);
    v.LogOutbound = ReadFlag(store, cfg::kDoLogOuts, TReader::Dialog);
    v.ShowQuota = ReadFlag(store, cfg::kShowQuota, TReader::Dialog);
    v.MonthQuota = ReadText(store, cfg::kMonthQuota, TReader::Dialog);
    v.Width = std::to_string(ReadInt(store, cfg::kWidth, TReader::Dialog));
    v.Height = std::to_string(ReadInt(store, cfg::kHeight, TReader::Dialog));
    v.StayOnTop = ReadFlag(store, cfg::kStayOnTop, TReader::Dialog);
    v.DecimalPlaces = static_cast<int16_t>(ReadInt(store, cfg::kDecimalPlaces, TReader::Dialog));
    v.MinimizeToTray = ReadFlag(store, cfg::kGoToTray, TReader::Dialog);
    v.TrayRates = ReadFlag(store, cfg::kTrayRates, TReader::Dialog);
    v.Dock = ReadFlag(store, cfg::kDock, TReader::Dialog);
    v.QuotaStartDay = ReadInt(store, cfg::kQuotaStartDay, TReader::Dialog);
    v.QuotaCounts =
        QuotaCountsText(ParseQuotaCounts(ReadText(store, cfg::kQuotaCounts, TReader::Dialog)));
    v.QuotaAlerts =
        FormatAlertLevels(ParseAlertLevels(ReadText(store, cfg::kQuotaAlerts, TReader::Dialog)));
    v.Theme = ParseThemeSetting(ReadText(store, cfg::kTheme, TReader::Dialog).c_str());
    v.Language = ReadText(store, cfg::kLanguage, TReader::Dialog);
    const TRateAlertSettings rates = ReadRateAlertSettings(store);
    v.RateAlertIn = rates.InKBps;
    v.RateAlertOut = rates.OutKBps;
    v.RateAlertSeconds = rates.Seconds;
    v.QuotaFreeHours = ReadText(store, cfg::kQuotaFreeHours, TReader::Dialog);
    return v;
}

void SaveSettingsValues(TMemIniFile& store, const TSettingsValues& v) {
    uint32_t freeHours = 0;
    if (!ParseFreeHours(v.QuotaFreeHours, freeHours))
        throw std::runtime_error(
            FormatText(Text(TTextId::SettingsQuotaFreeHoursBad), {{"hours", v.QuotaFreeHours}}));
    int32_t adapter = 0;
    if (v.SelectedAdapterEntry && ParseAdapterEntryIndex(*v.SelectedAdapterEntry, adapter)) {
        WriteInt(store, cfg::kActiveAdapter, adapter);
        // An unknown LUID still replaces the old adapter's: the monitor learns the new one.
        const bool chosen = v.AdapterChosen ||
                            AdapterEntryIndexText(*v.SelectedAdapterEntry) != v.ActiveAdapterText;
        if (chosen && (v.SelectedAdapterLuid != 0 || IsStored(store, cfg::kAdapterLuid)))
            WriteText(store, cfg::kAdapterLuid, LuidText(v.SelectedAdapterLuid));
    }
    const std::string counted = v.SeveralAdapters ? LuidListText(v.CountedLuids) : std::string();
    if (IsStored(store, cfg::kAdapters) || !counted.empty())
        WriteText(store, cfg::kAdapters, counted);
    // Written only where the keys would not already say it, so that an unchanged store stays
    // unchanged; a newly stored adapter means the opposite without it.
    if (IsStored(store, cfg::kFollowActive) || v.FollowActive != FollowsActiveConnection(store))
        WriteFlag(store, cfg::kFollowActive, v.FollowActive);
    WriteInt(store, cfg::kOpacity, v.Opacity);
    WriteFlag(store, cfg::kDropShadow, v.DropShadow);
    WriteInt(store, cfg::kBackground, v.BackgroundColour);
    WriteInt(store, cfg::kBorder, v.BorderColour);
    WriteInt(store, cfg::kFontColour, v.FontColour);
    WriteText(store, cfg::kFontName, v.FontName);
    WriteInt(store, cfg::kFontSize, v.FontSize);
    WriteFlag(store, cfg::kFontBold, v.FontBold);
    WriteFlag(store, cfg::kFontItalic, v.FontItalic);
    WriteText(store, cfg::kFormat, TemplateForStoring(v.Format));
    WriteFlag(store, cfg::kDoLog, v.LogBandwidth);
    WriteFlag(store, cfg::kDoLogIns, v.LogInbound);
    WriteFlag(store, cfg::kDoLogOuts, v.LogOutbound);
    WriteFlag(store, cfg::kShowQuota, v.ShowQuota);
    WriteText(store, cfg::kMonthQuota, v.MonthQuota);
    WriteText(store, cfg::kWidth, v.Width);
    WriteText(store, cfg::kHeight, v.Height);
    WriteFlag(store, cfg::kStayOnTop, v.StayOnTop);
    WriteInt(store, cfg::kDecimalPlaces, v.DecimalPlaces);
    WriteFlag(store, cfg::kGoToTray, v.MinimizeToTray);
    WriteInt(store, cfg::kQuotaStartDay, v.QuotaStartDay);
    WriteText(store, cfg::kQuotaCounts, QuotaCountsText(ParseQuotaCounts(v.QuotaCounts)));
    WriteText(store, cfg::kQuotaAlerts, FormatAlertLevels(ParseAlertLevels(v.QuotaAlerts)));
    if (IsStored(store, cfg::kTheme) || v.Theme != TThemeSetting::System)
        WriteText(store, cfg::kTheme, ThemeSettingText(v.Theme));
    if (IsStored(store, cfg::kLanguage) || !v.Language.empty())
        WriteText(store, cfg::kLanguage, v.Language);
    if (IsStored(store, cfg::kTrayRates) || v.TrayRates)
        WriteFlag(store, cfg::kTrayRates, v.TrayRates);
    if (IsStored(store, cfg::kDock) || v.Dock)
        WriteFlag(store, cfg::kDock, v.Dock);
    // Speed alerts that were never set stay out of the file.
    const TRateAlertSettings rates = ReadRateAlertSettings(store);
    if (IsStored(store, cfg::kRateAlertIn) || v.RateAlertIn != rates.InKBps)
        WriteInt(store, cfg::kRateAlertIn, v.RateAlertIn);
    if (IsStored(store, cfg::kRateAlertOut) || v.RateAlertOut != rates.OutKBps)
        WriteInt(store, cfg::kRateAlertOut, v.RateAlertOut);
    if (IsStored(store, cfg::kRateAlertSeconds) || v.RateAlertSeconds != rates.Seconds)
        WriteInt(store, cfg::kRateAlertSeconds, v.RateAlertSeconds);
    if (IsStored(store, cfg::kQuotaFreeHours) || !v.QuotaFreeHours.empty())
        WriteText(store, cfg::kQuotaFreeHours, v.QuotaFreeHours);
}
