#include "CountingAllocator.h"

#include <cstdlib>
#include <new>

namespace tessary::test {
std::atomic<bool> g_countingAllocations{false};
std::atomic<long> g_allocations{0};
} // namespace tessary::test

namespace {
void *counted(void *p)
{
    if (!p)
        throw std::bad_alloc();
    if (tessary::test::g_countingAllocations)
        ++tessary::test::g_allocations;
    return p;
}
} // namespace

// Array and nothrow forms forward to these.
void *operator new(std::size_t n) { return counted(std::malloc(n ? n : 1)); }
void *operator new(std::size_t n, std::align_val_t a)
{
    const auto align = std::size_t(a);
    return counted(std::aligned_alloc(align, (n + align - 1) / align * align));
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete(void *p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void *p, std::size_t, std::align_val_t) noexcept { std::free(p); }
