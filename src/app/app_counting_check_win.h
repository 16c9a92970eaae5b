// `corvane.exe --app-counting-check`: Corvane's own event session listened to beside the
// counters of the adapter that automatic mode counts.
#pragma once
#include "apps/app_counting_check.h"

// Listens for kCheckSeconds; a session that cannot start is told at once, with its reason.
TAppCountingCheck RunAppCountingCheck();
