#include "Alerts.h"

#include "Filters.h"
#include "Mastering.h"
#include "Random.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>
#include <utility>

namespace tessary::soundgen {
namespace {

std::size_t frames(double seconds) { return std::size_t(seconds * kSampleRate); }

// A decaying sine partial: raised-cosine attack, then exponential decay with time constant `tau`.
void addPartial(Channel &out, double start, double frequency, double gain, double attack, double tau)
{
    const std::size_t from = frames(start);
    const double a = std::max(1.0, attack * kSampleRate);
    for (std::size_t i = from; i < out.size(); ++i) {
        const double t = double(i - from);
        const double rise = t < a ? 0.5 - 0.5 * std::cos(kPi * t / a) : 1.0;
        const double env = rise * std::exp(-t / (tau * kSampleRate));
        out[i] += float(gain * env * std::sin(kTwoPi * frequency * t / kSampleRate));
    }
}

// A held tone with linear-in-amplitude raised-cosine edges: beeps and Morse dits.
void addTone(Channel &out, double start, double seconds, double frequency, double edge,
             std::initializer_list<double> harmonics)
{
    const std::size_t from = frames(start), n = frames(seconds);
    const double e = edge * kSampleRate;
    for (std::size_t i = 0; i < n && from + i < out.size(); ++i) {
        const double t = double(i);
        const double rise = std::min(1.0, t / e), fall = std::min(1.0, (double(n) - t) / e);
        const double env = (0.5 - 0.5 * std::cos(kPi * rise)) * (0.5 - 0.5 * std::cos(kPi * fall));
        double v = 0.0;
        int k = 1;
        for (const double h : harmonics)
            v += h * std::sin(kTwoPi * frequency * k++ * t / kSampleRate);
        out[from + i] += float(env * v);
    }
}

Channel glass()
{
    // A struck wine glass: inharmonic modes, the fundamental split in two for a slow shimmer.
    Channel out(frames(1.45), 0.0f);
    addPartial(out, 0.0, 1568.0, 0.6, 0.0015, 0.3);
    addPartial(out, 0.0, 1571.5, 0.4, 0.0015, 0.28);
    addPartial(out, 0.0, 1568.0 * 2.32, 0.35, 0.001, 0.2);
    addPartial(out, 0.0, 1568.0 * 4.25, 0.15, 0.001, 0.09);
    addPartial(out, 0.0, 1568.0 * 6.63, 0.07, 0.001, 0.05);
    return out;
}

Channel ping()
{
    Channel out(frames(1.0), 0.0f);
    addPartial(out, 0.0, 1318.5, 1.0, 0.004, 0.2);
    addPartial(out, 0.0, 2637.0, 0.12, 0.004, 0.1);
    return out;
}

Channel pop(std::uint64_t seed)
{
    // A cork leaving a bottle: a quick downward pitch drop over a tiny breathy burst.
    Channel out(frames(0.18), 0.0f);
    double phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kSampleRate;
        const double f = 180.0 + 620.0 * std::exp(-t / 0.018);
        phase += kTwoPi * f / kSampleRate;
        const double env = std::min(1.0, t / 0.0015) * std::exp(-t / 0.03);
        out[i] += float(env * std::sin(phase));
    }
    Random rng(seed, "alert/pop");
    Biquad band;
    band.bandpass(1600.0, 1.2);
    for (std::size_t i = 0; i < frames(0.012); ++i) {
        const double t = double(i) / kSampleRate;
        const double env = std::min(1.0, t / 0.0008) * std::exp(-t / 0.003);
        out[i] += float(0.5 * env * band(rng.bipolar()));
    }
    return out;
}

Channel tink()
{
    // A spoon on a small metal plate: short, high, bright.
    Channel out(frames(0.35), 0.0f);
    addPartial(out, 0.0, 2960.0, 0.8, 0.0005, 0.07);
    addPartial(out, 0.0, 2960.0 * 1.49, 0.45, 0.0005, 0.05);
    addPartial(out, 0.0, 2960.0 * 2.33, 0.25, 0.0005, 0.03);
    addPartial(out, 0.0, 2960.0 * 3.07, 0.12, 0.0005, 0.02);
    return out;
}

Channel submarine()
{
    // A sonar ping and its fainter echo.
    Channel out(frames(1.5), 0.0f);
    for (const auto &[start, gain] : {std::pair{0.0, 1.0}, std::pair{0.42, 0.3}}) {
        addPartial(out, start, 587.3, gain, 0.02, 0.26);
        addPartial(out, start, 587.3 * 3.0, gain * 0.12, 0.02, 0.12);
        addPartial(out, start, 591.0, gain * 0.3, 0.03, 0.3);
    }
    return out;
}

Channel purr(std::uint64_t seed)
{
    // A soft low flutter: a low tone and breathy band-passed noise, pulsing ~26 times a second.
    Channel out(frames(0.8), 0.0f);
    Random rng(seed, "alert/purr");
    Biquad band, soften;
    band.bandpass(420.0, 2.5);
    soften.lowpass(1500.0, 0.7);
    double phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kSampleRate;
        const double x = t / 0.8;
        const double env = std::pow(std::sin(kPi * std::pow(x, 0.5)), 2.0);
        const double flutter = std::pow(0.5 - 0.5 * std::cos(kTwoPi * 26.0 * t), 1.5);
        phase += kTwoPi * (190.0 - 20.0 * x) / kSampleRate;
        out[i] = float(env * flutter * (0.6 * std::sin(phase) + 0.25 * std::sin(2.0 * phase) + 2.0 * soften(band(rng.bipolar()))));
    }
    return out;
}

