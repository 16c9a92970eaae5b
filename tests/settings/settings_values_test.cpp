// Tests of the mapping between the settings dialog's values and the configuration store.
#include "settings/network_keys.h"
#include "settings/settings_values.h"
#include "../support/test_files.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

// The file a first OK writes when nothing was stored and the adapter with index 2 is chosen.
const char kExampleFile[] = "[network]\r\n"
                            "activeadapter=2\r\n"
                            "adapterluid=0006000002000000\r\n"
                            "followactive=1\r\n"
                            "\r\n"
                            "[display]\r\n"
                            "opacity=10\r\n"
                            "dropshadow=1\r\n"
                            "bgcolour=12937777\r\n"
                            "bordercolour=16777215\r\n"
                            "fontcolour=16777215\r\n"
                            "fontname=Trebuchet MS\r\n"
                            "fontsize=8\r\n"
                            "fontbold=0\r\n"
                            "fontitalic=0\r\n"
                            "format=\r\n"
                            "showquota=1\r\n"
                            "monthquota=10000\r\n"
                            "width=180\r\n"
                            "height=228\r\n"
                            "stayontop=1\r\n"
                            "decimalplaces=2\r\n"
                            "gototray=1\r\n"
                            "quotastartday=1\r\n"
                            "quotacounts=inout\r\n"
                            "quotaalerts=80,100\r\n"
                            "\r\n"
                            "[bandwidth]\r\n"
                            "dolog=1\r\n"
                            "dologins=1\r\n"
                            "dologouts=1\r\n"
                            "\r\n";

// What the dialog does between loading and saving when the user changes nothing.
TSettingsValues AsTheControlsHoldThem(TSettingsValues values) {
    values.Opacity = OpacityForSlider(values.Opacity);
    values.DecimalPlaces = DecimalPlacesForUpDown(values.DecimalPlaces);
    values.QuotaStartDay = StartDayForUpDown(values.QuotaStartDay);
    return values;
}

using TempFolder = testsupport::TTempFolder;
using testsupport::ReadBytes;

} // namespace

TEST(SettingsValuesLoad, WithoutAnyFileEveryValueIsTheDialogsDefault) {
    TMemIniFile store("config.ini", "");
    const TSettingsValues v = LoadSettingsValues(store);
    EXPECT_EQ(v.ActiveAdapterText, "0");
    EXPECT_FALSE(v.SelectedAdapterEntry.has_value());
    EXPECT_EQ(v.Opacity, 0);
    EXPECT_EQ(OpacityForSlider(v.Opacity), 10);
    EXPECT_TRUE(v.DropShadow);
    EXPECT_EQ(v.BackgroundColour, 12937777);
    EXPECT_EQ(v.BorderColour, 16777215);
    EXPECT_EQ(v.FontColour, 16777215);
    EXPECT_EQ(v.FontName, "Trebuchet MS");
    EXPECT_EQ(v.FontSize, 8);
    EXPECT_FALSE(v.FontBold);
    EXPECT_FALSE(v.FontItalic);
    EXPECT_EQ(v.Format, "");
    EXPECT_TRUE(v.LogBandwidth);
    EXPECT_TRUE(v.LogInbound);
    EXPECT_TRUE(v.LogOutbound);
    EXPECT_TRUE(v.ShowQuota);
    EXPECT_EQ(v.MonthQuota, "10000");
    EXPECT_EQ(v.Width, "180");
    EXPECT_EQ(v.Height, "228");
    EXPECT_TRUE(v.StayOnTop);
    EXPECT_EQ(v.DecimalPlaces, 2);
    EXPECT_TRUE(v.MinimizeToTray);
    EXPECT_EQ(v.QuotaStartDay, 1);
    EXPECT_EQ(v.QuotaCounts, "inout");
    EXPECT_EQ(v.QuotaAlerts, "80,100");
}

