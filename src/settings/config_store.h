// The configuration store lives in config/; this name stays for the monitor until it is given
// its switches instead of reading the store.
#pragma once
#include "config/config_store.h"
