// The UTF-8 texts of the portable core and the UTF-16 that the system's wide functions take
// (Windows only). A text that is not valid UTF-8 fails with TFileError "invalid name".
#pragma once
#include <string>

std::wstring WideFromUtf8(const std::string& utf8);
std::string Utf8FromWide(const std::wstring& wide);
