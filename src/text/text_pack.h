// The languages built into the program, as cmake/embed_texts.py packs them from res/lang.
#pragma once
#include <cstddef>

struct TLanguage {
    const char* Code; // "de", "zh-CN"
    const char* Name; // in the language itself: "Deutsch"
};

// Unpacked, each language in the list's order is its plural rule (one byte) and its texts in
// English's slots, each ended by a NUL; an empty text is one the language lacks.
struct TTextPack {
    const unsigned char* Deflated; // raw deflate
    size_t DeflatedSize;
    size_t UnpackedSize;
    const unsigned char* Plain; // the unpacked bytes, in the tests' packs only
    const TLanguage* Languages; // English first
    size_t LanguageCount;
};

extern const TTextPack kBuiltInTexts;
