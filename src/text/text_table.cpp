// The table of texts: a language's file laid over the built-in one, key by key.
#include "text/text_table.h"

#include <algorithm>

TTextTable::TTextTable(TTextFile builtIn)
    : entries_(std::move(builtIn.Entries)), plural_(builtIn.Plural) {}

std::vector<std::string> TTextTable::Translate(const TTextFile& language) {
    std::vector<std::string> faults;
    std::vector<bool> translated(entries_.size());
    for (const TTextEntry& given : language.Entries) {
        const auto fault = [&faults, &given](const char* what) {
            faults.push_back("line " + std::to_string(given.Line) + ": \"" + given.Key + "\" " +
                             what);
        };
        const auto entry =
            std::find_if(entries_.begin(), entries_.end(),
                         [&given](const TTextEntry& e) { return e.Key == given.Key; });
        if (entry == entries_.end()) {
            fault("is no text of the program");
            continue;
        }
        const size_t slot = static_cast<size_t>(entry - entries_.begin());
        if (translated[slot])
            fault("is given twice");
        else if (given.Text.empty())
            fault("has an empty text");
        else
            *entry = given;
        translated[slot] = true;
    }
    plural_ = language.Plural;
    return faults;
}
