// Texts and numbers of the main unit that other parts show or compare.
#pragma once

inline constexpr const char kProductName[] = "Corvane"; // application title, update messages
inline constexpr const char kVersionText[] = "1.0.003"; // shown by the about box
inline constexpr int kOwnBuildNumber = 6;               // compared with the update descriptor
inline constexpr const char kMainWindowClass[] = "TCorvaneMain"; // found by a second copy
