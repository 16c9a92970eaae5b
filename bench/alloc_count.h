// Counts the program's calls of the global operator new, so that a benchmark can tell how often
// the code it times goes to the heap.
#pragma once
#include <cstdint>

uint64_t HeapAllocations();
