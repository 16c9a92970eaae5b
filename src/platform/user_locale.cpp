// UserDecimalSeparator from the user's locale; the display language and the windows' language.
#include "platform/user_locale.h"
#include "platform/wide_text.h"
#include "text/texts.h"

#include <windows.h>

std::string UserDecimalSeparator() {
    char text[8] = "";
    // The length counts the terminating zero: 1 is an empty separator.
    if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, text, sizeof text) <= 1)
        return ".";
    return text;
}

std::string DisplayLanguageName() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = L"";
    if (::LCIDToLocaleName(MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT), name,
                           LOCALE_NAME_MAX_LENGTH, 0) == 0)
        return {}; // no name: the choice falls back to English
    return Utf8FromWide(name);
}

void ChooseWindowLanguage(std::string_view setting) {
    if (WindowTextsTakeUtf8())
        ChooseLanguage(setting, DisplayLanguageName());
    else
        ChooseLanguage("en", "");
}
