// Tf_Main's quota: the bar over the current billing period, its hint with the forecast, and
// the alerts, each shown once per period and remembered in config.ini.
#include "product/constants.h"
#include "app/main_form.h"
#include "desktop/cool_tray_icon.h"
#include "display/render.h"
#include "log/calendar.h"
#include "quota/quota_alerts.h"
#include "quota/quota_settings.h"
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

void Tf_Main::UpdateQuotaBar(const TQuotaSettings& quota, const TQuotaFigures& figures,
                             int decimals, char separator) {
    if (!quota.ShowQuota) {
        ::ShowWindow(QuotaBar, SW_HIDE);
        return;
    }
    ::ShowWindow(QuotaBar, SW_SHOWNA);
    // The bar cannot take a maximum below its minimum of 0.
    const int32_t maximum = std::max<int32_t>(0, quota.Terms.QuotaMB);
    ::SendMessageA(QuotaBar, PBM_SETRANGE32, 0, maximum);
    ::SendMessageA(QuotaBar, PBM_SETPOS,
                   static_cast<WPARAM>(std::min(QuotaPosition(figures.Counted), maximum)), 0);
    QuotaHint(figures.Counted, maximum, decimals, separator, nextQuotaHint_);
    if (quota.HintShowsForecast())
        nextQuotaHint_ +=
            QuotaForecastText(figures, LocalDateText(figures.Period.Last), decimals, separator);
    SetQuotaHint(nextQuotaHint_);
}

// The record goes to the store before the notice and to the file after it: a notice that
// fails to show or a file that cannot be written never makes an alert come twice in a run.
void Tf_Main::CheckQuotaAlerts(const TQuotaSettings& quota, const TQuotaFigures& figures,
                               int decimals, char separator) {
    if (!quota.HasQuota())
        return;
    const std::string stored = ReadText(config_, cfg::kQuotaAlertsShown);
    TShownAlerts shown = ParseShownAlerts(stored);
    const std::optional<TQuotaAlert> alert = NextQuotaAlert(quota.AlertLevels, figures, shown);
    if (!alert)
        return;
    WriteText(config_, cfg::kQuotaAlertsShown, FormatShownAlerts(shown));
    ++quotaAlertsShown_;
    const std::string runOut =
        alert->Kind == TQuotaAlert::Pace ? LocalDateText(alert->RunOutDay) : std::string();
    TrayIcon->ShowNotice(kProductName, QuotaAlertText(*alert, figures, quota.Terms.QuotaMB, runOut,
                                                      decimals, separator));
    config_.FlushToFile();
}
