// GDI's text calls for the program's UTF-8 texts. The A functions convert through the code page
// of the font's character set, which need not be the UTF-8 one the manifest asks for (Wine takes
// the system's ANSI code page there); the W functions draw every script alike.
#pragma once
#include <windows.h>

#include <string_view>

int DrawTextUtf8(HDC dc, std::string_view text, RECT& rc, UINT format);
bool TextOutUtf8(HDC dc, int x, int y, std::string_view text);
// {0, 0} when GDI cannot measure it.
SIZE TextExtentUtf8(HDC dc, std::string_view text);
