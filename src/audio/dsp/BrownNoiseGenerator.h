#pragma once

#include "audio/dsp/Biquad.h"
#include "audio/dsp/BrownNoise.h"
#include "audio/dsp/Drift.h"
#include "audio/dsp/NoiseSource.h"

#include <atomic>
#include <cstdint>

namespace tessary::dsp {

// The level cell is shared with the main thread without a lock; that is only sound if a
// float atomic is a plain aligned 32-bit load and store.
static_assert(std::atomic<float>::is_always_lock_free);

// Stereo brown noise for the ambient mix: band-limited to 30-700 Hz, slowly breathing in
// loudness, wide but correlated (each side takes 0.8 of one shared integrator and 0.6 of
// its own). Loudness follows a level cell that the mixer writes; the generator smooths it
// with a 0.3 s time constant, so level changes are fades, never clicks. There is no limiting here: the mixer's limiter
// does that for the whole bus.
//
// Threads: init() on the main thread before the render callback that owns this generator is
// installed (installing it publishes the state to the render thread). After that only the
// render callback touches the generator. render() is lock-free and allocation-free: plain
// arithmetic over the two buffers.
//
// Everything is single-precision arithmetic in a fixed order, built without contraction or
// fast-math, so one seed yields the same samples on every machine.
class BrownNoiseGenerator {
public:
    // A generator that was never initialised renders silence.
    BrownNoiseGenerator() = default;

    // Sets up for `sampleRate` Hz and the level cell at `level`, which must outlive the
    // generator; the generator only reads it. Draws the seed from the system's random source.
    // Main thread; may block briefly on the system random source.
    void init(float sampleRate, const std::atomic<float> *level);

    // As above with a given seed, for reproducible output. `seed` must not be 0.
    void init(float sampleRate, const std::atomic<float> *level, std::uint32_t seed);

    // Writes `frames` samples into each of two non-interleaved, non-overlapping channel
    // buffers. Reads the level cell once per call. While the level is 0 and the smoothed gain
    // has died away, fills zeros and leaves all noise and filter state as it was, so a muted
    // but attached generator costs almost nothing. `frames` == 0 writes and changes nothing.
    // Render thread only.
    void render(float *left, float *right, int frames);

    // Inspection for tests and tools; only while render() cannot run.
    float gain() const { return m_gain; }
    const NoiseSource &noise() const { return m_noise; }
    const Drift &breath() const { return m_breath; }
    const Biquad &highpass() const { return m_highpassLeft; }
    const Biquad &lowpass() const { return m_lowpassLeft; }

private:
    // Set once by init() on the main thread.
    const std::atomic<float> *m_level = nullptr; // written by the mixer, read here
    float m_gainCoefficient = 0.0f;              // one-pole coefficient, 0.3 s time constant

    // Render thread only after init().
    float m_gain = 0.0f; // smoothed loudness actually applied
    NoiseSource m_noise;
    BrownNoise m_shared; // common to both channels
    BrownNoise m_sideLeft;
    BrownNoise m_sideRight;
    Biquad m_highpassLeft;
    Biquad m_highpassRight;
    Biquad m_lowpassLeft;
    Biquad m_lowpassRight;
    Drift m_breath; // slow amplitude modulation, 0.82 to 1.0
};

} // namespace tessary::dsp
