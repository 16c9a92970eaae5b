// Tests of the Adapters tab's texts: entries, their indexes, selection rules and details.
#include "settings/adapter_entries.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(AdapterEntries, EntryIsIndexFullStopSpaceAndDescriptionUpToTheFirstNul) {
    const char descr[] = "Ethernet Controller\0old bytes";
    EXPECT_EQ(AdapterEntryText(2, std::string_view(descr, sizeof descr)), "2. Ethernet Controller");
    EXPECT_EQ(AdapterEntryText(4294967295u, ""), "4294967295. ");
    const std::string full(256, 'x'); // no NUL at all: every byte counts
    EXPECT_EQ(AdapterEntryText(1, full), "1. " + full);
}

TEST(AdapterEntries, IndexIsTheTextBeforeTheFirstFullStop) {
    EXPECT_EQ(AdapterEntryIndexText("12. Adapter 2.0"), "12");
    int32_t index = 0;
    ASSERT_TRUE(ParseAdapterEntryIndex("12. Adapter 2.0", index));
    EXPECT_EQ(index, 12);
    EXPECT_FALSE(ParseAdapterEntryIndex("Adapter. 2", index));
    EXPECT_FALSE(ParseAdapterEntryIndex("", index));
    EXPECT_FALSE(ParseAdapterEntryIndex("99999999999. big", index));
}

TEST(AdapterEntries, StoredAdapterSelectsTheFirstEntryWhoseIndexTextIsEqual) {
    const std::vector<std::string> entries = {"1. lo", "2. Ethernet Controller", "12. Wi-Fi",
                                              "2. Second"};
    EXPECT_EQ(FindStoredAdapterEntry(entries, "2"), 1);
    EXPECT_EQ(FindStoredAdapterEntry(entries, "12"), 2);
    EXPECT_EQ(FindStoredAdapterEntry(entries, "02"), kNoEntry); // texts, not numbers
    EXPECT_EQ(FindStoredAdapterEntry(entries, " 2"), kNoEntry);
    EXPECT_EQ(FindStoredAdapterEntry(entries, "0"), kNoEntry);
    EXPECT_EQ(FindStoredAdapterEntry({}, "1"), kNoEntry);
}

TEST(AdapterEntries, AutoDetectSkipsOnlyLoopbackAdapterTexts) {
    EXPECT_EQ(FindAutoDetectEntry({"1. Local Loopback Interface", "2. Ethernet Controller"}), 0);
    EXPECT_EQ(FindAutoDetectEntry({"3. Virtual Loopback Adapter", "4. Ethernet"}), 1);
    EXPECT_EQ(FindAutoDetectEntry({"3. Virtual LOOPBACK adapter"}), kNoEntry);
    EXPECT_EQ(FindAutoDetectEntry({"3. Loopback  Adapter", "5. x"}), 0); // two spaces differ
    EXPECT_EQ(FindAutoDetectEntry({}), kNoEntry);
}

TEST(AdapterEntries, AutoDetectAlsoSkipsInterfacesOfLoopbackType) {
    // Windows 10 lists "Software Loopback Interface 1" first; its type says loopback.
    EXPECT_EQ(FindAutoDetectEntry({"1. Software Loopback Interface 1", "7. Intel Ethernet"},
                                  {true, false}),
              1);
    EXPECT_EQ(FindAutoDetectEntry({"1. lo"}, {true}), kNoEntry);
    // Flags missing for later entries count as not loopback.
    EXPECT_EQ(FindAutoDetectEntry({"1. lo", "2. eth0"}, {true}), 1);
}

TEST(AdapterPortSpeed, FourSignificantDigitsThenTwoDecimals) {
    EXPECT_EQ(PortSpeedText(100000000, "."), "100.00MBit/sec");
    EXPECT_EQ(PortSpeedText(54000000, "."), "54.00MBit/sec");
    EXPECT_EQ(PortSpeedText(123456000, "."), "123.50MBit/sec");
    EXPECT_EQ(PortSpeedText(0, "."), "0.00MBit/sec");
    EXPECT_EQ(PortSpeedText(4294967295u, "."), "4295.00MBit/sec");
    EXPECT_EQ(PortSpeedText(1234567, "."), "1.23MBit/sec");
    EXPECT_EQ(PortSpeedText(9999999, "."), "10.00MBit/sec");
    EXPECT_EQ(PortSpeedText(999960000, "."), "1000.00MBit/sec");
    EXPECT_EQ(PortSpeedText(1000499999, "."), "1000.00MBit/sec");
    EXPECT_EQ(PortSpeedText(1000500000, "."), "1001.00MBit/sec");
}

TEST(AdapterPortSpeed, HalvesRoundUpAndTheUsersSeparatorIsUsed) {
    EXPECT_EQ(PortSpeedText(123450000, "."), "123.50MBit/sec");
    EXPECT_EQ(PortSpeedText(123449999, "."), "123.40MBit/sec");
    EXPECT_EQ(PortSpeedText(5000, "."), "0.01MBit/sec");
    EXPECT_EQ(PortSpeedText(4999, "."), "0.00MBit/sec");
    EXPECT_EQ(PortSpeedText(100000000, ","), "100,00MBit/sec");
}

TEST(AdapterDetails, FourLinesJoinedByCrLf) {
    EXPECT_EQ(AdapterDetailsText("Ethernet Controller", "192.168.0.2", "00-11-22-33-44-55",
                                 54000000, ","),
              "Name:  Ethernet Controller\r\nIP Address:  192.168.0.2\r\n"
              "MAC Address:  00-11-22-33-44-55\r\nPort Speed:  54,00MBit/sec");
    EXPECT_EQ(AdapterDetailsText("", "!not_found!", "", 0, "."),
              "Name:  \r\nIP Address:  !not_found!\r\nMAC Address:  \r\nPort Speed:  0.00MBit/sec");
}
