// Tf_Main's quota: the bar over the current billing period, its hint with the forecast, and
// the alerts, each shown once per period and remembered in config.ini; and the speed alerts,
// once per episode of a high rate.
#include "product/constants.h"
#include "app/main_form.h"
#include "desktop/cool_tray_icon.h"
#include "traffic/adapter_monitor.h"
#include "log/calendar.h"
#include "quota/quota_alerts.h"
#include "quota/quota_bar.h"
#include "quota/quota_settings.h"
#include "text/texts.h"
#include "config/config_keys.h"
#include "config/mem_ini_file.h"

#include <commctrl.h>

#include <algorithm>

namespace {

// A day number in the user's short date format; as year-month-day where the system has no
// format for it (before 1601).
std::string LocalDateText(double day) {
    int year = 0, month = 0, date = 0;
    if (!DecodeDate(day, year, month, date))
        return std::string();
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(date);
    char text[64] = "";
    if (::GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, text, sizeof text))
        return text;
    return FormatIsoDate(day);
}

} // namespace

// Read when the settings are applied, not at every tick.
void Tf_Main::ReadQuotaState() {
    quota_ = ReadQuotaSettings(config_);
    shownAlerts_ = ParseShownAlerts(ReadText(config_, cfg::kQuotaAlertsShown));
}

// Only a change goes to the bar: every message to it also passes the tooltip's hook on it.
void Tf_Main::UpdateQuotaBar(const TQuotaFigures& figures, int decimals, char separator) {
    const bool shown = quota_.ShowQuota && !docked_; // the taskbar has no room for it
    if (shown != quotaShown_) {
        ::ShowWindow(QuotaBar, shown ? SW_SHOWNA : SW_HIDE);
        quotaShown_ = shown;
    }
    if (!shown)
        return;
    // The bar cannot take a maximum below its minimum of 0.
    const int32_t maximum = std::max<int32_t>(0, quota_.Terms.QuotaMB);
    if (maximum != quotaRange_) {
        ::SendMessageA(QuotaBar, PBM_SETRANGE32, 0, maximum);
        quotaRange_ = maximum;
        quotaPosition_ = -1; // a new range may have moved it
    }
    const int32_t position = std::min(QuotaPosition(figures.Counted), maximum);
    if (position != quotaPosition_) {
        ::SendMessageA(QuotaBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
        quotaPosition_ = position;
    }
    QuotaHint(figures.Counted, maximum, decimals, separator, nextQuotaHint_);
    if (quota_.HintShowsForecast()) {
        if (figures.Period.Last != periodEndDay_) {
            periodEndText_ = LocalDateText(figures.Period.Last);
            periodEndDay_ = figures.Period.Last;
        }
        AppendQuotaForecastText(figures, periodEndText_, decimals, separator, nextQuotaHint_);
    }
    SetQuotaHint(nextQuotaHint_);
}

// The record goes to the store before the notice and to the file after it: a notice that
// fails to show or a file that cannot be written never makes an alert come twice in a run.
void Tf_Main::CheckQuotaAlerts(const TQuotaFigures& figures, int decimals, char separator) {
    if (!quota_.HasQuota())
        return;
    const std::optional<TQuotaAlert> alert =
        NextQuotaAlert(quota_.AlertLevels, figures, shownAlerts_);
    if (!alert)
        return;
    WriteText(config_, cfg::kQuotaAlertsShown, FormatShownAlerts(shownAlerts_));
    ++quotaAlertsShown_;
    const std::string runOut =
        alert->Kind == TQuotaAlert::Pace ? LocalDateText(alert->RunOutDay) : std::string();
    TrayIcon->ShowNotice(kProductName, QuotaAlertText(*alert, figures, quota_.Terms.QuotaMB, runOut,
                                                      decimals, separator));
    config_.FlushToFile();
}

// Settings applied anew start the episodes anew.
void Tf_Main::ReadRateAlerts() {
    rateAlertSettings_ = ReadRateAlertSettings(config_);
    rateAlerts_.reset();
    if (rateAlertSettings_.Any())
        rateAlerts_.emplace(rateAlertSettings_);
}

// Timed by the system's tick count, so that extra display ticks change nothing.
void Tf_Main::CheckRateAlerts() {
    if (!rateAlerts_ || !monitor_)
        return;
    const TRateAlerts::TDirection started = rateAlerts_->Update(
        static_cast<double>(::GetTickCount64()) / 1000, monitor_->DeltaIn(), monitor_->DeltaOut());
    if (started == TRateAlerts::None)
        return;
    const bool in = started == TRateAlerts::In;
    ++rateAlertsShown_;
    TrayIcon->ShowNotice(
        kProductName,
        FormatText(
            Text(in ? TPluralId::RateAlertIn : TPluralId::RateAlertOut, rateAlertSettings_.Seconds),
            {{"rate", std::to_string(in ? rateAlertSettings_.InKBps : rateAlertSettings_.OutKBps)},
             {"seconds", std::to_string(rateAlertSettings_.Seconds)}}));
}
