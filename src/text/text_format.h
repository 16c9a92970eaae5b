// Placeholders in texts: "{used}MB of {quota}MB used" with the values of "used" and "quota".
#pragma once
#include <initializer_list>
#include <string>
#include <string_view>

struct TTextArg {
    std::string_view Name;
    std::string_view Value;
};

// Appends `text` to `out` with each {name} that `args` gives replaced by its value; any other
// brace, and a name that `args` lacks, stays as written. No allocation once `out` has room.
void AppendText(std::string& out, std::string_view text, std::initializer_list<TTextArg> args);

inline std::string FormatText(std::string_view text, std::initializer_list<TTextArg> args) {
    std::string out;
    AppendText(out, text, args);
    return out;
}
