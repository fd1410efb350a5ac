#include "Analysis.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace tessary::soundgen {
namespace {

// In-place iterative radix-2 FFT; size must be a power of two.
void fft(std::vector<std::complex<double>> &a)
{
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> w = std::polar(1.0, -kTwoPi / double(len));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> wk = 1.0;
            for (std::size_t k = 0; k < len / 2; ++k) {
                const auto u = a[i + k];
                const auto v = a[i + k + len / 2] * wk;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                wk *= w;
            }
        }
    }
}

} // namespace

double peakDb(const Buffer &b)
{
    float peak = 0.0f;
    for (const auto &c : b.channels)
        for (const float s : c)
            peak = std::max(peak, std::fabs(s));
    return gainToDb(peak);
}

double rmsDb(const Buffer &b)
{
    double sum = 0.0;
    std::size_t count = 0;
    for (const auto &c : b.channels) {
        for (const float s : c)
            sum += double(s) * s;
        count += c.size();
    }
    return count ? gainToDb(std::sqrt(sum / double(count))) : gainToDb(0.0);
}

double spectralCentroid(const Buffer &b)
{
    const std::size_t n = b.frames();
    std::size_t size = 4096;
    while (size > 64 && size > n)
        size /= 2;
    if (n < size)
        return 0.0;
    std::vector<double> window(size), power(size / 2 + 1, 0.0);
    for (std::size_t i = 0; i < size; ++i)
        window[i] = 0.5 - 0.5 * std::cos(kTwoPi * double(i) / double(size));
    std::vector<std::complex<double>> frame(size);
    for (const auto &c : b.channels) {
        for (std::size_t start = 0; start + size <= n; start += size / 2) {
            for (std::size_t i = 0; i < size; ++i)
                frame[i] = c[start + i] * window[i];
            fft(frame);
            for (std::size_t k = 0; k < power.size(); ++k)
                power[k] += std::norm(frame[k]);
        }
    }
    double weighted = 0.0, total = 0.0;
    for (std::size_t k = 0; k < power.size(); ++k) {
        weighted += power[k] * double(k) * kSampleRate / double(size);
        total += power[k];
    }
    return total > 0.0 ? weighted / total : 0.0;
}

} // namespace tessary::soundgen
