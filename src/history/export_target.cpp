// Corvane's own files and the device names, as an export target sees them.
#include "history/export_target.h"
#include "config/config_store.h"
#include "history/hour_log.h"
#include "log/usage_log.h"
#include "text/texts.h"

#include <cctype>
#include <cstring>

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// COM and LPT take a digit from 1 to 9, or a superscript one, two or three (UTF-8).
bool IsPortNumber(std::string_view text) {
    if (text.size() == 1)
        return text[0] >= '1' && text[0] <= '9';
    return text == "\xC2\xB9" || text == "\xC2\xB2" || text == "\xC2\xB3";
}

} // namespace

const TOwnFile kOwnFiles[6] = {{kConfigFileName, TTextId::HistoryExportRefusedSettings},
                               {"config.ini.tmp", TTextId::HistoryExportRefusedSettingsCopy},
                               {kUsageLogName, TTextId::HistoryExportRefusedUsage},
                               {"bandlog.dat.tmp", TTextId::HistoryExportRefusedUsageCopy},
                               {kHourLogName, TTextId::HistoryExportRefusedHours},
                               {"hourlog.dat.tmp", TTextId::HistoryExportRefusedHoursCopy}};

// The system takes the name before the first dot (or a colon), without trailing blanks.
bool IsDevicePath(std::string_view path) {
    if (path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) && path[2] == '.' &&
        IsSeparator(path[3]))
        return true;
    if (path.size() >= 2 && path[1] == ':')
        path.remove_prefix(2); // a drive: "C:NUL"
    for (size_t i = path.size(); i-- > 0;) {
        if (IsSeparator(path[i])) {
            path.remove_prefix(i + 1);
            break;
        }
    }
    std::string_view name = path.substr(0, path.find_first_of(".:"));
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    if (name.size() < 3)
        return false;
    char head[3];
    for (size_t i = 0; i < 3; ++i)
        head[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
    // Four names alone, then two that take a port number.
    static const char kNames[6][3] = {{'C', 'O', 'N'}, {'P', 'R', 'N'}, {'A', 'U', 'X'},
                                      {'N', 'U', 'L'}, {'C', 'O', 'M'}, {'L', 'P', 'T'}};
    for (size_t i = 0; i < 6; ++i) {
        if (std::memcmp(head, kNames[i], 3) == 0)
            return i < 4 ? name.size() == 3 : IsPortNumber(name.substr(3));
    }
    return false;
}

ERefusedExportTarget RefusedTarget(const std::string& name, TTextId what) {
    return ERefusedExportTarget(FormatText(Text(what), {{"name", name}}));
}
