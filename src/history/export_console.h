// corvane.exe started with options: the export command line, run without any window and
// without the one-copy-per-folder check, since it only reads the files (sharing them).
#pragma once
#include "apps/app_counting_check.h"

// Whether the process was started with any argument.
bool HasCommandLineOptions();
// Runs the options and returns the process's exit code. Messages go to the console the
// program was started from (or to where its output was sent), else into a message box.
// appCountingCheck runs the per-program counting check (it reads the adapters' counters).
int RunCommandLine(TAppCountingCheck (*appCountingCheck)());
