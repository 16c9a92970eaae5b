// UserDecimalSeparator from the user's locale.
#include "platform/user_locale.h"

#include <windows.h>

std::string UserDecimalSeparator() {
    char text[8] = "";
    // The length counts the terminating zero: 1 is an empty separator.
    if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, text, sizeof text) <= 1)
        return ".";
    return text;
}
