// Test support: the usable size of a heap block, as the C runtime's allocator reports it
// (for counting the bytes a data structure takes; see cost_meter.h).
#pragma once

#include <cstddef>

// p: a block from malloc, calloc or realloc (not null).
size_t HeapBlockSize(void* p);