Channel morse()
{
    // "S": three short dits.
    Channel out(frames(0.42), 0.0f);
    for (int k = 0; k < 3; ++k)
        addTone(out, 0.02 + k * 0.13, 0.065, 880.0, 0.006, {1.0, 0.0, 0.12});
    return out;
}

Channel hero()
{
    // A bright rising arpeggio (C E G C) for a finished round.
    Channel out(frames(1.45), 0.0f);
    const double notes[4] = {523.25, 659.25, 783.99, 1046.5};
    for (int k = 0; k < 4; ++k) {
        const double start = 0.01 + 0.1 * k;
        const double tau = k == 3 ? 0.28 : 0.2;
        for (int h = 1; h <= 6; ++h)
            addPartial(out, start, notes[k] * h, 0.5 * std::pow(double(h), -1.3), 0.006, tau / std::sqrt(double(h)));
    }
    return out;
}

Channel beep()
{
    Channel out(frames(0.25), 0.0f);
    addTone(out, 0.01, 0.2, 880.0, 0.008, {1.0, 0.25, 0.08});
    return out;
}

// Silence at both ends whatever the recipe: a 60 ms fade to zero on the tail.
void finish(Channel &c)
{
    const std::size_t fade = std::min(c.size() / 2, frames(0.06));
    for (std::size_t i = 0; i < fade; ++i) {
        const double x = double(i) / double(fade);
        c[c.size() - 1 - i] *= float(0.5 - 0.5 * std::cos(kPi * x));
    }
    c.front() = 0.0f;
}

} // namespace

std::string_view alertName(Alert alert)
{
    switch (alert) {
    case Alert::Glass: return "Glass";
    case Alert::Ping: return "Ping";
    case Alert::Pop: return "Pop";
    case Alert::Tink: return "Tink";
    case Alert::Submarine: return "Submarine";
    case Alert::Purr: return "Purr";
    case Alert::Morse: return "Morse";
    case Alert::Hero: return "Hero";
    case Alert::Beep: return "beep";
    }
    return {};
}

Buffer renderAlert(Alert alert, std::uint64_t seed)
{
    Buffer b;
    switch (alert) {
    case Alert::Glass: b.channels.push_back(glass()); break;
    case Alert::Ping: b.channels.push_back(ping()); break;
    case Alert::Pop: b.channels.push_back(pop(seed)); break;
    case Alert::Tink: b.channels.push_back(tink()); break;
    case Alert::Submarine: b.channels.push_back(submarine()); break;
    case Alert::Purr: b.channels.push_back(purr(seed)); break;
    case Alert::Morse: b.channels.push_back(morse()); break;
    case Alert::Hero: b.channels.push_back(hero()); break;
    case Alert::Beep: b.channels.push_back(beep()); break;
    }
    finish(b.channels.front());
    normaliseAlert(b, kAlertLoudnessLufs);
    return b;
}

} // namespace tessary::soundgen
