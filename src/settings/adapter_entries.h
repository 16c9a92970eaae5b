// The Adapters tab's texts: list entries ("2. Ethernet Controller"), their interface index,
// which entry to preselect or auto-detect, and the four lines of adapter details.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// "index. description", the description being the bytes up to the first NUL.
std::string AdapterEntryText(uint32_t index, std::string_view descriptionBytes);

// The text before the first "." of an entry (its interface index for every entry we build).
std::string AdapterEntryIndexText(const std::string& entry);

// The entry's index as an integer; false when it is not a whole number.
bool ParseAdapterEntryIndex(const std::string& entry, int32_t& index);

constexpr int kNoEntry = -1;

// The first entry whose index text equals the stored text exactly, or kNoEntry.
int FindStoredAdapterEntry(const std::vector<std::string>& entries, const std::string& stored);

// The first entry whose lower-case text does not contain "loopback adapter" and whose
// interface is not a software loopback, or kNoEntry. `loopback` (one flag per entry, may be
// empty) marks the interfaces whose type says loopback: on current Windows the loopback is
// "Software Loopback Interface 1", which the text alone would pick.
int FindAutoDetectEntry(const std::vector<std::string>& entries,
                        const std::vector<bool>& loopback = {});

// A link speed in bit/s as megabits with four significant digits and two decimals, then
// "MBit/sec": 123456000 gives "123.50MBit/sec" with "." as the separator.
std::string PortSpeedText(uint32_t bitsPerSecond, const std::string& decimalSeparator);

// The details label: four lines joined by CR LF.
std::string AdapterDetailsText(const std::string& name, const std::string& ipAddress,
                               const std::string& macAddress, uint32_t portSpeed,
                               const std::string& decimalSeparator);
