#include "audio/dsp/BrownNoiseGenerator.h"

#include <algorithm>
#include <cassert>
#include <chrono>
#include <cmath>
#include <random>

namespace tessary::dsp {

namespace {

// A uniform draw from 1 ... 2^32 - 1. std::random_device can throw where the system has
// no entropy source; a mixed clock reading is good enough for ambient noise then.
std::uint32_t systemSeed()
{
    try {
        std::random_device device;
        for (;;) {
            if (const std::uint32_t s = device(); s != 0)
                return s;
        }
    } catch (...) {
        auto t = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
        t = (t ^ (t >> 30)) * 0xbf58476d1ce4e5b9ULL;
        t = (t ^ (t >> 27)) * 0x94d049bb133111ebULL;
        const auto s = static_cast<std::uint32_t>(t ^ (t >> 32));
        return s != 0 ? s : 1u;
    }
}

} // namespace

void BrownNoiseGenerator::init(float sampleRate, const std::atomic<float> *level)
{
    init(sampleRate, level, systemSeed());
}

void BrownNoiseGenerator::init(float sampleRate, const std::atomic<float> *level, std::uint32_t seed)
{
    assert(seed != 0);
    if (seed == 0)
        seed = 1; // a zero state would never leave zero

    m_gain = 0.0f;
    m_shared.last = m_sideLeft.last = m_sideRight.last = 0.0f;
    m_level = level;
    m_gainCoefficient = 1.0f - std::exp(-1.0f / (sampleRate * 0.3f));

    m_highpassLeft = m_highpassRight = Biquad::highPass(sampleRate, 30.0f, 0.707f);
    m_lowpassLeft = m_lowpassRight = Biquad::lowPass(sampleRate, 700.0f, 0.6f);

    m_breath.coefficient = 1.0f - std::exp(-1.0f / (sampleRate * 3.0f));
    m_breath.minimumHold = 5.0f * sampleRate;
    m_breath.maximumHold = 12.0f * sampleRate;
    m_breath.lower = 0.82f;
    m_breath.upper = 1.0f;

    m_noise.state = seed;
    const float start = uniformSample(m_noise.next()) * 0.18f + 0.82f;
    m_breath.value = m_breath.intermediate = m_breath.target = start;
    m_breath.countdown = 0; // the first sample draws a fresh goal and hold
}

void BrownNoiseGenerator::render(float *left, float *right, int frames)
{
    assert(frames >= 0);
    if (frames <= 0)
        return;

    const float level = m_level ? m_level->load(std::memory_order_relaxed) : 0.0f;

    if (level == 0.0f && m_gain < 0.0001f) {
        m_gain = 0.0f;
        std::fill_n(left, frames, 0.0f);
        std::fill_n(right, frames, 0.0f);
        return;
    }

    // Work on local copies: as far as the compiler knows, the output pointers might alias the
    // members, which would force a reload of the state after every store. The arithmetic is
    // the same either way.
    float gain = m_gain;
    const float gainCoefficient = m_gainCoefficient;
    NoiseSource noise = m_noise;
    BrownNoise shared = m_shared;
    BrownNoise sideLeft = m_sideLeft;
    BrownNoise sideRight = m_sideRight;
    Biquad highpassLeft = m_highpassLeft;
    Biquad highpassRight = m_highpassRight;
    Biquad lowpassLeft = m_lowpassLeft;
    Biquad lowpassRight = m_lowpassRight;
    Drift breath = m_breath;

    for (int i = 0; i < frames; ++i) {
        gain = gain + gainCoefficient * (level - gain);
        const float b = breath.next(noise);
        const std::uint32_t r1 = noise.next();
        const std::uint32_t r2 = noise.next();
        const float amp = (b * gain) * 0.95f;

        shared.step(whiteSample(r1));
        sideLeft.step(whiteSample(r2));
        const float common = (shared.last * 3.5f) * 0.8f;
        const float xL = common + (sideLeft.last * 3.5f) * 0.6f;
        left[i] = amp * lowpassLeft.process(highpassLeft.process(xL));

        const std::uint32_t r3 = noise.next();
        sideRight.step(whiteSample(r3));
        const float xR = common + (sideRight.last * 3.5f) * 0.6f;
        right[i] = amp * lowpassRight.process(highpassRight.process(xR));
    }

    m_gain = gain;
    m_noise = noise;
    m_shared = shared;
    m_sideLeft = sideLeft;
    m_sideRight = sideRight;
    m_highpassLeft = highpassLeft;
    m_highpassRight = highpassRight;
    m_lowpassLeft = lowpassLeft;
    m_lowpassRight = lowpassRight;
    m_breath = breath;
}

} // namespace tessary::dsp
