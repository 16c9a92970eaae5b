// The example configuration: what a first confirmed settings dialog stores when nothing was
// stored before and the adapter with index 2 is chosen (its base keys, in the dialog's order),
// and the file text that makes.
#pragma once
#include "config/mem_ini_file.h"

namespace testsupport {

inline void StoreExampleSettings(TMemIniFile& ini) {
    ini.StoreText("network", "activeadapter", "2");
    ini.StoreInt("display", "opacity", 10);
    ini.StoreFlag("display", "dropshadow", true);
    ini.StoreInt("display", "bgcolour", 12937777);
    ini.StoreInt("display", "bordercolour", 16777215);
    ini.StoreInt("display", "fontcolour", 16777215);
    ini.StoreText("display", "fontname", "Trebuchet MS");
    ini.StoreInt("display", "fontsize", 8);
    ini.StoreFlag("display", "fontbold", false);
    ini.StoreFlag("display", "fontitalic", false);
    ini.StoreText("display", "format", "");
    ini.StoreFlag("display", "showquota", true);
    ini.StoreText("display", "monthquota", "10000");
    ini.StoreText("display", "width", "180");
    ini.StoreText("display", "height", "228");
    ini.StoreFlag("display", "stayontop", true);
    ini.StoreInt("display", "decimalplaces", 2);
    ini.StoreFlag("display", "gototray", true);
    ini.StoreFlag("bandwidth", "dolog", true);
    ini.StoreFlag("bandwidth", "dologins", true);
    ini.StoreFlag("bandwidth", "dologouts", true);
}

inline constexpr const char kExampleIniText[] =
    "[network]\r\nactiveadapter=2\r\n\r\n"
    "[display]\r\nopacity=10\r\ndropshadow=1\r\nbgcolour=12937777\r\n"
    "bordercolour=16777215\r\nfontcolour=16777215\r\n"
    "fontname=Trebuchet MS\r\nfontsize=8\r\nfontbold=0\r\n"
    "fontitalic=0\r\nformat=\r\nshowquota=1\r\nmonthquota=10000\r\n"
    "width=180\r\nheight=228\r\nstayontop=1\r\ndecimalplaces=2\r\n"
    "gototray=1\r\n\r\n"
    "[bandwidth]\r\ndolog=1\r\ndologins=1\r\ndologouts=1\r\n\r\n";

} // namespace testsupport
