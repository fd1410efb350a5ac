#pragma once

#include <cstdint>

namespace tessary::dsp {

// The one random stream of a noise generator: xorshift32 with Marsaglia's shift triple
// 13/17/5. It is plain integer arithmetic with no hidden state, so a seed fixes every
// sample on every machine, and a step costs a handful of cycles on the render thread.
struct NoiseSource {
    // Never 0: zero is xorshift's fixed point and would lock the stream at silence.
    std::uint32_t state = 1;

    // Advances one step; the new state is also the output.
    std::uint32_t next()
    {
        std::uint32_t x = state;
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        state = x;
        return x;
    }
};

// A random output read as a signed integer and scaled by 2^-31. The conversion to float
// rounds to nearest, so the 64 largest integers land exactly on 1: the range is [-1, 1].
inline float whiteSample(std::uint32_t x)
{
    return static_cast<float>(static_cast<std::int32_t>(x)) * 0x1p-31f;
}

// The top 24 bits scaled by 2^-24: [0, 1), exact because 24 bits fit a float's mantissa.
inline float uniformSample(std::uint32_t x)
{
    return static_cast<float>(x >> 8) * 0x1p-24f;
}

} // namespace tessary::dsp
