// The tag list of the settings dialog.
#include "display/tags.h"

namespace {

const std::array<TTagEntry, kTagEntryCount> kTagEntries = {{
    {"%nl%", "New Line"},
    {"%kBinpersec%", "Kilobytes in per second"},
    {"%kBoutpersec%", "Kilobytes out per second"},
    {"%MBoutpersec%", "Megabytes out per second"},
    {"%MBinpersec%", "Megabytes in per second"},
    {"%Mbinpersec%", "Megabits in per second"},
    {"%Mboutpersec%", "Megabits out per second"},
    {"%Kbinpersec%", "Kilobits in per second"},
    {"%Kboutpersec%", "Kilobits out per second"},
    {"%MBinoutthisyear%", "Megabytes in/out this year"},
    {"%MBinthisyear%", "Megabytes in this year"},
    {"%MBoutthisyear%", "Megabytes out this year"},
    {"%GBinoutthisyear%", "Gigabytes in/out this year"},
    {"%GBinthisyear%", "Gigabytes in this year"},
    {"%GBoutthisyear%", "Gigabytes out this year"},
    {"%TBinoutthisyear%", "Terabytes in/out this year"},
    {"%TBinthisyear%", "Terabytes in this year"},
    {"%TBoutthisyear%", "Terabytes out this year"},
    {"%MBinoutthismonth%", "Megabytes in/out this month"},
    {"%MBinthismonth%", "Megabytes in this month"},
    {"%MBoutthismonth%", "Megabytes out this month"},
    {"%GBinoutthismonth%", "Gigabytes in/out this month"},
    {"%GBinthismonth%", "Gigabytes in this month"},
    {"%GBoutthismonth%", "Gigabytes out this month"},
    {"%TBinoutthismonth%", "Terabytes in/out this month"},
    {"%TBinthismonth%", "Terabytes in this month"},
    {"%TBoutthismonth%", "Terabytes out this month"},
    {"%MBinoutthisweek%", "Megabytes in/out this week"},
    {"%MBinthisweek%", "Megabytes in this week"},
    {"%MBoutthisweek%", "Megabytes out this week"},
    {"%GBinoutthisweek%", "Gigabytes in/out this week"},
    {"%GBinthisweek%", "Gigabytes in this week"},
    {"%GBoutthisweek%", "Gigabytes out this week"},
    {"%TBinoutthisweek%", "Terabytes in/out this week"},
    {"%TBinthisweek%", "Terabytes in this week"},
    {"%TBoutthisweek%", "Terabytes out this week"},
    {"%MBinouttoday%", "Megabytes in/out today"},
    {"%MBintoday%", "Megabytes in today"},
    {"%MBouttoday%", "Megabytes out today"},
    {"%GBinouttoday%", "Gigabytes in/out today"},
    {"%GBintoday%", "Gigabytes in today"},
    {"%GBouttoday%", "Gigabytes out today"},
    {"%MBinout%", "Megabytes in/out since reboot"},
    {"%MBin%", "Megabytes in since reboot"},
    {"%MBout%", "Megabytes out since reboot"},
    {"%GBinout%", "Gigabytes in/out since reboot"},
    {"%GBin%", "Gigabytes in since reboot"},
    {"%GBout%", "Gigabytes out since reboot"},
    {"%MBinoutthisperiod%", "Megabytes in/out this billing period"},
    {"%MBinthisperiod%", "Megabytes in this billing period"},
    {"%MBoutthisperiod%", "Megabytes out this billing period"},
    {"%GBinoutthisperiod%", "Gigabytes in/out this billing period"},
    {"%GBinthisperiod%", "Gigabytes in this billing period"},
    {"%GBoutthisperiod%", "Gigabytes out this billing period"},
    {"%MBleftthisperiod%", "Megabytes of the quota left this billing period"},
    {"%GBleftthisperiod%", "Gigabytes of the quota left this billing period"},
    {"%quotapercent%", "Percent of the quota used this billing period"},
    {"%daysleftthisperiod%", "Days left in this billing period, today included"},
    {"%MBperdayleft%", "Megabytes of the quota left per day left"},
}};

} // namespace

const std::array<TTagEntry, kTagEntryCount>& TagEntries() {
    return kTagEntries;
}

std::string TagEntryText(const TTagEntry& entry) {
    return std::string(entry.Tag) + " - " + entry.Description;
}
