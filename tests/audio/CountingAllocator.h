#pragma once

#include <atomic>

// Replaces the global allocator of the test binary that links CountingAllocator.cpp, and
// counts allocations while a flag is set, to prove render-thread entry points never allocate.
namespace tessary::test {

extern std::atomic<bool> g_countingAllocations;
extern std::atomic<long> g_allocations;

template <typename F>
long allocationsIn(F f)
{
    g_allocations = 0;
    g_countingAllocations = true;
    f();
    g_countingAllocations = false;
    return g_allocations;
}

} // namespace tessary::test
