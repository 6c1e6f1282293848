// The usable size of a heap block with the GNU C library's allocator.
#include "common/testing/heap_block_size.h"

#include <malloc.h>

size_t HeapBlockSize(void* p) { return malloc_usable_size(p); }
