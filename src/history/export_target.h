// Where an export may not go: Corvane's own files beside the executable, which it would
// replace with the export's text, and devices, which are no files.
#pragma once
#include "text/text_ids.h"

#include <stdexcept>
#include <string>
#include <string_view>

// A file beside the executable that Corvane reads and writes itself.
struct TOwnFile {
    const char* Name; // "bandlog.dat"
    TTextId What;     // why it is refused: "\"{name}\" is Corvane's own usage history; ..."
};

// config.ini, bandlog.dat and hourlog.dat, each followed by the temporary file that replaces it.
extern const TOwnFile kOwnFiles[6];

// A reserved DOS device name as the path's last part, with or without an extension (CON, PRN,
// AUX, NUL, COM1-9, LPT1-9), or a path in the device namespace ("\\.\").
bool IsDevicePath(std::string_view path);

// An export target refused before anything was opened; the text tells the user why.
class ERefusedExportTarget : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The refusal `what`, a text with the name in it.
ERefusedExportTarget RefusedTarget(const std::string& name, TTextId what);
inline constexpr TTextId kDeviceText = TTextId::HistoryExportRefusedDevice;

#ifdef _WIN32
// Throws ERefusedExportTarget for a device or for one of the own files, however the path spells
// it: resolved as the system resolves it, then compared by folder and name and, for a file that
// exists, by identity (short names, links and other spellings). (export_target_win.cpp)
void CheckExportTarget(const std::string& path);
#endif
