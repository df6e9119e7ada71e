#pragma once
#include <cstdint>

// Every heap allocation this test binary makes, by the C library and by operator new
// alike: malloc and its relatives and all forms of operator new are replaced by
// counting versions that hand the memory on to the C library's allocator.
struct AllocationCount {
    uint64_t mallocs;  // malloc, calloc, realloc, memalign and friends, new included
    uint64_t news;     // operator new of every form
};

AllocationCount Allocations();
