// Counts the heap allocations of this test binary while a flag is set, to prove that the
// render-thread entry points never allocate.

#include "audio/dsp/BrownNoiseGenerator.h"
#include "audio/dsp/PeakLimiter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

namespace {

std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};

void *counted(void *p)
{
    if (!p)
        throw std::bad_alloc();
    if (g_counting)
        ++g_allocations;
    return p;
}

template <typename F>
long allocationsIn(F f)
{
    g_allocations = 0;
    g_counting = true;
    f();
    g_counting = false;
    return g_allocations;
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

TEST(dsp_Allocation, RenderAndProcessNeverAllocate)
{
    ASSERT_EQ(allocationsIn([] { ::operator delete(::operator new(16)); }), 1); // the counter counts

    std::atomic<float> level{0.8f};
    tessary::dsp::BrownNoiseGenerator generator;
    generator.init(48000.0f, &level, 3);
    tessary::dsp::PeakLimiter limiter;
    limiter.prepare(48000.0f, 256);
    std::vector<float> left(4096), right(4096);

    EXPECT_EQ(allocationsIn([&] {
                  for (int frames : {1, 256, 4096, 0, 1000}) {
                      generator.render(left.data(), right.data(), frames);
                      limiter.process(left.data(), right.data(), frames); // 4096 is split inside
                  }
                  level = 0.0f;
                  for (int i = 0; i < 400; ++i) // through the fade into the silent path
                      generator.render(left.data(), right.data(), 480);
              }),
              0);
}
