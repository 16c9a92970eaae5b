// The "network" keys: which adapter the monitor watches, and how it is remembered.
//   "activeadapter"  its interface index (the meaning it always had)
//   "adapterluid"    its permanent identity, the interface's LUID as 16 hexadecimal digits
//   "followactive"   watch whatever adapter carries the Internet instead
//   "adapters"       several adapters counted together, their LUIDs separated by ";"
//   "countvpn"       automatic mode counts a VPN's tunnel, not the adapter under it
#pragma once
#include "config/mem_ini_file.h"
#include "traffic/adapter_tracker.h"
#include "traffic/address_format.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// "followactive" when stored; otherwise a store without "activeadapter" (a new installation)
// follows the active connection, and one with it keeps its adapter.
bool FollowsActiveConnection(const TMemIniFile& store);

// What the main window's monitor watches; the index's default is 1. A stored identity that is no
// LUID counts as none: the monitor learns it again from the adapter at the index.
TAdapterTarget StoredAdapterTarget(const TMemIniFile& store);

// The adapters the main window's monitor counts: the one above first, then every other LUID of
// "adapters" (read only when not following the active connection).
std::vector<TAdapterTarget> StoredAdapterTargets(const TMemIniFile& store);

// The LUIDs of "adapters" in their order, each once, without texts that are no LUID; and the
// text that stores a list.
std::vector<uint64_t> ParseLuidList(std::string_view text);
std::string LuidListText(const std::vector<uint64_t>& luids);

// After the monitor found its adapter under another index (or learned its identity): the
// store follows. Nothing is written when nothing changed.
void RememberWatchedAdapter(TMemIniFile& store, uint32_t index, uint64_t luid);

// The LUID of a stored text, 16 hexadecimal digits of either case; 0 (none) for anything else.
uint64_t ParseLuidText(std::string_view text);
