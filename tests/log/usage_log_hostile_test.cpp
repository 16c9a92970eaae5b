// Round trips of the usage log on hostile files: the saved file is the loaded whole records
// plus the additions, whatever the file's size and dates.
#include "log_test_support.h"

#include <cmath>
#include <limits>

namespace {

using namespace logtest;

using UsageLogHostile = LogFileTest;

TEST_F(UsageLogHostile, SizeNotAMultipleOf24KeepsTheWholeRecordsAndTheAdditions) {
    const double today = EncodeDate(2025, 3, 15);
    const std::string records = RecordBytes(today - 1, 1, 2) + RecordBytes(today, 3, 4);
    for (size_t extra : {1u, 12u, 23u}) {
        LoadFrom(records + std::string(extra, '\xff'));
        EXPECT_EQ(2u, LogRecordCount()) << extra;
        AddToLog(100, 0, today);
        AddToLog(0, 200, today + 1);
        EXPECT_EQ(103u, GetLogTotal(lpToday, ldIn)) << extra;
        EXPECT_EQ(RecordBytes(today - 1, 1, 2) + RecordBytes(today, 103, 4) +
                      RecordBytes(today + 1, 0, 200),
                  SavedBytes())
            << extra;
        fs::remove(path_);
    }
}

TEST_F(UsageLogHostile, RecordsThatAreNoDateStayAsTheyAreBesideTheAdditions) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::string odd = RecordBytes(nan, 1, 1) + RecordBytes(-inf, 2, 2) +
                            RecordBytes(1e300, 3, 3) + RecordBytes(-1e300, 4, 4);
    LoadFrom(odd + "\x01\x02\x03");
    AddToLog(5, 6, nan); // no date: adds nothing, appends nothing
    AddToLog(5, 6, EncodeDate(2025, 3, 15));
    EXPECT_EQ(odd + RecordBytes(EncodeDate(2025, 3, 15), 5, 6), SavedBytes());
    EXPECT_EQ(11u, GetLogTotal(lpThisYear, ldInOut));
}

} // namespace
