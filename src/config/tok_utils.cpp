// Delimited field helpers. Views instead of copies keep long texts and large indexes linear.
#include "config/tok_utils.h"

#include <string_view>

namespace {

std::string_view TrimSeparatorView(std::string_view text, std::string_view separator) {
    if (separator.size() != 1)
        return text;
    const char sep = separator[0];
    while (!text.empty() && text.back() == sep)
        text.remove_suffix(1);
    while (!text.empty() && text.front() == sep)
        text.remove_prefix(1);
    return text;
}

// Position of separator in text, or npos; an empty separator never occurs.
size_t FindSeparator(std::string_view text, std::string_view separator) {
    return separator.empty() ? std::string_view::npos : text.find(separator);
}

} // namespace

std::string TrimSeparator(const std::string& text, const std::string& separator) {
    return std::string(TrimSeparatorView(text, separator));
}

std::string ExtractField(const std::string& s, const std::string& separator, int32_t index,
                         bool toEnd, bool trimEnds) {
    std::string_view t = s;
    for (int32_t step = 1; step < index; ++step) {
        if (trimEnds)
            t = TrimSeparatorView(t, separator);
        size_t pos = FindSeparator(t, separator);
        // Without a separator nothing changes any more, however many steps remain.
        if (pos == std::string_view::npos)
            break;
        // Up to and including the separator's first character only.
        t.remove_prefix(pos + 1);
    }
    if (trimEnds)
        t = TrimSeparatorView(t, separator);
    if (toEnd)
        return std::string(t);
    return std::string(t.substr(0, FindSeparator(t, separator)));
}