TEST(SettingsValuesLoad, ReadsStoredValuesWithEachReadersRule) {
    TMemIniFile store("config.ini", "[Network]\nActiveAdapter=02\n"
                                    "[display]\nopacity=55\ndropshadow=0\nbgcolour=$FF\n"
                                    "fontname=Courier New\nfontsize=11\nfontbold=1\n"
                                    "fontitalic=true\nmonthquota=lots\nwidth=wide\n"
                                    "height=300\nstayontop=0\ndecimalplaces=65539\n"
                                    "gototray=0\nshowquota=0\nquotastartday=40\ndock=1\n"
                                    "quotacounts=out\nquotaalerts= 100,90, x\n"
                                    "[bandwidth]\ndolog=0\ndologins=2\ndologouts=0\n");
    const TSettingsValues v = LoadSettingsValues(store);
    EXPECT_EQ(v.ActiveAdapterText, "02"); // as text, not as a number
    EXPECT_EQ(v.Opacity, 55);
    EXPECT_FALSE(v.DropShadow);
    EXPECT_EQ(v.BackgroundColour, 255);
    EXPECT_EQ(v.FontName, "Courier New");
    EXPECT_EQ(v.FontSize, 11);
    EXPECT_TRUE(v.FontBold);
    EXPECT_FALSE(v.FontItalic); // "true" is not an integer: the default
    EXPECT_EQ(v.MonthQuota, "lots");
    EXPECT_EQ(v.Width, "180"); // through the integer reader
    EXPECT_EQ(v.Height, "300");
    EXPECT_FALSE(v.StayOnTop);
    EXPECT_EQ(v.DecimalPlaces, 3); // 65539 taken as a 16-bit number
    EXPECT_FALSE(v.MinimizeToTray);
    EXPECT_TRUE(v.Dock);
    EXPECT_FALSE(v.ShowQuota);
    EXPECT_EQ(StartDayForUpDown(v.QuotaStartDay), 31);
    EXPECT_EQ(v.QuotaCounts, "out");
    EXPECT_EQ(v.QuotaAlerts, "90,100"); // what takes effect
    EXPECT_FALSE(v.LogBandwidth);
    EXPECT_TRUE(v.LogInbound);
    EXPECT_FALSE(v.LogOutbound);
}

TEST(SettingsValuesLoad, PresentButEmptyTextsStayEmpty) {
    TMemIniFile store("config.ini", "[display]\nformat=\nmonthquota=\n");
    const TSettingsValues v = LoadSettingsValues(store);
    EXPECT_EQ(v.Format, "");
    EXPECT_EQ(v.MonthQuota, "");
}

TEST(SettingsValuesSave, FirstOkWithoutAFileWritesTheExampleFileByteForByte) {
    TempFolder folder;
    const std::string path = folder.File("config.ini");
    TMemIniFile store(path);
    TSettingsValues v = AsTheControlsHoldThem(LoadSettingsValues(store));
    v.SelectedAdapterEntry = "2. Ethernet Controller";
    v.SelectedAdapterLuid = 0x0006000002000000;
    SaveSettingsValues(store, v);
    store.FlushToFile();
    EXPECT_EQ(ReadBytes(path), kExampleFile);
}

TEST(SettingsValuesSave, WithoutAUsableAdapterEntryTheStoredAdapterStays) {
    for (const char* entry : {"", "Ethernet Controller", "x. Ethernet", "."}) {
        TMemIniFile store("config.ini", "[network]\nactiveadapter=7\n");
        TSettingsValues v = LoadSettingsValues(store);
        v.SelectedAdapterEntry = entry;
        SaveSettingsValues(store, v);
        EXPECT_EQ(store.QueryText("network", "activeadapter", "none"), "7") << entry;
    }
    TMemIniFile empty("config.ini", "");
    SaveSettingsValues(empty, LoadSettingsValues(empty));
    EXPECT_EQ(empty.QueryText("network", "activeadapter", "none"), "none");
    EXPECT_EQ(empty.ToText().rfind("[display]", 0), 0u) << "no network section is created";
}

