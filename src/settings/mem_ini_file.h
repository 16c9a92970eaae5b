// The configuration store lives in config/; this name stays for the IP Helper layer until its
// include follows.
#pragma once
#include "config/mem_ini_file.h"
