// The text of the application's error box: the error's text with a full stop appended when
// its last character sorts after the full stop ("Disk full" becomes "Disk full.").
#pragma once
#include <string>

inline std::string ErrorBoxText(std::string message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        message += '.';
    return message;
}
