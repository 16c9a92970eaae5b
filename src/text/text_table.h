// The texts of one language over the built-in one: each text by its slot (its place in the
// built-in file), English where the language lacks it.
#pragma once
#include "text/text_file.h"

class TTextTable {
  public:
    // The built-in language: its keys name the slots, in its file's order.
    explicit TTextTable(TTextFile builtIn);

    // A language's texts over the built-in ones, with its plural rule; an empty text stays
    // built in. Returns what a translator should fix, each "line N: ...": keys the built-in
    // language lacks, keys given twice, empty texts.
    std::vector<std::string> Translate(const TTextFile& language);

    size_t Size() const { return entries_.size(); }
    const std::string& Key(size_t slot) const { return entries_[slot].Key; }
    const std::string& Text(size_t slot) const { return entries_[slot].Text; }
    // A text with a count: `slot` holds its "one" form, the next slot its "other" form.
    const std::string& Text(size_t slot, int64_t count) const {
        return Text(TakesOneForm(plural_, count) ? slot : slot + 1);
    }

  private:
    std::vector<TTextEntry> entries_; // a translated entry keeps its key, takes text and line
    TPluralRule plural_;
};
