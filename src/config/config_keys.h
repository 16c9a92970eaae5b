// Every key of config.ini: its section, name and type, and the default its readers pass when
// the key is missing or unreadable. Every read and write of the file goes through this table.
//
// The program (start-up, the display tick, the quota, the monitor, the History window) and the
// settings dialog read some keys with different defaults. Where they do, both stand here on
// purpose: the dialog shows what the file holds ("opacity" 0 shows the slider's lowest, so a
// dialog confirmed at once on a new installation makes the window translucent), the program
// starts with what a new installation needs.
#pragma once
#include "product/constants.h"

#include <cstdint>
#include <string>

class TMemIniFile;

enum class TKeyType { Integer, Flag, Colour, Text };

// A number for integer, flag and colour readings, a text for text readings.
struct TKeyDefault {
    int32_t Number = 0;
    const char* Text = "";
};
struct TConfigKey {
    const char* Section;
    const char* Name;
    TKeyType Type;
    TKeyDefault Program; // every reader but the settings dialog
    TKeyDefault Dialog;  // the settings dialog (LoadSettings)

    constexpr TConfigKey(const char* section, const char* name, TKeyType type, TKeyDefault both)
        : Section(section), Name(name), Type(type), Program(both), Dialog(both) {}
    constexpr TConfigKey(const char* section, const char* name, TKeyType type, TKeyDefault program,
                         TKeyDefault dialog)
        : Section(section), Name(name), Type(type), Program(program), Dialog(dialog) {}
};

// What a new installation shows: both rates, today's and this month's traffic.
inline constexpr char kDefaultTemplate[] =
    "In: %kBinpersec% kB/s%nl%Out: %kBoutpersec% kB/s%nl%%nl%"
    "Today: %MBinouttoday% MB%nl%This month: %MBinoutthismonth% MB";
// Docked on the taskbar the meter has room for two short lines.
inline constexpr char kDefaultDockTemplate[] = "In: %kBinpersec% kB/s%nl%Out: %kBoutpersec% kB/s";
inline constexpr char kDefaultAlertLevels[] = "80,100";

