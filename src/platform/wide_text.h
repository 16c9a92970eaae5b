// Paths and texts are UTF-8 inside the program; the Win32 boundary takes and gives UTF-16 through
// these two, so that a folder the 8-bit code page cannot spell still works.
#pragma once
#include <string>
#include <string_view>

std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

// Text in the system's ANSI code page, the one that programs without a UTF-8 manifest use
// (files written by earlier versions), as UTF-8.
std::string Utf8FromAnsi(std::string_view text);

// Whether the A functions take UTF-8, as the manifest asks: Windows 10 1903 and later. Before,
// they take the ANSI code page and a UTF-8 text beyond ASCII shows as garbage.
bool WindowTextsTakeUtf8();
