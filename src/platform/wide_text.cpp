// UTF-8 <-> UTF-16 at the Win32 boundary, and the ANSI code page of earlier versions' files.
#include "platform/wide_text.h"

#include <windows.h>

namespace {

// Invalid input becomes U+FFFD rather than an error: texts are shown or used as names, and a
// stray byte must not cost the whole text.
std::wstring WideFrom(UINT codePage, std::string_view text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

// GetACP() answers 65001 under the manifest: the system's own ANSI code page comes from its
// locale (Western European should the locale not answer).
UINT SystemAnsiCodePage() {
    DWORD codePage = 0;
    if (!::GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                          reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(wchar_t)))
        return 1252;
    return codePage;
}

} // namespace

std::wstring WideFromUtf8(std::string_view text) {
    return WideFrom(CP_UTF8, text);
}

std::string Utf8FromWide(std::wstring_view text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::string Utf8FromAnsi(std::string_view text) {
    return Utf8FromWide(WideFrom(SystemAnsiCodePage(), text));
}

bool WindowTextsTakeUtf8() {
    return ::GetACP() == CP_UTF8;
}