// The stored LUID names the adapter already chosen, wherever its index went, while its entry is
// only preselected; an adapter chosen, the same again too, brings its own, or clears the old
// one when its own is unknown.
TEST(SettingsValuesSave, AdapterLuidFollowsEveryChoice) {
    const std::string stored = "activeadapter=7\nadapterluid=00060000AA000000\n";
    const uint64_t luid7 = 0x0006000007000000, luid9 = 0x0006000009000000;
    struct Case {
        std::string Stored;
        const char* Entry;
        uint64_t Luid;
        bool Chosen;
        const char* Expected; // nullptr: no key
    } cases[] = {
        {stored, "7. Same", luid7, false, "00060000AA000000"},
        {stored, "7. Same", luid7, true, "0006000007000000"},
        {"activeadapter=7\nadapterluid=zz\n", "7. Same", luid7, true, "0006000007000000"},
        {"activeadapter=7\n", "7. Same", luid7, true, "0006000007000000"},
        {stored, "9. Other", luid9, false, "0006000009000000"},
        {stored, "9. Other", 0, true, ""},
        {"activeadapter=7\n", "9. Other", 0, true, nullptr},
    };
    for (const Case& c : cases) {
        TMemIniFile store("config.ini", "[network]\n" + c.Stored);
        TSettingsValues v = LoadSettingsValues(store);
        v.SelectedAdapterEntry = c.Entry;
        v.SelectedAdapterLuid = c.Luid;
        v.AdapterChosen = c.Chosen;
        SaveSettingsValues(store, v);
        EXPECT_EQ(store.QueryText("network", "adapterluid", "(none)"),
                  c.Expected ? c.Expected : "(none)")
            << c.Stored << c.Entry << c.Chosen;
    }
}

// The appearance as stored, anything else as "As Windows"; written once it is chosen or stored.
TEST(SettingsValuesSave, AppearanceIsReadAndWrittenOnceChosen) {
    struct Case {
        const char* Stored;
        TThemeSetting Shown, Chosen;
        const char* Expected; // nullptr: no key
    } cases[] = {{"", TThemeSetting::System, TThemeSetting::System, nullptr},
                 {"", TThemeSetting::System, TThemeSetting::Dark, "dark"},
                 {"theme=light\n", TThemeSetting::Light, TThemeSetting::System, "system"},
                 {"theme=dark\n", TThemeSetting::Dark, TThemeSetting::Dark, "dark"},
                 {"theme=Dark\n", TThemeSetting::System, TThemeSetting::Light, "light"}};
    for (const Case& c : cases) {
        TMemIniFile store("config.ini", std::string("[display]\n") + c.Stored);
        TSettingsValues v = LoadSettingsValues(store);
        EXPECT_EQ(v.Theme, c.Shown) << c.Stored;
        v.Theme = c.Chosen;
        SaveSettingsValues(store, v);
        EXPECT_EQ(store.QueryText("display", "theme", "(none)"), c.Expected ? c.Expected : "(none)")
            << c.Stored << static_cast<int>(c.Chosen);
    }
}

// The language as stored, whatever its code; written once chosen or stored.
TEST(SettingsValuesSave, LanguageIsReadAndWrittenOnceChosen) {
    const struct {
        const char* Stored;
        const char* Shown;
        const char* Chosen;
        const char* Expected; // nullptr: no key
    } cases[] = {{"", "", "", nullptr},
                 {"", "", "de", "de"},
                 {"language=qps\n", "qps", "qps", "qps"},
                 {"language=fr\n", "fr", "", ""}};
    for (const auto& c : cases) {
        TMemIniFile store("config.ini", std::string("[display]\n") + c.Stored);
        TSettingsValues v = LoadSettingsValues(store);
        EXPECT_EQ(v.Language, c.Shown);
        v.Language = c.Chosen;
        SaveSettingsValues(store, v);
        EXPECT_EQ(store.QueryText("display", "language", "(none)"), c.Expected ? c.Expected : "(none)")
            << c.Stored << c.Chosen;
    }
}

// The tray icon's rates: written once chosen or stored, so a file without them stays so.
TEST(SettingsValuesSave, TrayRatesAreWrittenOnceChosenOrStored) {
    TMemIniFile fresh("config.ini", "");
    SaveSettingsValues(fresh, LoadSettingsValues(fresh));
    EXPECT_EQ(fresh.QueryText("display", "trayrates", "(none)"), "(none)");
    TMemIniFile chosen("config.ini", "[display]\ntrayrates=1\n");
    TSettingsValues v = LoadSettingsValues(chosen);
    EXPECT_TRUE(v.TrayRates);
    v.TrayRates = false;
    SaveSettingsValues(chosen, v);
    EXPECT_EQ(chosen.QueryText("display", "trayrates", "(none)"), "0");
}

