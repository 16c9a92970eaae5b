// Tests of the settings dialog created in this process: what it shows when it opens, what OK
// and Cancel store, and the Adapters tab, with the real controls and the machine's adapters.
#include "settings_dialog_fixture.h"
#include "settings/adapter_entries.h"
#include "settings/network_keys.h"
#include "traffic/ip_helper.h"

#include <commctrl.h>

using dialogtest::ReadBytes;

namespace {

// What the first OK writes when nothing was stored; activeadapter comes from the entry chosen,
// adapterluid from its interface.
std::string ExampleFile(const std::string& adapter, const std::string& luid) {
    return "[network]\r\nactiveadapter=" + adapter + "\r\nadapterluid=" + luid +
           "\r\nfollowactive=1\r\n\r\n[display]\r\nopacity=10\r\ndropshadow=1\r\nbgcolour="
           "12937777\r\n"
           "bordercolour=16777215\r\nfontcolour=16777215\r\nfontname=Trebuchet MS\r\n"
           "fontsize=8\r\nfontbold=0\r\nfontitalic=0\r\nformat=\r\nshowquota=1\r\n"
           "monthquota=10000\r\nwidth=180\r\nheight=228\r\nstayontop=1\r\ndecimalplaces=2\r\n"
           "gototray=1\r\nquotastartday=1\r\nquotacounts=inout\r\nquotaalerts=80,100\r\n"
           "\r\n[bandwidth]\r\ndolog=1\r\ndologins=1\r\ndologouts=1\r\n\r\n";
}

} // namespace

TEST_F(SettingsDialogTest, WithoutConfigEveryControlShowsItsDefault) {
    TMemIniFile store(ConfigPath());
    auto dialog = Open(store);
    Tf_Settings& d = *dialog;
    EXPECT_EQ(dialogtest::WindowText(d.Handle()), "Settings");
    EXPECT_EQ(Selected(d, scNetworkAdapters), CB_ERR);
    EXPECT_EQ(Text(d, scAdapterDetails), "");
    EXPECT_TRUE(Checked(d, scFollowActive)) << "a new installation follows the active connection";
    EXPECT_EQ(Text(d, scFollowActive), "Follow the active connection");
    // The adapter the route look-up picks now, as its list entry reads.
    uint32_t active = 0;
    const std::vector<std::string> entries = Entries(d, scNetworkAdapters);
    const int entry = ActiveConnectionIndex(active)
                          ? FindStoredAdapterEntry(entries, std::to_string(active))
                          : kNoEntry;
    EXPECT_EQ(Text(d, scActiveConnection),
              "Active connection now: " +
                  (entry == kNoEntry ? std::string("none") : entries[static_cast<size_t>(entry)]));
    EXPECT_EQ(::SendMessageA(d.Item(scOpacity), TBM_GETPOS, 0, 0), 10);
    EXPECT_TRUE(Checked(d, scDropShadow));
    EXPECT_EQ(SwatchColour(d, scBackgroundColour), 12937777u);
    EXPECT_EQ(SwatchColour(d, scBorderColour), 16777215u);
    EXPECT_EQ(SwatchColour(d, scFontColour), 16777215u);
    EXPECT_FALSE(Checked(d, scBold));
    EXPECT_FALSE(Checked(d, scItalic));
    EXPECT_EQ(Text(d, scDisplayFormat), "");
    EXPECT_EQ(Selected(d, scTags), CB_ERR);
    for (int id : {scLogBandwidth, scInbound, scOutbound}) {
        EXPECT_TRUE(Checked(d, id)) << id;
        EXPECT_TRUE(Enabled(d, id)) << id;
    }
    EXPECT_TRUE(Checked(d, scShowQuota));
    EXPECT_EQ(Text(d, scMonthQuota), "10000");
    EXPECT_EQ(Text(d, scWidth), "180");
    EXPECT_EQ(Text(d, scHeight), "228");
    EXPECT_TRUE(Checked(d, scStayOnTop));
    EXPECT_TRUE(Checked(d, scMinimizeToTray));
    EXPECT_EQ(Text(d, scDecimalPlaces), "2");
    EXPECT_EQ(::SendMessageA(d.Item(scDecimalPlacesUpDown), UDM_GETPOS32, 0, 0), 2);
    EXPECT_EQ(Text(d, scQuotaStartDay), "1");
    EXPECT_EQ(Entries(d, scQuotaCounts),
              (std::vector<std::string>{"in and out", "in only", "out only"}));
    EXPECT_EQ(Selected(d, scQuotaCounts), 0);
    EXPECT_EQ(Text(d, scQuotaAlerts), "80,100");
    EXPECT_FALSE(Checked(d, scRunOnStartup)); // no value in the key
    EXPECT_EQ(Entries(d, scTheme), (std::vector<std::string>{"As Windows", "Light", "Dark"}));
    EXPECT_EQ(Selected(d, scTheme), 0);
    EXPECT_FALSE(dialogtest::FileExists(ConfigPath())) << "opening writes nothing";
}

