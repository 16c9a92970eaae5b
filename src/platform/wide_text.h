// Paths and texts are UTF-8 inside the program; the Win32 boundary takes and gives UTF-16 through
// these two, so that a folder the 8-bit code page cannot spell still works.
#pragma once
#include <string>
#include <string_view>

std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);
