// The pseudo-language: every letter that has an accented twin takes it, and padding of "·"
// makes the text 40 % longer, so that a text that fits only in English shows.
#include "text/text_table.h"

namespace {

// Each plain letter followed by its accented twin, two bytes of UTF-8.
constexpr std::string_view kTwins = "a\xC3\xA1" "e\xC3\xAB" "i\xC3\xAF" "o\xC3\xB6" "u\xC3\xBC"
                                    "c\xC3\xA7" "n\xC3\xB1" "y\xC3\xBD" "A\xC3\x85" "E\xC3\x89"
                                    "I\xC3\x8E" "O\xC3\x96" "U\xC3\x9C" "C\xC3\x87" "N\xC3\x91";

// The twin of a letter; empty for one without.
std::string_view Accented(char c) {
    for (size_t i = 0; i < kTwins.size(); i += 3) {
        if (kTwins[i] == c)
            return kTwins.substr(i + 1, 2);
    }
    return {};
}

// Characters, not bytes: a UTF-8 continuation byte adds none.
size_t Characters(std::string_view s) {
    size_t count = 0;
    for (const char c : s)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

} // namespace

std::string PseudoText(std::string_view english) {
    const size_t tab = english.find('\t'); // a menu item's shortcut stays last
    const std::string_view shown = english.substr(0, tab);
    std::string out;
    bool placeholder = false, mnemonic = false;
    for (const char c : shown) {
        const std::string_view twin = placeholder || mnemonic ? std::string_view() : Accented(c);
        if (twin.empty())
            out += c;
        else
            out += twin;
        placeholder = c == '{' || (placeholder && c != '}');
        mnemonic = c == '&' && !mnemonic;
    }
    const size_t padding = (Characters(shown) * 4 + 9) / 10;
    for (size_t i = 0; i < padding; ++i)
        out += i % 5 == 0 ? " " : "\xC2\xB7"; // words of dots, so that a text may wrap
    if (!out.empty() && out.back() == ' ')
        out.back() = '.'; // no blank at the end, where a dialog could not show it
    if (tab != std::string_view::npos)
        out += english.substr(tab);
    return out;
}
