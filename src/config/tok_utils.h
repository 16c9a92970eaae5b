// Delimited field helpers: take a leading piece off a display string such as "12. Adapter"
// or "%nl% - New Line". Pure functions of their arguments.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The index-th field (from 1; below 2 means the first) of s split by separator. toEnd keeps
// everything after the field as well; trimEnds strips separators at the ends before each step
// and from the result, so runs of separators make no empty fields.
std::string ExtractField(const std::string& s, const std::string& separator, int32_t index,
                         bool toEnd, bool trimEnds);

// text without the characters equal to a one-character separator at its end and its start;
// a separator of any other length never matches.
std::string TrimSeparator(const std::string& text, const std::string& separator);

// Calls fn with each piece of text between separators, left to right; an empty text has none.
// (No string stream: its locale machinery would more than double the executable.)
template <typename TFn> void ForEachItem(std::string_view text, char separator, TFn fn) {
    while (!text.empty()) {
        const size_t end = text.find(separator);
        fn(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
}
