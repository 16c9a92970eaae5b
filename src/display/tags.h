// The tags offered in the settings dialog's tag list, in the list's order, each with the
// description shown beside it.
#pragma once
#include <array>
#include <cstddef>
#include <string>

struct TTagEntry {
    const char* Tag;
    const char* Description;
};

constexpr size_t kTagEntryCount = 59;

// "%nl%" first, then the 58 numeric tags in the dialog's order.
const std::array<TTagEntry, kTagEntryCount>& TagEntries();

// The text of one list entry: "Tag - Description".
std::string TagEntryText(const TTagEntry& entry);
