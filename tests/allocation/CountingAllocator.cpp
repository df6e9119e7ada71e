#include "tests/allocation/CountingAllocator.h"

#include <errno.h>
#include <stddef.h>

#include <cstdlib>
#include <new>

// The C library's own allocator, under the names it exports for those who replace
// malloc and still want it to do the work.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* block);
}

namespace {

// Plain counters: the tests run on one thread, and 64-bit atomics would need a
// library of their own on small ARM processors.
uint64_t mallocs = 0;
uint64_t news = 0;

void Count() { ++mallocs; }

void* New(size_t size) {
    ++news;
    Count();
    void* block = __libc_malloc(size == 0 ? 1 : size);
    if (block == nullptr) std::abort();
    return block;
}

void* AlignedNew(size_t size, std::align_val_t alignment) {
    ++news;
    Count();
    void* block = __libc_memalign(static_cast<size_t>(alignment), size == 0 ? 1 : size);
    if (block == nullptr) std::abort();
    return block;
}

}  // namespace

AllocationCount Allocations() { return {mallocs, news}; }

extern "C" {

void* malloc(size_t size) {
    Count();
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) {
    Count();
    return __libc_calloc(count, size);
}

void* realloc(void* block, size_t size) {
    Count();
    return __libc_realloc(block, size);
}

void free(void* block) { __libc_free(block); }

void* memalign(size_t alignment, size_t size) {
    Count();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) {
    Count();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** block, size_t alignment, size_t size) {
    Count();
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
    *block = __libc_memalign(alignment, size);
    return *block == nullptr ? ENOMEM : 0;
}

}  // extern "C"

void* operator new(size_t size) { return New(size); }
void* operator new[](size_t size) { return New(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return New(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return New(size); }
void* operator new(size_t size, std::align_val_t alignment) { return AlignedNew(size, alignment); }
void* operator new[](size_t size, std::align_val_t alignment) { return AlignedNew(size, alignment); }
void* operator new(size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return AlignedNew(size, alignment);
}
void* operator new[](size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return AlignedNew(size, alignment);
}

void operator delete(void* block) noexcept { __libc_free(block); }
void operator delete[](void* block) noexcept { __libc_free(block); }
void operator delete(void* block, size_t) noexcept { __libc_free(block); }
void operator delete[](void* block, size_t) noexcept { __libc_free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { __libc_free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { __libc_free(block); }
void operator delete(void* block, std::align_val_t) noexcept { __libc_free(block); }
void operator delete[](void* block, std::align_val_t) noexcept { __libc_free(block); }
void operator delete(void* block, size_t, std::align_val_t) noexcept { __libc_free(block); }
void operator delete[](void* block, size_t, std::align_val_t) noexcept { __libc_free(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept { __libc_free(block); }
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept { __libc_free(block); }
