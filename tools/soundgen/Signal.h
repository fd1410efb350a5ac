#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessary::soundgen {

inline constexpr int kSampleRate = 48000;
inline constexpr double kTwoPi = 6.283185307179586;
inline constexpr double kPi = 3.141592653589793;

using Channel = std::vector<float>;

// Planar audio: one vector per channel, all of the same length.
struct Buffer {
    std::vector<Channel> channels;

    Buffer() = default;
    Buffer(int channelCount, std::size_t frames) : channels(std::size_t(channelCount), Channel(frames, 0.0f)) {}

    int channelCount() const { return int(channels.size()); }
    std::size_t frames() const { return channels.empty() ? 0 : channels.front().size(); }
    Channel &left() { return channels.front(); }
    Channel &right() { return channels.back(); }
    const Channel &left() const { return channels.front(); }
    const Channel &right() const { return channels.back(); }
};

inline double dbToGain(double db) { return std::pow(10.0, db / 20.0); }
inline double gainToDb(double gain) { return gain > 0.0 ? 20.0 * std::log10(gain) : -300.0; }

// Index on a circular timeline of n frames; negative positions wrap too.
inline std::size_t wrapIndex(std::int64_t i, std::size_t n)
{
    const auto m = std::int64_t(n);
    const std::int64_t r = i % m;
    return std::size_t(r < 0 ? r + m : r);
}

// Adds `source` × gain into `dest` starting at `start`, wrapping past the end into the
// beginning: an event that crosses the loop point continues at the start.
inline void mixWrapped(Channel &dest, std::int64_t start, const Channel &source, float gain)
{
    const std::size_t n = dest.size();
    std::size_t at = wrapIndex(start, n);
    for (const float s : source) {
        dest[at] += s * gain;
        if (++at == n)
            at = 0;
    }
}

// Equal-power pan, p in [-1, 1]; returns the left and right gains.
struct PanGains {
    float left;
    float right;
};
inline PanGains pan(double p)
{
    const double a = (p + 1.0) * kPi / 4.0;
    return {float(std::cos(a)), float(std::sin(a))};
}

// Runs a per-frame generator over two periods of a circular timeline and keeps the second:
// IIR filters have forgotten their zero start by then, and because every input (noise tables,
// modulation curves) is periodic in the frame index, the kept output repeats exactly.
// `step(i)` is called with i = 0…n-1 twice and returns the frame's value.
template <class Step>
Channel renderCircular(std::size_t n, Step &&step)
{
    Channel out(n);
    for (std::size_t i = 0; i < n; ++i)
        (void)step(i);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = float(step(i));
    return out;
}

// Filters a channel that is already circular (e.g. a bus of wrapped events) in place, the same way.
template <class Filter>
void filterCircular(Channel &c, Filter &&filter)
{
    c = renderCircular(c.size(), [&](std::size_t i) { return filter(c[i]); });
}

} // namespace tessary::soundgen
