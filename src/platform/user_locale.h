// The user's regional settings that the figures follow, and the language Windows shows.
#pragma once
#include <string>

// The locale name of Windows' display language ("de-DE"); empty when Windows names none.
std::string DisplayLanguageName();

// The decimal separator of the user's locale; "." when it is not set.
std::string UserDecimalSeparator();
