#pragma once

#include <cmath>
#include <cstdint>
#include <string_view>

namespace tessary::soundgen {

// xoshiro256** seeded through SplitMix64. Every layer of every sound owns one, seeded from
// (master seed, layer id), so changing one layer's recipe leaves the others' draws alone.
// All distributions are computed here rather than with <random>, whose distributions differ
// between standard libraries; the same seed must give the same files everywhere.
class Random {
public:
    explicit Random(std::uint64_t seed) { reseed(seed); }
    Random(std::uint64_t masterSeed, std::string_view layer) { reseed(masterSeed ^ hash(layer)); }

    std::uint64_t next()
    {
        const std::uint64_t result = rotl(m_s[1] * 5, 7) * 9;
        const std::uint64_t t = m_s[1] << 17;
        m_s[2] ^= m_s[0];
        m_s[3] ^= m_s[1];
        m_s[1] ^= m_s[2];
        m_s[0] ^= m_s[3];
        m_s[2] ^= t;
        m_s[3] = rotl(m_s[3], 45);
        return result;
    }

    // [0, 1) with 53 random bits.
    double uniform() { return double(next() >> 11) * 0x1.0p-53; }
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // [-1, 1)
    double bipolar() { return uniform() * 2.0 - 1.0; }
    // Spread evenly over octaves rather than hertz, as pitch and loudness are perceived.
    double logUniform(double lo, double hi) { return lo * std::exp(std::log(hi / lo) * uniform()); }
    double exponential(double mean) { return -mean * std::log(1.0 - uniform()); }
    // Inclusive range.
    int integer(int lo, int hi) { return lo + int(next() % std::uint64_t(hi - lo + 1)); }
    bool chance(double p) { return uniform() < p; }
    double gaussian()
    {
        const double u1 = 1.0 - uniform();
        const double u2 = uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    }

    // FNV-1a; stable layer ids ("rain/drops") become seeds.
    static constexpr std::uint64_t hash(std::string_view text)
    {
        std::uint64_t h = 0xcbf29ce484222325ULL;
        for (const char c : text) {
            h ^= std::uint8_t(c);
            h *= 0x100000001b3ULL;
        }
        return h;
    }

private:
    static constexpr std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

    void reseed(std::uint64_t seed)
    {
        for (auto &s : m_s) {
            seed += 0x9e3779b97f4a7c15ULL;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
            z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
            s = z ^ (z >> 31);
        }
    }

    std::uint64_t m_s[4];
};

} // namespace tessary::soundgen
