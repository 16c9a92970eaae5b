// The key table's readers: each reader's default where the key is missing or unreadable, the
// stored value otherwise.
#include "config/config_keys.h"
#include "config/mem_ini_file.h"

#include <gtest/gtest.h>

TEST(ConfigKeys, EachReaderHasItsOwnDefaultForAMissingKey) {
    const TMemIniFile store("config.ini", "");
    EXPECT_EQ(ReadInt(store, cfg::kOpacity), 100);
    EXPECT_EQ(ReadInt(store, cfg::kOpacity, TReader::Dialog), 0);
    EXPECT_EQ(ReadInt(store, cfg::kActiveAdapter), 1);
    EXPECT_EQ(ReadText(store, cfg::kActiveAdapter, TReader::Dialog), "0");
    EXPECT_EQ(ReadText(store, cfg::kMonthQuota, TReader::Dialog), "10000");
    EXPECT_EQ(ReadText(store, cfg::kFormat), kDefaultTemplate);
    EXPECT_EQ(ReadText(store, cfg::kFormat, TReader::Dialog), "");
    EXPECT_TRUE(ReadFlag(store, cfg::kDoLog));
    EXPECT_FALSE(IsStored(store, cfg::kFollowActive));
}

TEST(ConfigKeys, StoredValuesWinAndUnreadableNumbersGiveTheReadersDefault) {
    TMemIniFile store("config.ini", "[DISPLAY]\r\nopacity=words\r\nformat=\r\nfontsize=$0C\r\n");
    EXPECT_EQ(ReadInt(store, cfg::kOpacity), 100);
    EXPECT_EQ(ReadInt(store, cfg::kOpacity, TReader::Dialog), 0);
    EXPECT_EQ(ReadInt(store, cfg::kFontSize), 12);
    std::string format = "kept storage";
    ReadText(store, cfg::kFormat, format);
    EXPECT_EQ(format, "");
    WriteFlag(store, cfg::kFollowActive, false);
    WriteText(store, cfg::kQuotaAlertsShown, "2025-03-15:80");
    EXPECT_EQ(store.ToText(),
              "[DISPLAY]\r\nopacity=words\r\nformat=\r\nfontsize=$0C\r\n"
              "quotaalertsshown=2025-03-15:80\r\n\r\n[network]\r\nfollowactive=0\r\n\r\n");
}
