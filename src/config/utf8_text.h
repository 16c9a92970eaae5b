// Whether bytes are UTF-8, and cutting UTF-8 to a byte limit without splitting a character.
#pragma once
#include <cstddef>
#include <string_view>

// Well-formed UTF-8 only: no stray continuation byte, no sequence cut short, no overlong form,
// no surrogate and nothing above U+10FFFF. Plain ASCII is UTF-8.
bool IsUtf8(std::string_view text);

// The longest start of text that has at most maxBytes bytes and ends on a character boundary.
std::string_view Utf8Prefix(std::string_view text, size_t maxBytes);
