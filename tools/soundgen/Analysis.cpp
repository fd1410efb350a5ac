#include "Analysis.h"

#include "Fft.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace tessary::soundgen {

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
