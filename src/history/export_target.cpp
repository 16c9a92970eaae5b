// Corvane's own files and the device names, as an export target sees them.
#include "history/export_target.h"
#include "config/config_store.h"
#include "history/hour_log.h"
#include "log/usage_log.h"
#include "platform/file_io.h"
#include "product/constants.h"

#include <cctype>

namespace {

bool SameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

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

std::vector<TOwnFile> OwnFiles() {
    const std::string own = std::string(kProductName) + "'s own ";
    const std::string copy = std::string("the temporary copy of ") + kProductName + "'s ";
    std::vector<TOwnFile> files;
    for (const auto& [name, what] :
         {std::pair<std::string, std::string>{kConfigFileName, "settings"},
          {kUsageLogName, "usage history"},
          {kHourLogName, "hourly history"}}) {
        files.push_back({name, own + what});
        files.push_back({TemporaryFileOf(name), copy + what});
    }
    return files;
}

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
    for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
        if (SameLetters(name, device))
            return true;
    }
    return name.size() > 3 &&
           (SameLetters(name.substr(0, 3), "COM") || SameLetters(name.substr(0, 3), "LPT")) &&
           IsPortNumber(name.substr(3));
}

ERefusedExportTarget OwnFileRefusal(const TOwnFile& file) {
    return ERefusedExportTarget("\"" + file.Name + "\" is " + file.What +
                                "; choose another file for the export");
}

ERefusedExportTarget DeviceRefusal(const std::string& path) {
    return ERefusedExportTarget("\"" + path +
                                "\" is a device, not a file; choose a file for the export");
}
