// Texts of the Adapters tab, kept apart from the controls so they can be checked anywhere.
#include "settings/adapter_entries.h"
#include "config/mem_ini_file.h"
#include "config/tok_utils.h"
#include "text/texts.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

uint64_t PowerOfTen(int exponent) {
    uint64_t value = 1;
    while (exponent-- > 0)
        value *= 10;
    return value;
}

int DigitCount(uint64_t value) {
    int digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

} // namespace

std::string AdapterEntryText(uint32_t index, std::string_view descriptionBytes) {
    size_t end = descriptionBytes.find('\0');
    return std::to_string(index) + ". " + std::string(descriptionBytes.substr(0, end));
}

std::string AdapterEntryIndexText(const std::string& entry) {
    return ExtractField(entry, ".", 1, false, true);
}

bool ParseAdapterEntryIndex(const std::string& entry, int32_t& index) {
    return TryParseIniInt(AdapterEntryIndexText(entry), index);
}

int FindStoredAdapterEntry(const std::vector<std::string>& entries, const std::string& stored) {
    for (size_t i = 0; i < entries.size(); ++i) {
        if (AdapterEntryIndexText(entries[i]) == stored)
            return static_cast<int>(i);
    }
    return kNoEntry;
}

int FindAutoDetectEntry(const std::vector<std::string>& entries,
                        const std::vector<bool>& loopback) {
    for (size_t i = 0; i < entries.size(); ++i) {
        bool loopbackType = i < loopback.size() && loopback[i];
        if (!loopbackType && Lower(entries[i]).find("loopback adapter") == std::string::npos)
            return static_cast<int>(i);
    }
    return kNoEntry;
}

// Exact integer arithmetic: the value is rounded once, half up, at the coarser of "four
// significant digits" and "two decimals", so no binary fraction can tip a half either way.
std::string PortSpeedText(uint32_t bitsPerSecond, const std::string& decimalSeparator) {
    constexpr int kBitsPerMegabitDigits = 6;
    const int wholeDigits = bitsPerSecond >= 1000000 ? DigitCount(bitsPerSecond / 1000000) : 0;
    const int decimals = std::min(2, 4 - wholeDigits);
    const uint64_t unit = PowerOfTen(kBitsPerMegabitDigits - decimals);
    const uint64_t rounded = (uint64_t{bitsPerSecond} + unit / 2) / unit * unit;
    const uint64_t hundredths = rounded / PowerOfTen(kBitsPerMegabitDigits - 2);
    std::string fraction = std::to_string(hundredths % 100);
    if (fraction.size() < 2)
        fraction.insert(0, 1, '0');
    return FormatText(
        Text(TTextId::SettingsAdaptersMegabits),
        {{"megabits", std::to_string(hundredths / 100) + decimalSeparator + fraction}});
}

std::string AdapterDetailsText(const std::string& name, const std::string& ipAddress,
                               const std::string& macAddress, uint32_t portSpeed,
                               const std::string& decimalSeparator) {
    std::string text = FormatText(Text(TTextId::SettingsAdaptersName), {{"name", name}});
    text += "\r\n";
    AppendText(text, Text(TTextId::SettingsAdaptersIpAddress), {{"address", ipAddress}});
    text += "\r\n";
    AppendText(text, Text(TTextId::SettingsAdaptersMacAddress), {{"address", macAddress}});
    text += "\r\n";
    AppendText(text, Text(TTextId::SettingsAdaptersPortSpeed),
               {{"speed", PortSpeedText(portSpeed, decimalSeparator)}});
    return text;
}