// Hours that are no range are refused before anything is written: the dialog stays open.
TEST(SettingsValuesSave, FreeHoursAreStoredAsTypedOrRefusedWhole) {
    TMemIniFile store("config.ini", "[display]\nmonthquota=500\n");
    TSettingsValues v = LoadSettingsValues(store);
    v.MonthQuota = "700";
    v.QuotaFreeHours = "2-8";
    EXPECT_THROW(SaveSettingsValues(store, v), std::runtime_error);
    EXPECT_EQ(store.QueryText("display", "monthquota", ""), "500");
    v.QuotaFreeHours = "22:00-06:00";
    SaveSettingsValues(store, v);
    EXPECT_EQ(LoadSettingsValues(store).QuotaFreeHours, "22:00-06:00");
    EXPECT_EQ(store.QueryText("display", "monthquota", ""), "700");
}

TEST(SettingsValuesSave, OptionIsWrittenWhereTheOtherKeysWouldNotSayIt) {
    struct Case {
        const char* Stored;
        const char* Entry; // nullptr: none selected
        bool Follow;
        const char* Expected; // nullptr: no key
    } cases[] = {{"", nullptr, true, nullptr},
                 {"", nullptr, false, "0"},
                 {"", "2. Ethernet", true, "1"},
                 {"", "2. Ethernet", false, nullptr},
                 {"activeadapter=7\n", nullptr, false, nullptr},
                 {"followactive=1\n", nullptr, true, "1"}};
    for (const Case& c : cases) {
        TMemIniFile store("config.ini", std::string("[network]\n") + c.Stored);
        TSettingsValues v = LoadSettingsValues(store);
        if (c.Entry)
            v.SelectedAdapterEntry = c.Entry;
        v.FollowActive = c.Follow;
        SaveSettingsValues(store, v);
        EXPECT_EQ(store.QueryText("network", "followactive", "(none)"),
                  c.Expected ? c.Expected : "(none)")
            << c.Stored << (c.Entry ? c.Entry : "") << c.Follow;
        EXPECT_EQ(FollowsActiveConnection(store), c.Follow);
    }
}

TEST(NetworkKeys, AStoredAdapterMeansExplicitUnlessTheOptionSaysOtherwise) {
    struct Case {
        const char* Text;
        bool Automatic;
    } cases[] = {{"", true},
                 {"[network]\nactiveadapter=2\n", false},
                 {"[network]\nactiveadapter=\n", false},
                 {"[network]\nactiveadapter=2\nfollowactive=1\n", true},
                 {"[network]\nfollowactive=0\n", false},
                 {"[network]\nfollowactive=yes\n", true}};
    for (const Case& c : cases) {
        TMemIniFile store("config.ini", c.Text);
        EXPECT_EQ(FollowsActiveConnection(store), c.Automatic) << c.Text;
        EXPECT_EQ(LoadSettingsValues(store).FollowActive, c.Automatic) << c.Text;
        EXPECT_EQ(StoredAdapterTarget(store).Automatic, c.Automatic) << c.Text;
    }
    TMemIniFile stored("config.ini", "[network]\nactiveadapter=4\nadapterluid=0006000004000000\n");
    const TAdapterTarget target = StoredAdapterTarget(stored);
    EXPECT_EQ(target.Index, 4u);
    EXPECT_EQ(target.Identity, 0x0006000004000000u);
    EXPECT_EQ(StoredAdapterTarget(TMemIniFile("config.ini", "[network]\nfollowactive=0\n")).Index,
              1u);
}

// The list adds the other adapters to the one "activeadapter" names, each once; a list is no
// reason to leave automatic mode, and an entry that is no LUID names none.
TEST(NetworkKeys, SeveralAdaptersFollowTheFirst) {
    const char* list = "[network]\nactiveadapter=4\nadapterluid=0006000004000000\n"
                       "adapters=0006000004000000;0047000009000000;junk;0047000009000000;;"
                       "0006000011000000\n";
    const std::vector<TAdapterTarget> targets =
        StoredAdapterTargets(TMemIniFile("config.ini", list));
    ASSERT_EQ(targets.size(), 3u);
    EXPECT_EQ(targets[0].Index, 4u);
    EXPECT_EQ(targets[0].Identity, 0x0006000004000000u);
    EXPECT_EQ(targets[1].Identity, 0x0047000009000000u);
    EXPECT_EQ(targets[1].Index, 0u) << "found by its identity alone";
    EXPECT_EQ(targets[2].Identity, 0x0006000011000000u);
    EXPECT_EQ(
        StoredAdapterTargets(TMemIniFile("config.ini", std::string(list) + "followactive=1\n"))
            .size(),
        1u);
    EXPECT_EQ(
        StoredAdapterTargets(TMemIniFile("config.ini", "[network]\nactiveadapter=4\n")).size(), 1u);
    EXPECT_FALSE(StoredAdapterTarget(TMemIniFile("config.ini", "")).CountTunnel);
    EXPECT_TRUE(
        StoredAdapterTarget(TMemIniFile("config.ini", "[network]\ncountvpn=1\n")).CountTunnel);
}

