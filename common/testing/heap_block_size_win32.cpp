// The usable size of a heap block with the Windows C runtime's allocator.
#include "common/testing/heap_block_size.h"

#include <malloc.h>

size_t HeapBlockSize(void* p) { return _msize(p); }
