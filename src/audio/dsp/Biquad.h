#pragma once

#include <algorithm>
#include <cmath>

namespace tessary::dsp {

// One second-order IIR section in transposed direct form II (two state values, well
// behaved in single precision). Coefficients are already divided by a0.
struct Biquad {
    float b0 = 1.0f, b1 = 0.0f, b2 = 0.0f;
    float a1 = 0.0f, a2 = 0.0f;
    float z1 = 0.0f, z2 = 0.0f;

    float process(float x)
    {
        const float y = b0 * x + z1;
        z1 = (b1 * x - a1 * y) + z2;
        z2 = b2 * x - a2 * y;
        return y;
    }

    // Audio-EQ-cookbook high-pass. The cutoff is held at 0.45 x the sample rate at most,
    // so the design stays valid at very low rates. The constants (6.283185 for 2 pi) are
    // part of the sound: with others, a seed would no longer give the same samples.
    static Biquad highPass(float sampleRate, float cutoff, float q) { return cookbook(sampleRate, cutoff, q, true); }

    // Audio-EQ-cookbook low-pass, with the same cutoff cap.
    static Biquad lowPass(float sampleRate, float cutoff, float q) { return cookbook(sampleRate, cutoff, q, false); }

private:
    static Biquad cookbook(float sampleRate, float cutoff, float q, bool highPass)
    {
        const float fc = std::min(sampleRate * 0.45f, cutoff);
        const float w = (fc * 6.283185f) / sampleRate;
        const float s = std::sin(w);
        const float c = std::cos(w);
        const float alpha = s / (q * 2.0f); // 2q is exact in binary, so q = 0.707 divides by 1.414
        const float a0 = alpha + 1.0f;
        Biquad f;
        if (highPass) {
            f.b0 = ((c + 1.0f) * 0.5f) / a0;
            f.b1 = -(c + 1.0f) / a0;
        } else {
            f.b0 = ((1.0f - c) * 0.5f) / a0;
            f.b1 = (1.0f - c) / a0;
        }
        f.b2 = f.b0;
        f.a1 = (c * -2.0f) / a0;
        f.a2 = (1.0f - alpha) / a0;
        return f;
    }
};

} // namespace tessary::dsp