// "Appearance" is a row of its own on the General tab, under its other controls and inside the
// page; the stored choice is shown and the one chosen stored.
TEST_F(SettingsDialogTest, AppearanceRowIsBelowTheGeneralTabsControlsAndStoresTheChoice) {
    dialogtest::WriteBytes(ConfigPath(), "[display]\r\ntheme=dark\r\n");
    TMemIniFile store(ConfigPath());
    auto dialog = Open(store);
    Tf_Settings& d = *dialog;
    HWND theme = d.Item(scTheme);
    HWND page = ::GetParent(theme);
    EXPECT_EQ(page, ::GetParent(d.Item(scRunOnStartup)));
    RECT list, above, area;
    ::GetWindowRect(theme, &list);
    ::GetWindowRect(d.Item(scRunOnStartup), &above);
    ::GetWindowRect(page, &area);
    EXPECT_GE(list.top, above.bottom);
    EXPECT_LE(list.bottom, area.bottom);
    EXPECT_EQ(Selected(d, scTheme), 2);
    ChooseEntry(d, scTheme, 1);
    Click(d, scOK);
    EXPECT_EQ(store.QueryText("display", "theme", ""), "light");
}

// "Language:" ends the appearance's row under the frame's right end: "As Windows" first, then
// each language in its own name; a code not listed (the tests' pseudo-language) stays stored.
TEST_F(SettingsDialogTest, LanguageListEndsTheAppearanceRowAndStoresTheChoice) {
    dialogtest::WriteBytes(ConfigPath(), "[display]\r\nlanguage=qps\r\n");
    TMemIniFile store(ConfigPath());
    {
        auto dialog = Open(store);
        Tf_Settings& d = *dialog;
        HWND language = d.Item(scLanguage);
        RECT list, theme, area;
        ::GetWindowRect(language, &list);
        ::GetWindowRect(d.Item(scTheme), &theme);
        ::GetWindowRect(::GetParent(language), &area);
        EXPECT_EQ(::GetParent(language), ::GetParent(d.Item(scTheme)));
        EXPECT_EQ(list.top, theme.top);
        EXPECT_GT(list.left, theme.right);
        EXPECT_LT(list.right, area.right);
        EXPECT_EQ(Entries(d, scLanguage),
                  (std::vector<std::string>{"As Windows", "English", "Deutsch", "Français",
                                            "Español", "中文(简体)"}));
        EXPECT_EQ(Selected(d, scLanguage), -1);
        Click(d, scOK);
    }
    EXPECT_EQ(store.QueryText("display", "language", ""), "qps");
    auto dialog = Open(store);
    ChooseEntry(*dialog, scLanguage, 1);
    Click(*dialog, scOK);
    EXPECT_EQ(store.QueryText("display", "language", ""), "en");
}

