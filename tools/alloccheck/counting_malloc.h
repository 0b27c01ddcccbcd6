// The malloc family replaced for the whole program: every call is passed on
// to the C library's own allocator, and while `counting` is set each
// allocation is counted and the first few are kept with their callers.
#pragma once

#include <atomic>
#include <cstddef>

struct AllocationLog {
    static constexpr int KEPT = 4;
    static constexpr int DEPTH = 16;
    struct Seen {
        size_t bytes;
        int depth;
        void* callers[DEPTH];
    };

    std::atomic<bool> counting{false};
    std::atomic<long> count{0};
    Seen seen[KEPT];
    int recorded = 0;
};

AllocationLog& allocationLog();
