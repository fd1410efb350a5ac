// The render-thread entry points never allocate.

#include "CountingAllocator.h"
#include "audio/dsp/BrownNoiseGenerator.h"
#include "audio/dsp/PeakLimiter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

using tessary::test::allocationsIn;

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
