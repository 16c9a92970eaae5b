// The check's report: each finding on a line, the share never scaled.
#include "apps/app_counting_check.h"
#include "text/texts.h"

namespace {

// One decimal, rounded down: a share below 1 % still shows.
std::string Percent(uint64_t part, uint64_t whole) {
    const uint64_t tenths = part / whole * 1000 + part % whole * 1000 / whole;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

std::string Share(const TAppCountingCheck& check) {
    if (!check.AdapterBytes)
        return Text(TTextId::AppCheckNoAdapter);
    if (*check.AdapterBytes == 0)
        return Text(TTextId::AppCheckAdapterIdle);
    return FormatText(Text(TTextId::AppCheckShare),
                      {{"percent", Percent(check.EventBytes, *check.AdapterBytes)},
                       {"bytes", std::to_string(check.EventBytes)},
                       {"adapter", std::to_string(*check.AdapterBytes)}});
}

} // namespace

std::string AppCountingCheckText(const TAppCountingCheck& check) {
    std::string text = Text(TTextId::AppCheckGrantNotChecked) + "\r\n";
    if (!check.Failure.empty())
        return text + FormatText(Text(TTextId::AppCheckNotStarted), {{"reason", check.Failure}}) +
               "\r\n";
    text += Text(TTextId::AppCheckStarted) + "\r\n";
    text += FormatText(Text(TTextId::AppCheckEvents), {{"seconds", std::to_string(kCheckSeconds)},
                                                       {"count", std::to_string(check.Events)},
                                                       {"lost", std::to_string(check.LostEvents)}});
    return text + "\r\n" + Share(check) + "\r\n";
}

int AppCountingCheckExitCode(const TAppCountingCheck& check) {
    return check.Events > 0 ? 0 : 1;
}
