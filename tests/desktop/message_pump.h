// Runs the test thread's message loop until a condition holds, waiting on the queue between
// rounds; bounded by a number of rounds, never by a measured duration.
#pragma once
#include <windows.h>
#include <functional>

// Dispatches messages until done() is true; false when maxRounds waits passed without it.
bool PumpUntil(const std::function<bool()>& done, int maxRounds = 400);
// Dispatches every message that is already queued.
void PumpPending();
