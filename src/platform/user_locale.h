// The user's regional settings that the figures follow, and the language Windows shows.
#pragma once
#include <string>
#include <string_view>

// The locale name of Windows' display language ("de-DE"); empty when Windows names none.
std::string DisplayLanguageName();

// The language of the windows from now on: the setting's (empty: Windows' display language).
// English where window texts cannot be UTF-8 (Windows before 10 1903): the translations'
// letters would show as garbage in the ANSI code page.
void ChooseWindowLanguage(std::string_view setting);

// The decimal separator of the user's locale; "." when it is not set.
std::string UserDecimalSeparator();
