// Text forms of the interface table's physical and IPv4 addresses, of its descriptions and of
// interface identities.
#pragma once
#include <cstdint>
#include <string>

// "00-0C-29-1A-2B-3C": the first length bytes as upper-case hex pairs joined by "-";
// a length of 0 gives "00-00-00-00-00-00". Lengths above 8 are taken as 8.
std::string FormatMacAddress(const uint8_t (&bytes)[8], uint32_t length);

// The four bytes of a network-order address, low byte first, each as "%3d", joined by ".":
// 192.168.1.5 gives "192.168.  1.  5".
std::string FormatIpAddress(uint32_t dwAddr);

// An interface description from its row's bytes and length field, trimmed of every leading
// and trailing character of code 32 or below.
std::string AdapterDescription(const uint8_t* bDescr, uint32_t dwDescrLen);

// A LUID as it is stored: 16 upper-case hexadecimal digits; empty for the LUID 0 (none).
std::string LuidText(uint64_t luid);
