// The History window's Export: the system's Save As dialog, then the daily or hourly records
// as CSV or JSON, written through a temporary file to the chosen (wide) path unless that is one
// of Corvane's own files or a device.
#include "history/export_target.h"
#include "history/history_export.h"
#include "history/history_window.h"
#include "log/append_file.h"
#include "platform/wide_text.h"
#include "text/texts.h"

#include <commdlg.h>

#include <cwctype>
#include <stdexcept>
#include <utility>

namespace {

// Filter 1 to 4: days and hours as CSV, then as JSON; each a name and a pattern ended by a null.
std::wstring Filter() {
    const std::pair<TTextId, const wchar_t*> types[] = {
        {TTextId::HistoryExportDailyCsv, L"*.csv"},
        {TTextId::HistoryExportHourlyCsv, L"*.csv"},
        {TTextId::HistoryExportDailyJson, L"*.json"},
        {TTextId::HistoryExportHourlyJson, L"*.json"}};
    std::wstring filter;
    for (const auto& [name, pattern] : types)
        filter.append(WideFromUtf8(Text(name))).append(1, L'\0').append(pattern).append(1, L'\0');
    return filter;
}

// A name ending in .csv or .json asks for that format, whatever filter was chosen.
TExportFormat FormatFor(const std::wstring& name, DWORD filter) {
    std::wstring lower = name;
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(std::towlower(c));
    auto endsWith = [&lower](const std::wstring& ending) {
        return lower.size() >= ending.size() &&
               lower.compare(lower.size() - ending.size(), ending.size(), ending) == 0;
    };
    if (endsWith(L".json"))
        return TExportFormat::Json;
    if (endsWith(L".csv"))
        return TExportFormat::Csv;
    return filter >= 3 ? TExportFormat::Json : TExportFormat::Csv;
}

std::vector<TExportRow> RowsOf(TExportPeriod period) {
    if (period == TExportPeriod::Days)
        return DayRows(DayTotalsOf(CopyLogTable()), {});
    THourLog* hours = ProcessHourLog();
    return hours ? HourRows(hours->All(), {}, &SystemUtcOffset) : std::vector<TExportRow>{};
}

} // namespace

void ExportHistory(HWND owner, THistoryView view) {
    std::wstring name = view == THistoryView::Hours ? L"traffic-hours" : L"traffic-days";
    name.resize(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    const std::wstring filter = Filter();
    const std::wstring caption = WideFromUtf8(Text(TTextId::HistoryExportCaption));
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = view == THistoryView::Hours ? 2 : 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrTitle = caption.c_str();
    dialog.lpstrDefExt = L"csv";
    dialog.Flags =
        OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    BOOL chosen = FALSE;
    {
        TApplication::TModalRun run; // ended as Cancel would when the program closes
        chosen = ::GetSaveFileNameW(&dialog);
    }
    if (!chosen) {
        if (const DWORD error = ::CommDlgExtendedError())
            throw std::runtime_error(FormatText(Text(TTextId::HistoryExportDialogFailed),
                                                {{"error", std::to_string(error)}}));
        return; // cancelled
    }
    name.resize(name.find(L'\0'));
    const TExportPeriod period =
        dialog.nFilterIndex % 2 == 0 ? TExportPeriod::Hours : TExportPeriod::Days;
    const TExportFormat format = FormatFor(name, dialog.nFilterIndex);
    const std::string path = Utf8FromWide(name);
    try {
        CheckExportTarget(path);
    } catch (const ERefusedExportTarget& refusal) {
        TApplication::Instance().ShowException(refusal, owner);
        return;
    }
    WriteFileReplacing(path, WriteExport(format, period, RowsOf(period)));
}
