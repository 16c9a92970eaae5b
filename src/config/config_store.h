// The process-wide configuration store on "config.ini" beside the executable.
#pragma once
#include "config/mem_ini_file.h"

#include <string>

inline constexpr char kConfigFileName[] = "config.ini";

// Creates the store once, at start-up; it lives until the process ends. legacy reads a file
// that is not UTF-8 (see TMemIniFile).
void OpenConfigStore(const std::string& path, TLegacyTextDecoder legacy = nullptr);
// The store; OpenConfigStore must have run.
TMemIniFile& ConfigStore();