namespace cfg {
using T = TKeyType;
constexpr TKeyDefault Number(int32_t n) {
    return {n, ""};
}
constexpr TKeyDefault Text(const char* t) {
    return {0, t};
}

// clang-format off
//                                           section     key                type        program             dialog (where it differs)
// The watched adapter: the program reads the index as a number, the dialog as the text it
// compares with its entries' leading numbers.
inline constexpr TConfigKey kActiveAdapter  {"network",   "activeadapter",   T::Integer, Number(1),          Text("0")};
inline constexpr TConfigKey kAdapterLuid    {"network",   "adapterluid",     T::Text,    Text("")};
inline constexpr TConfigKey kFollowActive   {"network",   "followactive",    T::Flag,    Number(true)};
// Several adapters counted together: their LUIDs separated by ";" (empty: the one above).
inline constexpr TConfigKey kAdapters       {"network",   "adapters",        T::Text,    Text("")};
// Automatic mode under a VPN: 1 counts the tunnel, 0 the physical adapter that carries it.
inline constexpr TConfigKey kCountVpn       {"network",   "countvpn",        T::Flag,    Number(false)};
inline constexpr TConfigKey kOpacity        {"display",   "opacity",         T::Integer, Number(100),        Number(0)};
inline constexpr TConfigKey kDropShadow     {"display",   "dropshadow",      T::Flag,    Number(true)};
inline constexpr TConfigKey kBackground     {"display",   "bgcolour",        T::Colour,  Number(kDefaultBackgroundColour)};
inline constexpr TConfigKey kBorder         {"display",   "bordercolour",    T::Colour,  Number(kWhiteColour)};
inline constexpr TConfigKey kFontColour     {"display",   "fontcolour",      T::Colour,  Number(kWhiteColour)};
inline constexpr TConfigKey kFontName       {"display",   "fontname",        T::Text,    Text("Trebuchet MS")};
inline constexpr TConfigKey kFontSize       {"display",   "fontsize",        T::Integer, Number(8)};
inline constexpr TConfigKey kFontBold       {"display",   "fontbold",        T::Flag,    Number(false)};
inline constexpr TConfigKey kFontItalic     {"display",   "fontitalic",      T::Flag,    Number(false)};
// A new installation shows the default template; the dialog shows an empty one.
inline constexpr TConfigKey kFormat         {"display",   "format",          T::Text,    Text(kDefaultTemplate), Text("")};
inline constexpr TConfigKey kDecimalPlaces  {"display",   "decimalplaces",   T::Integer, Number(2)};
inline constexpr TConfigKey kShowQuota      {"display",   "showquota",       T::Flag,    Number(true)};
// The program reads the quota as a number, the dialog shows the stored text as it is.
inline constexpr TConfigKey kMonthQuota     {"display",   "monthquota",      T::Integer, Number(10000),      Text("10000")};
inline constexpr TConfigKey kQuotaStartDay  {"display",   "quotastartday",   T::Integer, Number(1)};
// Both readings count in and out; the dialog's empty text says so through the parser.
inline constexpr TConfigKey kQuotaCounts    {"display",   "quotacounts",     T::Text,    Text("inout"),      Text("")};
inline constexpr TConfigKey kQuotaAlerts    {"display",   "quotaalerts",     T::Text,    Text(kDefaultAlertLevels)};
inline constexpr TConfigKey kQuotaAlertsShown{"display",  "quotaalertsshown",T::Text,    Text("")};
// Local hours the quota leaves out, "02:00-08:00"; empty counts every hour.
inline constexpr TConfigKey kQuotaFreeHours {"display",   "quotafreehours",  T::Text,    Text("")};
// The provider's figure for one period: "<period's first day> <its bytes> <bytes counted then>".
inline constexpr TConfigKey kQuotaOffset    {"display",   "quotaoffset",     T::Text,    Text("")};
inline constexpr TConfigKey kWidth          {"display",   "width",           T::Integer, Number(180)};
inline constexpr TConfigKey kHeight         {"display",   "height",          T::Integer, Number(228)};
inline constexpr TConfigKey kStayOnTop      {"display",   "stayontop",       T::Flag,    Number(true)};
inline constexpr TConfigKey kGoToTray       {"display",   "gototray",        T::Flag,    Number(true)};
// The tray icon shows the rates as bars instead of the program's icon.
inline constexpr TConfigKey kTrayRates      {"display",   "trayrates",       T::Flag,    Number(false)};
inline constexpr TConfigKey kTop            {"display",   "top",             T::Integer, Number(5)};
inline constexpr TConfigKey kLeft           {"display",   "left",            T::Integer, Number(5)};
// 1: the meter sits on the taskbar beside the notification area, with a template of its own.
inline constexpr TConfigKey kDock           {"display",   "dock",            T::Flag,    Number(false)};
inline constexpr TConfigKey kDockTemplate   {"display",   "docktemplate",    T::Text,    Text(kDefaultDockTemplate)};
// The program's own windows: "system" (as Windows' app mode), "light" or "dark".
inline constexpr TConfigKey kTheme          {"display",   "theme",           T::Text,    Text("system")};
// The texts' language: a code of res/lang/languages.txt ("de"), or empty for Windows' own.
inline constexpr TConfigKey kLanguage       {"display",   "language",        T::Text,    Text("")};
inline constexpr TConfigKey kDoLog          {"bandwidth", "dolog",           T::Flag,    Number(true)};
inline constexpr TConfigKey kDoLogIns       {"bandwidth", "dologins",        T::Flag,    Number(true)};
inline constexpr TConfigKey kDoLogOuts      {"bandwidth", "dologouts",       T::Flag,    Number(true)};
// Speed alerts: a notice when the rate in or out stays above a level in kB/s (0: off) for
// some seconds.
inline constexpr TConfigKey kRateAlertIn   {"bandwidth", "ratealertin",     T::Integer, Number(0)};
inline constexpr TConfigKey kRateAlertOut  {"bandwidth", "ratealertout",    T::Integer, Number(0)};
inline constexpr TConfigKey kRateAlertSeconds{"bandwidth","ratealertseconds",T::Integer, Number(30)};
// The History window's place (0: not placed yet), size (0: its own) and view.
inline constexpr TConfigKey kHistoryLeft    {"history",   "left",            T::Integer, Number(0)};
inline constexpr TConfigKey kHistoryTop     {"history",   "top",             T::Integer, Number(0)};
inline constexpr TConfigKey kHistoryWidth   {"history",   "width",           T::Integer, Number(0)};
inline constexpr TConfigKey kHistoryHeight  {"history",   "height",          T::Integer, Number(0)};
inline constexpr TConfigKey kHistoryView    {"history",   "view",            T::Integer, Number(0)};
// clang-format on
} // namespace cfg

enum class TReader { Program, Dialog };

int32_t ReadInt(const TMemIniFile& store, const TConfigKey& key, TReader reader = TReader::Program);
bool ReadFlag(const TMemIniFile& store, const TConfigKey& key, TReader reader = TReader::Program);
std::string ReadText(const TMemIniFile& store, const TConfigKey& key,
                     TReader reader = TReader::Program);
// The program's reading into `value`, reusing its storage (read every second).
void ReadText(const TMemIniFile& store, const TConfigKey& key, std::string& value);
// Whether the file holds the key at all, whatever its value.
bool IsStored(const TMemIniFile& store, const TConfigKey& key);

void WriteInt(TMemIniFile& store, const TConfigKey& key, int32_t value);
void WriteFlag(TMemIniFile& store, const TConfigKey& key, bool value);
void WriteText(TMemIniFile& store, const TConfigKey& key, const std::string& value);
