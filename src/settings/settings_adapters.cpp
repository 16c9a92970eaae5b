// Tf_Settings, Adapters tab: the list of interfaces, the chosen one's details, auto-detect.
#include "config/config_keys.h"
#include "settings/network_keys.h"
#include "platform/user_locale.h"
#include "settings/adapter_entries.h"
#include "settings/settings_dialog.h"
#include "text/texts.h"
#include "traffic/adapter_monitor.h"
#include "traffic/ip_helper.h"

#include <commctrl.h>

#include <vector>

namespace {

std::vector<std::string> Entries(HWND list) {
    std::vector<std::string> entries;
    LRESULT count = ::SendMessageA(list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        entries.push_back(ComboItemText(list, i).value_or(""));
    }
    return entries;
}

// A monitor built only for one reading: it is told to stop before it could log anything, and
// the owner never touches it after that.
class TOneReading {
  public:
    explicit TOneReading(uint32_t index) : monitor_(TAdapterMonitor::Create(index)) {}
    TOneReading(const TOneReading&) = delete;
    TOneReading& operator=(const TOneReading&) = delete;
    ~TOneReading() { monitor_->RequestStop(); }
    const TAdapterMonitor& operator*() const { return *monitor_; }

  private:
    TAdapterMonitor* monitor_;
};

} // namespace

void Tf_Settings::RefreshNetworkAdapters() {
    std::vector<MIB_IFROW> rows;
    ReadInterfaceTable(rows);
    HWND list = Item(scNetworkAdapters);
    ::SendMessageA(list, CB_RESETCONTENT, 0, 0);
    ::SendMessageA(Item(scAdapterChecklist), LVM_DELETEALLITEMS, 0, 0);
    loopbackEntries_.clear();
    for (const MIB_IFROW& row : rows) {
        loopbackEntries_.push_back(row.dwType == IF_TYPE_SOFTWARE_LOOPBACK);
        std::string entry = AdapterEntryText(
            row.dwIndex,
            std::string_view(reinterpret_cast<const char*>(row.bDescr), sizeof row.bDescr));
        if (::SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str())) < 0)
            RaiseLastWin32Error("CB_ADDSTRING");
        TInterfaceEntry2 identity;
        if (ReadInterfaceEntry2(row.dwIndex, identity) && identity.Luid != 0)
            AddChecklistEntry(entry, identity.Luid);
    }
    ShowActiveConnection(rows);
}

// The adapter that "Follow the active connection" watches at this moment, and the VPN's tunnel
// above it when the tunnel is not what is counted.
void Tf_Settings::ShowActiveConnection(const std::vector<MIB_IFROW>& rows) {
    const TCountedConnection counted = CountedConnectionNow(rows, ReadFlag(store_, cfg::kCountVpn));
    auto entry = [&rows](uint32_t index) {
        for (const MIB_IFROW& row : rows) {
            if (row.dwIndex == index)
                return AdapterEntryText(
                    index,
                    std::string_view(reinterpret_cast<const char*>(row.bDescr), sizeof row.bDescr));
        }
        return std::string();
    };
    std::string active = entry(counted.Index);
    if (active.empty())
        active = ::Text(TTextId::SettingsAdaptersActiveNone);
    else if (counted.Tunnel != 0)
        active = FormatText(::Text(TTextId::SettingsAdaptersUnderVpn),
                            {{"adapter", active}, {"tunnel", entry(counted.Tunnel)}});
    SetText(scActiveConnection,
            FormatText(::Text(TTextId::SettingsAdaptersActiveNow), {{"adapter", active}}));
}

uint64_t Tf_Settings::SelectedAdapterLuid(const std::string& entry) const {
    int32_t index = 0;
    TInterfaceEntry2 row;
    if (!ParseAdapterEntryIndex(entry, index) ||
        !ReadInterfaceEntry2(static_cast<uint32_t>(index), row))
        return 0;
    return row.Luid;
}