TEST_F(SettingsDialogTest, WindowTabsAndButtonsAreAsDesigned) {
    TMemIniFile store(ConfigPath());
    auto dialog = Open(store);
    Tf_Settings& d = *dialog;
    const int dpi = WindowDpi(d.Handle());
    RECT client;
    ::GetClientRect(d.Handle(), &client);
    EXPECT_EQ(client.right, ::MulDiv(454, dpi, 96));
    EXPECT_EQ(client.bottom, ::MulDiv(299, dpi, 96));
    LONG style = ::GetWindowLongA(d.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));

    HWND tabs = d.Item(scTabs);
    ASSERT_EQ(::SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 5);
    const char* captions[] = {"Adapters", "Display", "Information", "Logs", "General"};
    const int icons[] = {1, 3, 4, 6, 5};
    for (int i = 0; i < 5; ++i) {
        char text[32] = {};
        TCITEMA item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        ASSERT_TRUE(::SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item)));
        EXPECT_STREQ(text, captions[i]);
        EXPECT_EQ(item.iImage, icons[i]);
    }
    EXPECT_EQ(::SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(::GetWindowLongA(::GetParent(d.Item(scNetworkAdapters)), GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(::GetWindowLongA(::GetParent(d.Item(scOpacity)), GWL_STYLE) & WS_VISIBLE);
    d.SelectTab(3);
    EXPECT_TRUE(::GetWindowLongA(::GetParent(d.Item(scResetLogs)), GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(::GetWindowLongA(::GetParent(d.Item(scNetworkAdapters)), GWL_STYLE) & WS_VISIBLE);

    EXPECT_EQ(Text(d, scOK), "&OK");
    EXPECT_EQ(Text(d, scCancel), "&Cancel");
    EXPECT_EQ(Text(d, scResetLogs), "&Reset Logs");
    EXPECT_EQ(::SendMessageA(d.Handle(), DM_GETDEFID, 0, 0), MAKELRESULT(scOK, DC_HASDEFID));
    EXPECT_EQ(d.Item(IDCANCEL), nullptr) << "no button answers Escape";
    EXPECT_EQ(::GetWindowLongA(d.Item(scNetworkAdapters), GWL_STYLE) & 3, CBS_DROPDOWNLIST);
}

TEST_F(SettingsDialogTest, TagListHoldsTheFiftyNineEntriesInOrder) {
    TMemIniFile store(ConfigPath());
    auto dialog = Open(store);
    const std::vector<std::string> tags = Entries(*dialog, scTags);
    ASSERT_EQ(tags.size(), 59u);
    EXPECT_EQ(tags[0], "%nl% - New Line");
    EXPECT_EQ(tags[3], "%MBoutpersec% - Megabytes out per second");
    EXPECT_EQ(tags[4], "%MBinpersec% - Megabytes in per second");
    EXPECT_EQ(tags[5], "%Mbinpersec% - Megabits in per second");
    EXPECT_EQ(tags[47], "%GBout% - Gigabytes out since reboot");
    EXPECT_EQ(tags[48], "%MBinoutthisperiod% - Megabytes in/out this billing period");
    EXPECT_EQ(tags[58], "%MBperdayleft% - Megabytes of the quota left per day left");
}

TEST_F(SettingsDialogTest, OkWithTheAdapterOfIndexTwoWritesTheExampleFile) {
    TMemIniFile store(ConfigPath());
    auto dialog = Open(store);
    const std::vector<std::string> entries = Entries(*dialog, scNetworkAdapters);
    ASSERT_FALSE(entries.empty()) << "the machine lists no interface";
    // The list comes from this machine: index 2 when it has one, else the first entry.
    int choice = FindStoredAdapterEntry(entries, "2");
    if (choice == kNoEntry)
        choice = 0;
    const std::string index = AdapterEntryIndexText(entries[static_cast<size_t>(choice)]);
    ChooseEntry(*dialog, scNetworkAdapters, choice);
    EXPECT_EQ(Text(*dialog, scAdapterDetails).rfind("Name:  ", 0), 0u);
    Click(*dialog, scOK);
    EXPECT_FALSE(::IsWindow(dialog->Handle())) << "OK closes the dialog";
    TInterfaceEntry2 row;
    ASSERT_TRUE(ReadInterfaceEntry2(static_cast<uint32_t>(std::stoul(index)), row));
    EXPECT_EQ(ReadBytes(ConfigPath()), ExampleFile(index, LuidText(row.Luid)));
    EXPECT_FALSE(RunValueExists());
}

// A damaged identity is mended by choosing the same adapter again.
TEST_F(SettingsDialogTest, ChoosingTheStoredAdapterAgainWritesItsLuid) {
    TInterfaceEntry2 row;
    ASSERT_TRUE(ReadInterfaceEntry2(1, row)) << "the loopback has a LUID";
    dialogtest::WriteBytes(ConfigPath(), "[network]\r\nactiveadapter=1\r\nadapterluid=zz\r\n");
    TMemIniFile store(ConfigPath());
    auto dialog = Open(store);
    const LRESULT stored = Selected(*dialog, scNetworkAdapters);
    ASSERT_NE(stored, CB_ERR);
    ChooseEntry(*dialog, scNetworkAdapters, static_cast<int>(stored));
    Click(*dialog, scOK);
    EXPECT_EQ(store.QueryText("network", "adapterluid", ""), LuidText(row.Luid));
}

// The stored list is ticked in the check list, an adapter that is away too (under its LUID), and
// saved as it was with the first ticked named by "activeadapter"; unticking the box empties it.
// Shown once the dialog is: the dialog itself is never shown here.
bool Shown(HWND control) {
    return (::GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

TEST_F(SettingsDialogTest, SeveralAdaptersAreTickedAndSaved) {
    TInterfaceEntry2 row;
    ASSERT_TRUE(ReadInterfaceEntry2(1, row)) << "the loopback has a LUID";
    const std::string list = LuidText(row.Luid) + ";00470000090000AA";
    dialogtest::WriteBytes(ConfigPath(),
                           "[network]\r\nactiveadapter=9\r\nadapters=" + list + "\r\n");
    TMemIniFile store(ConfigPath());
    auto dialog = Open(store);
    EXPECT_TRUE(Checked(*dialog, scSeveralAdapters));
    HWND checklist = dialog->Item(scAdapterChecklist);
    EXPECT_TRUE(Shown(checklist));
    EXPECT_FALSE(Shown(dialog->Item(scAdapterDetails)));
    const int count = ListView_GetItemCount(checklist);
    ASSERT_EQ(static_cast<size_t>(count), Entries(*dialog, scNetworkAdapters).size() + 1);
    int ticked = 0;
    for (int i = 0; i < count; ++i)
        ticked += ListView_GetCheckState(checklist, i) ? 1 : 0;
    EXPECT_EQ(ticked, 2);
    Click(*dialog, scOK);
    EXPECT_EQ(store.QueryText("network", "adapters", ""), list);
    EXPECT_EQ(store.QueryText("network", "activeadapter", ""), "1");
    EXPECT_EQ(store.QueryText("network", "adapterluid", ""), LuidText(row.Luid));

    auto again = Open(store);
    Click(*again, scSeveralAdapters);
    EXPECT_TRUE(Shown(again->Item(scAdapterDetails)));
    EXPECT_FALSE(Shown(again->Item(scAdapterChecklist)));
    Click(*again, scOK);
    EXPECT_EQ(store.QueryText("network", "adapters", "unset"), "");
}

TEST_F(SettingsDialogTest, OkWithoutAdapterLeavesTheStoredOneAlone) {
    dialogtest::WriteBytes(ConfigPath(), "[network]\r\nactiveadapter=7777\r\n");
    TMemIniFile store(ConfigPath());
    auto dialog = Open(store);
    EXPECT_EQ(Selected(*dialog, scNetworkAdapters), CB_ERR);
    EXPECT_FALSE(Checked(*dialog, scFollowActive)) << "a stored adapter is kept";
    Click(*dialog, scOK);
    EXPECT_EQ(store.QueryText("network", "activeadapter", ""), "7777");
    EXPECT_NE(ReadBytes(ConfigPath()).find("activeadapter=7777\r\n"), std::string::npos);
}

TEST_F(SettingsDialogTest, StoredAdapterIsPreselectedWithItsDetails) {
    TMemIniFile probe(ConfigPath());
    auto first = Open(probe);
    const std::vector<std::string> entries = Entries(*first, scNetworkAdapters);
    ASSERT_FALSE(entries.empty());
    first.reset();

    const size_t last = entries.size() - 1;
    TMemIniFile store("",
                      "[network]\nactiveadapter=" + AdapterEntryIndexText(entries[last]) + "\n");
    auto dialog = Open(store);
    EXPECT_EQ(Selected(*dialog, scNetworkAdapters), static_cast<LRESULT>(last));
    const std::string details = Text(*dialog, scAdapterDetails);
    EXPECT_EQ(details.rfind("Name:  ", 0), 0u);
    EXPECT_NE(details.find("\r\nIP Address:  "), std::string::npos);
    EXPECT_NE(details.find("\r\nMAC Address:  "), std::string::npos);
    EXPECT_NE(details.find("\r\nPort Speed:  "), std::string::npos);
    EXPECT_EQ(details.substr(details.size() - 8), "MBit/sec");

    TMemIniFile other("",
                      "[network]\nactiveadapter=0" + AdapterEntryIndexText(entries[last]) + "\n");
    auto none = Open(other);
    EXPECT_EQ(Selected(*none, scNetworkAdapters), CB_ERR) << "texts are compared, not numbers";
    EXPECT_EQ(Text(*none, scAdapterDetails), "");
}

TEST_F(SettingsDialogTest, AutoDetectSelectsTheFirstEntryThatIsNoLoopback) {
    TMemIniFile store(ConfigPath());
    auto dialog = Open(store);
    const std::vector<std::string> entries = Entries(*dialog, scNetworkAdapters);
    // The list follows the interface table; the real table says which rows are loopbacks
    // (under Wine: "lo", index 1).
    std::vector<MIB_IFROW> rows;
    ReadInterfaceTable(rows);
    ASSERT_EQ(rows.size(), entries.size());
    LRESULT expected = CB_ERR;
    for (size_t i = 0; i < entries.size() && expected == CB_ERR; ++i) {
        std::string lower = entries[i];
        for (char& c : lower)
            c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
        if (lower.find("loopback adapter") == std::string::npos &&
            rows[i].dwType != IF_TYPE_SOFTWARE_LOOPBACK)
            expected = static_cast<LRESULT>(i);
    }
    Click(*dialog, scAutoDetect);
    EXPECT_EQ(Selected(*dialog, scNetworkAdapters), expected);
    if (expected != CB_ERR) {
        EXPECT_NE(entries[static_cast<size_t>(expected)].rfind("1. ", 0), 0u) << "not the loopback";
        EXPECT_EQ(Text(*dialog, scAdapterDetails).rfind("Name:  ", 0), 0u);
    }
}

TEST_F(SettingsDialogTest, TwoLineTemplateIsStoredWithNlAndReopensAsTwoLines) {
    TMemIniFile store(ConfigPath());
    {
        auto dialog = Open(store);
        SetText(*dialog, scDisplayFormat, "In %kBinpersec%\r\nOut %kBoutpersec%");
        Click(*dialog, scOK);
    }
    EXPECT_EQ(store.QueryText("display", "format", ""), "In %kBinpersec%%nl%Out %kBoutpersec%");
    auto again = Open(store);
    EXPECT_EQ(Text(*again, scDisplayFormat), "In %kBinpersec%\r\nOut %kBoutpersec%");
}

TEST_F(SettingsDialogTest, InsertTagAppendsAtTheEndWhateverTheCaret) {
    TMemIniFile store(ConfigPath());
    auto dialog = Open(store);
    Click(*dialog, scInsertTag);
    EXPECT_EQ(Text(*dialog, scDisplayFormat), "") << "nothing selected, nothing inserted";
    SetText(*dialog, scDisplayFormat, "abc");
    ::SendMessageA(dialog->Item(scDisplayFormat), EM_SETSEL, 1, 1);
    ::SendMessageA(dialog->Item(scTags), CB_SETCURSEL, 1, 0);
    Click(*dialog, scInsertTag);
    EXPECT_EQ(Text(*dialog, scDisplayFormat), "abc%kBinpersec%");
    ::SendMessageA(dialog->Item(scTags), CB_SETCURSEL, 0, 0);
    Click(*dialog, scInsertTag);
    EXPECT_EQ(Text(*dialog, scDisplayFormat), "abc%kBinpersec%%nl%");
    Click(*dialog, scOK);
    EXPECT_EQ(store.QueryText("display", "format", ""), "abc%kBinpersec%%nl%");
}

TEST_F(SettingsDialogTest, LogSwitchGreysTheDirectionsButKeepsAndStoresTheirTicks) {
    TMemIniFile store(ConfigPath());
    auto dialog = Open(store);
    Click(*dialog, scOutbound);
    Click(*dialog, scLogBandwidth);
    EXPECT_FALSE(Checked(*dialog, scLogBandwidth));
    EXPECT_FALSE(Enabled(*dialog, scInbound));
    EXPECT_FALSE(Enabled(*dialog, scOutbound));
    EXPECT_TRUE(Checked(*dialog, scInbound));
    EXPECT_FALSE(Checked(*dialog, scOutbound));
    Click(*dialog, scOK);
    EXPECT_EQ(store.QueryText("bandwidth", "dolog", ""), "0");
    EXPECT_EQ(store.QueryText("bandwidth", "dologins", ""), "1");
    EXPECT_EQ(store.QueryText("bandwidth", "dologouts", ""), "0");
    auto again = Open(store);
    EXPECT_FALSE(Enabled(*again, scInbound));
    EXPECT_TRUE(Checked(*again, scInbound));
}

TEST_F(SettingsDialogTest, DefaultsThenCancelChangesNothing) {
    const std::string original = "[display]\r\nwidth=300\r\nheight=abc\r\n\r\n";
    dialogtest::WriteBytes(ConfigPath(), original);
    TMemIniFile store(ConfigPath());
    auto dialog = Open(store);
    EXPECT_EQ(Text(*dialog, scWidth), "300");
    EXPECT_EQ(Text(*dialog, scHeight), "228") << "through the integer reader";
    Click(*dialog, scDefaultDimensions);
    EXPECT_EQ(Text(*dialog, scWidth), "180");
    EXPECT_EQ(Text(*dialog, scHeight), "228");
    Click(*dialog, scCancel);
    EXPECT_FALSE(::IsWindow(dialog->Handle()));
    EXPECT_EQ(store.ToText(), original);
    EXPECT_EQ(ReadBytes(ConfigPath()), original);
}

TEST_F(SettingsDialogTest, TypedDecimalPlacesCountOnlyWhenValid) {
    TMemIniFile store(ConfigPath());
    {
        auto dialog = Open(store);
        SetText(*dialog, scDecimalPlaces, "12");
        Click(*dialog, scOK);
    }
    EXPECT_EQ(store.QueryText("display", "decimalplaces", ""), "2");
    {
        auto dialog = Open(store);
        SetText(*dialog, scDecimalPlaces, "7");
        Click(*dialog, scOK);
    }
    EXPECT_EQ(store.QueryText("display", "decimalplaces", ""), "7");
    auto dialog = Open(store);
    EXPECT_EQ(::SendMessageA(dialog->Item(scDecimalPlacesUpDown), UDM_GETPOS32, 0, 0), 7);
    EXPECT_EQ(Text(*dialog, scDecimalPlaces), "7");
    // The billing day the same way, with the other quota settings as chosen.
    SetText(*dialog, scQuotaStartDay, "29");
    ChooseEntry(*dialog, scQuotaCounts, 1);
    SetText(*dialog, scQuotaAlerts, "95, 75");
    Click(*dialog, scOK);
    EXPECT_EQ(store.QueryText("display", "quotastartday", ""), "29");
    EXPECT_EQ(store.QueryText("display", "quotacounts", ""), "in");
    EXPECT_EQ(store.QueryText("display", "quotaalerts", ""), "75,95");
    auto again = Open(store);
    SetText(*again, scQuotaStartDay, "32");
    Click(*again, scOK);
    EXPECT_EQ(store.QueryText("display", "quotastartday", ""), "29");
}

TEST_F(SettingsDialogTest, StoredValuesAreShownAndStoredBackUnchanged) {
    const std::string stored =
        "[display]\r\nopacity=55\r\ndropshadow=0\r\nbgcolour=255\r\nbordercolour=65280\r\n"
        "fontcolour=0\r\nfontname=Courier New\r\nfontsize=11\r\nfontbold=1\r\nfontitalic=1\r\n"
        "format=a%nl%b\r\nshowquota=0\r\nmonthquota=lots\r\nwidth=300\r\nheight=400\r\n"
        "stayontop=0\r\ndecimalplaces=4\r\ngototray=0\r\nquotastartday=15\r\n"
        "quotacounts=out\r\nquotaalerts=50,90\r\n\r\n"
        "[bandwidth]\r\ndolog=1\r\ndologins=0\r\ndologouts=1\r\n\r\n";
    dialogtest::WriteBytes(ConfigPath(), stored);
    TMemIniFile store(ConfigPath());
    auto dialog = Open(store);
    EXPECT_EQ(::SendMessageA(dialog->Item(scOpacity), TBM_GETPOS, 0, 0), 55);
    EXPECT_EQ(SwatchColour(*dialog, scBorderColour), 65280u);
    EXPECT_TRUE(Checked(*dialog, scBold));
    EXPECT_EQ(Text(*dialog, scMonthQuota), "lots");
    EXPECT_EQ(Text(*dialog, scQuotaStartDay), "15");
    EXPECT_EQ(Selected(*dialog, scQuotaCounts), 2);
    EXPECT_EQ(Text(*dialog, scQuotaAlerts), "50,90");
    Click(*dialog, scOK);
    EXPECT_EQ(ReadBytes(ConfigPath()), stored);
}
