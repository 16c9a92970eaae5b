// Tf_Settings: the actions of the Display, Information, Logs and General tabs.
#include "config/config_keys.h"
#include "history/billed_quota.h"
#include "history/hour_log.h"
#include "log/usage_log.h"
#include "platform/application.h"
#include "quota/quota_settings.h"
#include "settings/colour_swatch.h"
#include "settings/settings_dialog.h"
#include "text/texts.h"
#include "config/tok_utils.h"

#include <commdlg.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A picker that was cancelled returns false with no error; anything else is a failure.
void CheckPickerFailure(const char* what) {
    DWORD code = ::CommDlgExtendedError();
    if (code != 0)
        throw std::runtime_error(std::string(what) + " failed: error " + std::to_string(code));
}

} // namespace

void Tf_Settings::ChooseSwatchColour(HWND swatch) {
    CHOOSECOLORA cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = Handle();
    cc.rgbResult = static_cast<COLORREF>(::SendMessageA(swatch, kSwatchGetColour, 0, 0));
    cc.lpCustColors = customColours_;
    cc.Flags = CC_FULLOPEN | CC_RGBINIT;
    if (!::ChooseColorA(&cc)) {
        CheckPickerFailure("ChooseColor");
        return;
    }
    ::SendMessageA(swatch, kSwatchSetColour, cc.rgbResult, 0);
}

// The picker keeps its own style; only its result sets the two boxes.
void Tf_Settings::b_SelectFontClick() {
    LOGFONTA chosen = fontPicker_;
    CHOOSEFONTA cf{};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = Handle();
    cf.lpLogFont = &chosen;
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_NOSCRIPTSEL;
    if (!::ChooseFontA(&cf)) {
        CheckPickerFailure("ChooseFont");
        return;
    }
    fontPicker_ = chosen;
    SetChecked(scBold, chosen.lfWeight >= FW_BOLD);
    SetChecked(scItalic, chosen.lfItalic != 0);
}

void Tf_Settings::b_InsertTagClick() {
    std::optional<std::string> entry = SelectedComboText(Item(scTags));
    if (!entry)
        return;
    // Appended at the very end, whatever the caret position.
    SetText(scDisplayFormat, Text(scDisplayFormat) + ExtractField(*entry, " ", 1, false, true));
}

void Tf_Settings::cb_LogBandwidthClick() {
    bool enabled = Checked(scLogBandwidth);
    ::EnableWindow(Item(scInbound), enabled);
    ::EnableWindow(Item(scOutbound), enabled);
}

// Takes effect at once, whichever button closes the dialog afterwards.
void Tf_Settings::b_ResetLogsClick() {
    if (::MessageBoxA(Handle(), ::Text(TTextId::SettingsLogsResetQuestion).c_str(),
                      ::Text(TTextId::SettingsLogsResetCaption).c_str(),
                      MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    try {
        ResetHourLog();
        ResetLog();
    } catch (const std::exception& error) {
        TApplication::Instance().ShowException(error);
    }
}

void Tf_Settings::b_DefaultDimensionsClick() {
    SetText(scWidth, "180");
    SetText(scHeight, "228");
}

// Stored at once, as the provider's figure of this moment: what the period counts now is
// kept with it, so that what comes later adds to it.
void Tf_Settings::b_SetUsedClick() {
    const std::string typed = Text(scQuotaUsed);
    uint64_t bytes = 0;
    if (!ParseMegabytes(typed, bytes)) {
        TApplication::Instance().ShowException(std::runtime_error(
            FormatText(::Text(TTextId::SettingsQuotaSetUsedBad), {{"megabytes", typed}})));
        return;
    }
    TQuotaTerms terms = ReadQuotaSettings(store_).Terms;
    terms.Correction.reset();
    const TQuotaFigures now = CurrentBilledQuotaFigures(terms);
    WriteText(store_, cfg::kQuotaOffset,
              FormatQuotaCorrection({now.Period.First, bytes, now.Counted}));
    try {
        store_.FlushToFile();
    } catch (const std::exception& error) {
        TApplication::Instance().ShowException(error);
    }
}
