// The language files: UTF-8 text, one "key = text" a line (res/lang/en.txt describes the
// format for translators), read into their entries.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Which counts take a text's "one" form in a language; every other count takes "other".
enum class TPluralRule { OneFor1, OneFor0And1, None };

bool TakesOneForm(TPluralRule rule, int64_t count);

struct TTextEntry {
    std::string Key;
    std::string Text; // escapes resolved, placeholders as written
    int Line = 0;
};

struct TTextFile {
    TPluralRule Plural = TPluralRule::OneFor1;
    std::vector<TTextEntry> Entries; // in the file's order
};

// A file that breaks the format throws std::runtime_error naming the line and the fault
// ("line 12: ..."). Keys are checked for their form only: whether a key names a text is the
// table's business.
TTextFile ParseTextFile(std::string_view bytes);