TEST(NetworkKeys, TheWatchedAdapterIsRememberedOnlyWhenItMoved) {
    TMemIniFile store("config.ini", "[network]\nactiveadapter=02\n");
    RememberWatchedAdapter(store, 2, 0);
    EXPECT_EQ(store.ToText(), "[network]\r\nactiveadapter=02\r\n\r\n") << "nothing changed";
    RememberWatchedAdapter(store, 2, 0x0006000002000000);
    RememberWatchedAdapter(store, 9, 0x0006000002000000);
    EXPECT_EQ(store.ToText(),
              "[network]\r\nactiveadapter=9\r\nadapterluid=0006000002000000\r\n\r\n");
}

// An identity is a number: any case of its digits names it, and a text that is no LUID (nor
// the LUID 0) names none, so the monitor learns it again from the adapter at the index.
TEST(NetworkKeys, AStoredIdentityThatIsNoLuidCountsAsNone) {
    for (const std::string& text : {std::string("zz"), std::string(16, '0'), std::string(40, '7'),
                                    std::string("0x06000004000000")}) {
        TMemIniFile store("config.ini", "[network]\nactiveadapter=4\nadapterluid=" + text + "\n");
        EXPECT_EQ(StoredAdapterTarget(store).Identity, 0u) << text;
        RememberWatchedAdapter(store, 4, 0x0006000004000000);
        EXPECT_EQ(store.QueryText("network", "adapterluid", ""), "0006000004000000") << text;
    }
    TMemIniFile lower("config.ini", "[network]\nactiveadapter=4\nadapterluid=00060000aa00000f\n");
    EXPECT_EQ(StoredAdapterTarget(lower).Identity, 0x00060000AA00000Fu);
    RememberWatchedAdapter(lower, 4, 0x00060000AA00000F);
    EXPECT_EQ(lower.QueryText("network", "adapterluid", ""), "00060000aa00000f") << "the same";
    EXPECT_EQ(LuidText(0), "");
    EXPECT_EQ(LuidText(0x0018000001000000), "0018000001000000");
}

TEST(SettingsValuesSave, EntryIndexIsStoredAsAnInteger) {
    TMemIniFile store("config.ini", "[network]\nactiveadapter=7\n");
    TSettingsValues v = LoadSettingsValues(store);
    v.SelectedAdapterEntry = "12. Adapter 2.0";
    SaveSettingsValues(store, v);
    EXPECT_EQ(store.QueryText("network", "activeadapter", ""), "12");
}

TEST(SettingsValuesSave, FreeTextFieldsAreStoredAsTyped) {
    TMemIniFile store("config.ini", "");
    TSettingsValues v = LoadSettingsValues(store);
    v.MonthQuota = " 5 GB";
    v.Width = "wide";
    v.Height = "";
    SaveSettingsValues(store, v);
    EXPECT_EQ(store.QueryText("display", "monthquota", "?"), " 5 GB");
    EXPECT_EQ(store.QueryText("display", "width", "?"), "wide");
    EXPECT_EQ(store.QueryText("display", "height", "?"), "");
    EXPECT_EQ(LoadSettingsValues(store).Width, "180");
}

TEST(SettingsValuesSave, DirectionSwitchesAreStoredWhateverTheMainSwitch) {
    TMemIniFile store("config.ini", "");
    TSettingsValues v = LoadSettingsValues(store);
    v.LogBandwidth = false;
    v.LogInbound = true;
    v.LogOutbound = false;
    SaveSettingsValues(store, v);
    EXPECT_EQ(store.QueryText("bandwidth", "dolog", "?"), "0");
    EXPECT_EQ(store.QueryText("bandwidth", "dologins", "?"), "1");
    EXPECT_EQ(store.QueryText("bandwidth", "dologouts", "?"), "0");
}

