// Tests of the text forms of physical addresses, IPv4 addresses and interface descriptions.
#include "traffic/address_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// A network-order address value from its dotted octets.
uint32_t NetworkOrder(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    return uint32_t{a} | uint32_t{b} << 8 | uint32_t{c} << 16 | uint32_t{d} << 24;
}

TEST(FormatMacAddress, LengthZeroGivesTheLoopbackText) {
    const uint8_t bytes[8] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
    EXPECT_EQ(FormatMacAddress(bytes, 0), "00-00-00-00-00-00");
}

TEST(FormatMacAddress, SixBytesGiveUpperCasePairsJoinedByHyphens) {
    const uint8_t bytes[8] = {0x00, 0x0C, 0x29, 0x1A, 0x2B, 0x3C, 0xFF, 0xEE};
    EXPECT_EQ(FormatMacAddress(bytes, 6), "00-0C-29-1A-2B-3C");
    const uint8_t letters[8] = {0xab, 0xcd, 0xef, 0x0a, 0xb0, 0x0f, 0, 0};
    EXPECT_EQ(FormatMacAddress(letters, 6), "AB-CD-EF-0A-B0-0F");
}

TEST(FormatMacAddress, OnlyTheFirstLengthBytesCount) {
    const uint8_t bytes[8] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    EXPECT_EQ(FormatMacAddress(bytes, 1), "01");
    EXPECT_EQ(FormatMacAddress(bytes, 3), "01-02-03");
    EXPECT_EQ(FormatMacAddress(bytes, 8), "01-02-03-04-05-06-07-08");
}

TEST(FormatMacAddress, LengthBeyondTheFieldIsCutToEightBytes) {
    const uint8_t bytes[8] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    EXPECT_EQ(FormatMacAddress(bytes, 9), "01-02-03-04-05-06-07-08");
    EXPECT_EQ(FormatMacAddress(bytes, 0xFFFFFFFFu), "01-02-03-04-05-06-07-08");
}

TEST(FormatIpAddress, PadsEachOctetToThreeCharacters) {
    EXPECT_EQ(FormatIpAddress(NetworkOrder(0, 0, 0, 0)), "  0.  0.  0.  0");
    EXPECT_EQ(FormatIpAddress(NetworkOrder(192, 168, 1, 5)), "192.168.  1.  5");
    EXPECT_EQ(FormatIpAddress(NetworkOrder(10, 0, 0, 1)), " 10.  0.  0.  1");
    EXPECT_EQ(FormatIpAddress(NetworkOrder(127, 0, 0, 1)), "127.  0.  0.  1");
}

TEST(FormatIpAddress, FullOctetsNeedNoPadding) {
    EXPECT_EQ(FormatIpAddress(0xFFFFFFFFu), "255.255.255.255");
}

TEST(FormatIpAddress, TakesTheLowestOrderByteFirst) {
    EXPECT_EQ(FormatIpAddress(0x04030201u), "  1.  2.  3.  4");
    EXPECT_EQ(FormatIpAddress(0x000000FFu), "255.  0.  0.  0");
}

// A 256-byte description field as the interface row holds it.
struct DescrField {
    uint8_t Bytes[256] = {};
    explicit DescrField(const char* text) { std::memcpy(Bytes, text, std::strlen(text)); }
};

TEST(AdapterDescription, LengthZeroOrOneGivesAnEmptyName) {
    DescrField field("eth0");
    EXPECT_EQ(AdapterDescription(field.Bytes, 0), "");
    DescrField empty("");
    EXPECT_EQ(AdapterDescription(empty.Bytes, 1), ""); // just the NUL, as Windows counts it
}

TEST(AdapterDescription, WindowsAndWineLengthsGiveTheSameName) {
    DescrField field("ifb0");
    // Windows counts the terminating NUL; Wine does not.
    EXPECT_EQ(AdapterDescription(field.Bytes, 5), "ifb0");
    EXPECT_EQ(AdapterDescription(field.Bytes, 4), "ifb0");
    DescrField one("a");
    EXPECT_EQ(AdapterDescription(one.Bytes, 2), "a");
    EXPECT_EQ(AdapterDescription(one.Bytes, 1), "a");
}

TEST(AdapterDescription, ShorterLengthCutsTheName) {
    DescrField field("Ethernet Adapter");
    EXPECT_EQ(AdapterDescription(field.Bytes, 8), "Ethernet");
    EXPECT_EQ(AdapterDescription(field.Bytes, 9), "Ethernet"); // the cut leaves a space
}

TEST(AdapterDescription, TrimsControlsAndSpacesAtBothEndsOnly) {
    DescrField field(" \t\x01Intel(R) PRO/1000 MT \r\n\x1F ");
    EXPECT_EQ(AdapterDescription(field.Bytes, 40), "Intel(R) PRO/1000 MT");
    DescrField blanks(" \t \x02");
    EXPECT_EQ(AdapterDescription(blanks.Bytes, 5), "");
}

TEST(AdapterDescription, KeepsEightBitCharacters) {
    DescrField field("\xA0R\xE9seau\xFF");
    EXPECT_EQ(AdapterDescription(field.Bytes, 9), "\xA0R\xE9seau\xFF");
}

TEST(AdapterDescription, NeverReadsBeyondTheField) {
    DescrField field("");
    std::memset(field.Bytes, 'x', sizeof field.Bytes); // no NUL anywhere in the field
    EXPECT_EQ(AdapterDescription(field.Bytes, 0xFFFFFFFFu), std::string(256, 'x'));
    EXPECT_EQ(AdapterDescription(field.Bytes, 300), std::string(256, 'x'));
}

} // namespace
