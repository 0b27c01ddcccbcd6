#include "tools/alloccheck/counting_malloc.h"

#include <execinfo.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

// glibc's allocator under its own names: what the replacements hand on to.
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);
}

namespace {
AllocationLog theLog;
thread_local bool inside = false; // the log's own backtrace must not count

void note(size_t bytes) {
    if (!theLog.counting.load(std::memory_order_relaxed) || inside) return;
    inside = true;
    const long n = theLog.count.fetch_add(1);
    if (n < AllocationLog::KEPT) {
        AllocationLog::Seen& seen = theLog.seen[n];
        seen.bytes = bytes;
        seen.depth = backtrace(seen.callers, AllocationLog::DEPTH);
        theLog.recorded = static_cast<int>(n) + 1;
    }
    inside = false;
}
} // namespace

AllocationLog& allocationLog() {
    return theLog;
}

extern "C" {
void* malloc(size_t size) {
    note(size);
    return __libc_malloc(size);
}
void* calloc(size_t n, size_t size) {
    note(n * size);
    return __libc_calloc(n, size);
}
void* realloc(void* p, size_t size) {
    note(size);
    return __libc_realloc(p, size);
}
void* memalign(size_t alignment, size_t size) {
    note(size);
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(size_t alignment, size_t size) {
    note(size);
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size) {
    note(size);
    void* p = __libc_memalign(alignment, size);
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}
void* valloc(size_t size) {
    note(size);
    return __libc_memalign(4096, size);
}
void free(void* p) {
    __libc_free(p);
}
}