TEST(SettingsValuesTemplate, TwoLinesAreStoredOnOneLineAndComeBackAsTwo) {
    TMemIniFile store("config.ini", "");
    TSettingsValues v = LoadSettingsValues(store);
    v.Format = "In %kBinpersec%\r\nOut %kBoutpersec%";
    SaveSettingsValues(store, v);
    EXPECT_EQ(store.QueryText("display", "format", ""), "In %kBinpersec%%nl%Out %kBoutpersec%");
    EXPECT_EQ(LoadSettingsValues(store).Format, v.Format);
}

TEST(SettingsValuesTemplate, LineBreakTagMatchesEveryOccurrenceAndExactCase) {
    EXPECT_EQ(TemplateForEditing("a%nl%%nl%b%NL%c%nl"), "a\r\n\r\nb%NL%c%nl");
    EXPECT_EQ(TemplateForStoring("a\r\n\r\nb\nc\r"), "a%nl%%nl%b\nc\r");
    EXPECT_EQ(TemplateForEditing(""), "");
    // A tag the user inserted stands as typed and reopens as a line break.
    EXPECT_EQ(TemplateForEditing(TemplateForStoring("x%nl%y")), "x\r\ny");
}

TEST(SettingsValuesLimits, SliderAndUpDownShowStoredValuesWithinTheirRanges) {
    EXPECT_EQ(OpacityForSlider(0), 10);
    EXPECT_EQ(OpacityForSlider(-5), 10);
    EXPECT_EQ(OpacityForSlider(55), 55);
    EXPECT_EQ(OpacityForSlider(250), 100);
    EXPECT_EQ(DecimalPlacesForUpDown(2), 2);
    EXPECT_EQ(DecimalPlacesForUpDown(12), 9);
    EXPECT_EQ(DecimalPlacesForUpDown(-1), 0);
    EXPECT_EQ(DecimalPlacesForUpDown(65536 + 4), 4);
}

TEST(SettingsValuesLimits, TypedDecimalPlacesCountOnlyFromZeroToNine) {
    EXPECT_EQ(ParseDecimalPlaces("7", 2), 7);
    EXPECT_EQ(ParseDecimalPlaces("0", 2), 0);
    EXPECT_EQ(ParseDecimalPlaces("09", 2), 9);
    EXPECT_EQ(ParseDecimalPlaces("12", 2), 2);
    EXPECT_EQ(ParseDecimalPlaces("10", 4), 4);
    EXPECT_EQ(ParseDecimalPlaces("", 3), 3);
    EXPECT_EQ(ParseDecimalPlaces("-1", 3), 3);
    EXPECT_EQ(ParseDecimalPlaces("4a", 3), 3);
    EXPECT_EQ(ParseDecimalPlaces("99999999999999999999", 5), 5);
    EXPECT_EQ(ParseStartDay("31", 1), 31);
    EXPECT_EQ(ParseStartDay("0", 15), 15);
    EXPECT_EQ(ParseStartDay("32", 15), 15);
}

// Speed alerts: typed levels and seconds within their ranges, and written once set or stored.
TEST(SettingsValuesSave, RateAlertsAreCheckedAndWrittenOnceSet) {
    EXPECT_EQ(ParseRateAlertLevel("0", 5), 0);
    EXPECT_EQ(ParseRateAlertLevel("10000000", 5), 10000000);
    EXPECT_EQ(ParseRateAlertLevel("10000001", 5), 5);
    EXPECT_EQ(ParseRateAlertLevel("1.5", 5), 5);
    EXPECT_EQ(ParseRateAlertSeconds("0", 30), 30);
    EXPECT_EQ(ParseRateAlertSeconds("3600", 30), 3600);
    TMemIniFile store("config.ini", "");
    TSettingsValues v = LoadSettingsValues(store);
    SaveSettingsValues(store, v);
    EXPECT_EQ(store.ToText().find("ratealert"), std::string::npos);
    v.RateAlertOut = 200;
    SaveSettingsValues(store, v);
    EXPECT_EQ(store.QueryText("bandwidth", "ratealertout", "(none)"), "200");
    EXPECT_EQ(store.QueryText("bandwidth", "ratealertin", "(none)"), "(none)");
    EXPECT_EQ(LoadSettingsValues(store).RateAlertOut, 200);
}
