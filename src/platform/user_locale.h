// The user's regional settings that the figures follow.
#pragma once
#include <string>

// The decimal separator of the user's locale; "." when it is not set.
std::string UserDecimalSeparator();
