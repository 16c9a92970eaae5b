// The tags offered in the settings dialog's tag list, in the list's order, each with the
// description shown beside it.
#pragma once
#include "text/texts.h"

#include <array>
#include <cstddef>
#include <string>

struct TTagEntry {
    const char* Tag;
    TTextId Description; // shown beside it
};

constexpr size_t kTagEntryCount = 59;

// "%nl%" first, then the 58 numeric tags in the dialog's order.
const std::array<TTagEntry, kTagEntryCount>& TagEntries();

// The text of one list entry: "Tag - Description". Inline, so that the list itself needs no
// table of texts (tools/tag-table.py compiles it alone).
inline std::string TagEntryText(const TTagEntry& entry) {
    return std::string(entry.Tag) + " - " + Text(entry.Description);
}
