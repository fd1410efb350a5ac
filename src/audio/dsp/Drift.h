#pragma once

#include "audio/dsp/NoiseSource.h"

#include <cstdint>

namespace tessary::dsp {

// A value that wanders between two bounds: it picks a random goal, holds it for a random
// number of samples, and follows it through two cascaded one-pole smoothers so the
// movement has no corners. Used as the slow "breath" on the brown noise's loudness.
// Since each goal lies within [lower, upper] and smoothing only ever moves part of the
// way towards it, the output never leaves the bounds either.
struct Drift {
    // Changes every sample.
    float value = 1.0f;        // output, second smoothing stage
    float intermediate = 1.0f; // first smoothing stage
    float target = 1.0f;       // current goal
    std::int64_t countdown = 0; // samples until the next goal; 0 draws one on the next step

    // Fixed after set-up.
    float lower = 1.0f;
    float upper = 1.0f;
    float minimumHold = 1.0f; // in samples
    float maximumHold = 1.0f; // in samples
    float coefficient = 1.0f; // shared by both smoothers

    // Advances one sample, drawing from the owner's random stream so that one seed covers
    // the whole generator. Consumes two random steps when it draws a new goal, none
    // otherwise.
    float next(NoiseSource &noise)
    {
        countdown = countdown - 1;
        if (countdown <= 0) {
            target = lower + (upper - lower) * uniformSample(noise.next());
            countdown = static_cast<std::int64_t>(minimumHold + (maximumHold - minimumHold) * uniformSample(noise.next()));
        }
        intermediate = intermediate + (target - intermediate) * coefficient;
        value = value + coefficient * (intermediate - value);
        return value;
    }
};

} // namespace tessary::dsp
