// The program's texts by identifier, in the chosen language: English, built in from
// res/lang/en.txt, whose keys the build turns into the identifiers (menu.check_updates is
// TTextId::MenuCheckUpdates), and the languages listed in res/lang/languages.txt.
#pragma once
#include "text/text_format.h"
#include "text/text_ids.h"
#include "text/text_table.h"

// The built-in languages, unpacked on first use and kept for the process's life.
const TLanguages& BuiltInLanguages();

// The table of the chosen language (English until one is chosen). Any thread may read it: a
// choice swaps which table is shown, and no table is ever freed.
const TTextTable& Texts();

// The language shown from now on: the setting's, or for an empty setting the one that suits
// Windows' display language `localeName` best.
void ChooseLanguage(std::string_view setting, std::string_view localeName);

inline const std::string& Text(TTextId id) {
    return Texts().Text(static_cast<size_t>(id));
}
inline const std::string& Text(TPluralId id, int64_t count) {
    return Texts().Text(static_cast<size_t>(id), count);
}
