// Tests of the settings dialog's tag list.
#include "display/tags.h"

#include <gtest/gtest.h>

#include <set>

#include "display/render.h"

namespace {

TEST(TagEntries, NewLineFirstThenNumericTags) {
    const auto& entries = TagEntries();
    EXPECT_EQ(TagEntryText(entries[0]), "%nl% - New Line");
    EXPECT_EQ(TagEntryText(entries[3]), "%MBoutpersec% - Megabytes out per second");
    EXPECT_EQ(TagEntryText(entries[47]), "%GBout% - Gigabytes out since reboot");
}

TEST(TagEntries, EachEntryIsADistinctWorkingTag) {
    std::set<std::string> seen;
    TMonitorCounters counters{1, 2, 3, 4};
    TStatisticsRenderer renderer;
    for (const TTagEntry& entry : TagEntries()) {
        const std::string tag = entry.Tag;
        EXPECT_TRUE(seen.insert(tag).second) << tag;
        EXPECT_EQ(tag.front(), '%');
        EXPECT_EQ(tag.back(), '%');
        EXPECT_EQ(tag.find(' '), std::string::npos) << tag; // the dialog cuts at the space
        EXPECT_NE(Text(entry.Description), "");
        const std::string shown = renderer.Render(tag, 2, counters, TLogTotals(), '.');
        EXPECT_EQ(shown.find('%'), std::string::npos) << tag << " left as " << shown;
    }
    EXPECT_EQ(seen.size(), kTagEntryCount);
}

} // namespace
