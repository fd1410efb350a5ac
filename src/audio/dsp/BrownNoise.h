#pragma once

namespace tessary::dsp {

// One brown-noise channel: white noise integrated with a leak. The leak (divide by 1.02
// every sample) keeps the integrator from wandering off to large values and pins its
// spectrum flat below about 150 Hz at 48 kHz instead of rising without bound.
struct BrownNoise {
    float last = 0.0f;

    // Takes one white sample in [-1, 1] and returns the new integrator value.
    float step(float white)
    {
        last = (last + white * 0.02f) / 1.02f;
        return last;
    }
};

} // namespace tessary::dsp
