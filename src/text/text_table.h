// The texts of one language, each by its slot (its place in English's file), with English
// wherever the language lacks a text.
#pragma once
#include "text/text_pack.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Which counts take a text's "one" form in a language; every other count takes "other".
enum class TPluralRule : uint8_t { OneFor1, OneFor0And1, None };

bool TakesOneForm(TPluralRule rule, int64_t count);

class TTextTable {
  public:
    TTextTable(std::vector<std::string> texts, TPluralRule plural)
        : texts_(std::move(texts)), plural_(plural) {}

    size_t Size() const { return texts_.size(); }
    const std::string& Text(size_t slot) const { return texts_[slot]; }
    // A text with a count: `slot` holds its "one" form, the next slot its "other" form.
    const std::string& Text(size_t slot, int64_t count) const {
        return Text(TakesOneForm(plural_, count) ? slot : slot + 1);
    }

  private:
    std::vector<std::string> texts_;
    TPluralRule plural_;
};

// English made 40 % longer with accented letters, to find texts that do not fit: placeholders,
// "&" mnemonics, the shortcut after a tab and line breaks stay as they are.
std::string PseudoText(std::string_view english);

// Every language of a pack, unpacked once and kept: a table handed out stays valid.
class TLanguages {
  public:
    // Throws std::runtime_error for a damaged pack.
    TLanguages(const TTextPack& pack, size_t slots);

    // The listed languages; the index Count() is the pseudo-language "qps".
    size_t Count() const { return pack_.LanguageCount; }
    const TLanguage& Language(size_t index) const { return pack_.Languages[index]; }
    const TTextTable& Table(size_t index) const { return tables_[index]; }

    // The language of a setting ("de", "qps"); for an empty one, the best for Windows' display
    // language `localeName` ("de-AT" is "de"); English for anything else.
    size_t Choose(std::string_view setting, std::string_view localeName) const;

  private:
    size_t Find(std::string_view code) const; // Count() + 1 when not listed

    const TTextPack& pack_;
    std::vector<TTextTable> tables_;
};
