#pragma once

#include "Random.h"
#include "Signal.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace tessary::soundgen {

// Second-order section (audio-EQ-cookbook designs), transposed direct form II, double state.
// Coefficients may be redesigned between samples for slow sweeps.
class Biquad {
public:
    void lowpass(double fc, double q) { design(fc, q, Kind::Lowpass); }
    void highpass(double fc, double q) { design(fc, q, Kind::Highpass); }
    // Band-pass with 0 dB gain at the centre.
    void bandpass(double fc, double q) { design(fc, q, Kind::Bandpass); }

    double operator()(double x)
    {
        const double y = m_b0 * x + m_z1;
        m_z1 = m_b1 * x - m_a1 * y + m_z2;
        m_z2 = m_b2 * x - m_a2 * y;
        return y;
    }

    void reset() { m_z1 = m_z2 = 0.0; }

private:
    enum class Kind { Lowpass, Highpass, Bandpass };

    void design(double fc, double q, Kind kind)
    {
        fc = std::clamp(fc, 1.0, 0.49 * kSampleRate);
        const double w = kTwoPi * fc / kSampleRate;
        const double c = std::cos(w);
        const double alpha = std::sin(w) / (2.0 * q);
        const double a0 = 1.0 + alpha;
        switch (kind) {
        case Kind::Lowpass:
            m_b0 = m_b2 = (1.0 - c) / 2.0 / a0;
            m_b1 = (1.0 - c) / a0;
            break;
        case Kind::Highpass:
            m_b0 = m_b2 = (1.0 + c) / 2.0 / a0;
            m_b1 = -(1.0 + c) / a0;
            break;
        case Kind::Bandpass:
            m_b0 = alpha / a0;
            m_b1 = 0.0;
            m_b2 = -alpha / a0;
            break;
        }
        m_a1 = -2.0 * c / a0;
        m_a2 = (1.0 - alpha) / a0;
    }

    double m_b0 = 1.0, m_b1 = 0.0, m_b2 = 0.0, m_a1 = 0.0, m_a2 = 0.0;
    double m_z1 = 0.0, m_z2 = 0.0;
};

// State-variable filter in its trapezoidal (zero-delay feedback) form: stays stable and quiet
// when the cutoff moves every few samples at high resonance, where a biquad would zipper.
class Svf {
public:
    struct Out {
        double low, band, high;
    };

    void tune(double fc, double q)
    {
        fc = std::clamp(fc, 1.0, 0.49 * kSampleRate);
        m_g = std::tan(kPi * fc / kSampleRate);
        m_k = 1.0 / q;
        m_a1 = 1.0 / (1.0 + m_g * (m_g + m_k));
    }

    Out operator()(double x)
    {
        const double v3 = x - m_ic2;
        const double v1 = m_a1 * m_ic1 + m_g * m_a1 * v3;
        const double v2 = m_ic2 + m_g * v1;
        m_ic1 = 2.0 * v1 - m_ic1;
        m_ic2 = 2.0 * v2 - m_ic2;
        return {v2, v1, x - m_k * v1 - v2};
    }

    // Band output scaled to 0 dB at the centre.
    double bandNormalised(double x) { return (*this)(x).band * m_k; }

private:
    double m_g = 0.1, m_k = 1.4, m_a1 = 0.0;
    double m_ic1 = 0.0, m_ic2 = 0.0;
};

class OnePoleLowpass {
public:
    explicit OnePoleLowpass(double fc = 1000.0) { tune(fc); }
    void tune(double fc) { m_a = 1.0 - std::exp(-kTwoPi * fc / kSampleRate); }
    double operator()(double x) { return m_y += m_a * (x - m_y); }

private:
    double m_a = 0.0, m_y = 0.0;
};

// Removes the offset that clipping and rectifying leave behind.
class DcBlocker {
public:
    double operator()(double x)
    {
        const double y = x - m_x1 + 0.9995 * m_y1;
        m_x1 = x;
        m_y1 = y;
        return y;
    }

private:
    double m_x1 = 0.0, m_y1 = 0.0;
};

// White in, -3 dB/octave out (P. Kellet's refined filter), unit-ish gain.
class PinkFilter {
public:
    double operator()(double w)
    {
        m_b[0] = 0.99886 * m_b[0] + w * 0.0555179;
        m_b[1] = 0.99332 * m_b[1] + w * 0.0750759;
        m_b[2] = 0.96900 * m_b[2] + w * 0.1538520;
        m_b[3] = 0.86650 * m_b[3] + w * 0.3104856;
        m_b[4] = 0.55000 * m_b[4] + w * 0.5329522;
        m_b[5] = -0.7616 * m_b[5] - w * 0.0168980;
        const double pink = m_b[0] + m_b[1] + m_b[2] + m_b[3] + m_b[4] + m_b[5] + m_b[6] + w * 0.5362;
        m_b[6] = w * 0.115926;
        return pink * 0.11;
    }

private:
    double m_b[7] = {};
};

// White in, -6 dB/octave above ~20 Hz out (leaky integrator), unit-ish gain.
class BrownFilter {
public:
    double operator()(double w) { return m_y = 0.9974 * m_y + 0.072 * w; }

private:
    double m_y = 0.0;
};

// Uniform white noise of n frames, read circularly by the noise beds.
inline Channel noiseTable(Random &rng, std::size_t n)
{
    Channel t(n);
    for (auto &v : t)
        v = float(rng.bipolar());
    return t;
}

} // namespace tessary::soundgen