void Tf_Settings::SelectStoredAdapter(const std::string& stored) {
    HWND list = Item(scNetworkAdapters);
    int found = FindStoredAdapterEntry(Entries(list), stored);
    if (found == kNoEntry)
        return;
    ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
    cm_NetworkAdaptersSelect();
}

void Tf_Settings::cm_NetworkAdaptersSelect() {
    HWND list = Item(scNetworkAdapters);
    LRESULT selected = ::SendMessageA(list, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR)
        return;
    int32_t index = 0;
    if (!ParseAdapterEntryIndex(Entries(list)[static_cast<size_t>(selected)], index))
        return;
    std::string details;
    {
        TOneReading reading(static_cast<uint32_t>(index));
        const TAdapterMonitor& monitor = *reading;
        details =
            AdapterDetailsText(monitor.AdapterName(), monitor.IPAddress(), monitor.MACAddress(),
                               monitor.PortSpeed(), UserDecimalSeparator());
    }
    SetText(scAdapterDetails, details);
}

void Tf_Settings::b_AutoDetectClick() {
    HWND list = Item(scNetworkAdapters);
    int found = FindAutoDetectEntry(Entries(list), loopbackEntries_);
    if (found == kNoEntry)
        return;
    ::SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
    adapterChosen_ = true;
    cm_NetworkAdaptersSelect();
}

void Tf_Settings::AddChecklistEntry(const std::string& entry, uint64_t luid) {
    HWND checklist = Item(scAdapterChecklist);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(::SendMessageA(checklist, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<char*>(entry.c_str());
    item.lParam = static_cast<LPARAM>(luid);
    if (::SendMessageA(checklist, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) < 0)
        RaiseLastWin32Error("LVM_INSERTITEM");
}

void Tf_Settings::ShowAdapterMode() {
    const bool several = Checked(scSeveralAdapters);
    ::ShowWindow(Item(scAdapterChecklist), several ? SW_SHOW : SW_HIDE);
    for (int id : {scDetailsCaption, scAdapterDetails})
        ::ShowWindow(Item(id), several ? SW_HIDE : SW_SHOW);
}

// Ticks the stored adapters; one that is away now keeps its place in the list under its LUID,
// so that saving does not drop it.
void Tf_Settings::ShowCountedAdapters(const std::vector<uint64_t>& luids) {
    HWND checklist = Item(scAdapterChecklist);
    for (uint64_t luid : luids) {
        LVFINDINFOA find{};
        find.flags = LVFI_PARAM;
        find.lParam = static_cast<LPARAM>(luid);
        int found = static_cast<int>(::SendMessageA(
            checklist, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
        if (found < 0) {
            AddChecklistEntry(LuidText(luid), luid);
            found = static_cast<int>(::SendMessageA(checklist, LVM_GETITEMCOUNT, 0, 0)) - 1;
        }
        ListView_SetCheckState(checklist, found, TRUE);
    }
    ShowAdapterMode();
}

// The ticked adapters in the list's order; the first of them is also the selected adapter, so
// that "activeadapter" names it for older readers.
void Tf_Settings::ReadCountedAdapters(TSettingsValues& v) const {
    v.SeveralAdapters = Checked(scSeveralAdapters);
    HWND checklist = Item(scAdapterChecklist);
    const int count = static_cast<int>(::SendMessageA(checklist, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (!ListView_GetCheckState(checklist, i))
            continue;
        char text[300] = "";
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = i;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        ::SendMessageA(checklist, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        const auto luid = static_cast<uint64_t>(item.lParam);
        if (v.SeveralAdapters && v.CountedLuids.empty() && LuidText(luid) != text) {
            v.SelectedAdapterEntry = text;
            v.SelectedAdapterLuid = luid;
            v.AdapterChosen = true;
        }
        v.CountedLuids.push_back(luid);
    }
}
