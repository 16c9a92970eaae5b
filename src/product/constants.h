// Texts and numbers of the product that every part may show or compare.
#pragma once
#include "product/version.h"

inline constexpr const char kProductName[] = "Corvane"; // application title, update messages
inline constexpr const char kVersionText[] = CORVANE_VERSION_TEXT; // shown by the about box
inline constexpr int kOwnBuildNumber = CORVANE_BUILD_NUMBER; // compared with the update descriptor
inline constexpr const char kMainWindowClass[] = "TCorvaneMain"; // found by a second copy
// Colours as the store keeps them (a COLORREF in decimal): the window's default blue, and white.
inline constexpr int kDefaultBackgroundColour = 12937777;
inline constexpr int kWhiteColour = 16777215;
