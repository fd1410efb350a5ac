#include "Mastering.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>

namespace tessary::soundgen {
namespace {

constexpr std::size_t kBlock = 19200; // 400 ms
constexpr std::size_t kHop = 4800;    // 75 % overlap
constexpr double kAbsoluteGate = -70.0;
constexpr double kRelativeGate = -10.0;

// The BS.1770 K-weighting pair (head shelf, then RLB high-pass), coefficients for 48 kHz.
class KWeighting {
public:
    double operator()(double x)
    {
        const double y = 1.53512485958697 * x + m_s1;
        m_s1 = -2.69169618940638 * x + 1.69065929318241 * y + m_s2;
        m_s2 = 1.19839281085285 * x - 0.73248077421585 * y;
        const double z = y + m_r1;
        m_r1 = -2.0 * y + 1.99004745483398 * z + m_r2;
        m_r2 = y - 0.99007225036621 * z;
        return z;
    }

private:
    double m_s1 = 0, m_s2 = 0, m_r1 = 0, m_r2 = 0;
};

// Prefix sums of the K-weighted power of one channel (n + 1 entries).
std::vector<double> weightedPowerPrefix(const Channel &c, bool circular)
{
    const std::size_t n = c.size();
    KWeighting k;
    if (circular) {
        // Two seconds of the end warm the filters up as if the loop had been playing.
        for (std::size_t i = n - std::min<std::size_t>(n, 2 * kSampleRate); i < n; ++i)
            (void)k(c[i]);
    }
    std::vector<double> prefix(n + 1, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        const double y = k(c[i]);
        prefix[i + 1] = prefix[i] + y * y;
    }
    return prefix;
}

// Sum of a prefix-summed series over [start, start + len), wrapping past the end.
double wrappedSum(const std::vector<double> &prefix, std::size_t start, std::size_t len)
{
    const std::size_t n = prefix.size() - 1;
    double sum = 0.0;
    while (len > 0) {
        const std::size_t take = std::min(len, n - start);
        sum += prefix[start + take] - prefix[start];
        len -= take;
        start = 0;
    }
    return sum;
}

// Channel-summed mean-square power of each gating block.
std::vector<double> blockPowers(const Buffer &b, bool circular, std::size_t hop)
{
    const std::size_t n = b.frames();
    std::vector<double> powers;
    if (n == 0)
        return powers;
    std::vector<std::vector<double>> prefixes;
    for (const auto &c : b.channels)
        prefixes.push_back(weightedPowerPrefix(c, circular));
    const std::size_t len = std::min(kBlock, n);
    const std::size_t lastStart = circular ? n - 1 : n - len;
    for (std::size_t start = 0; start <= lastStart; start += hop) {
        double p = 0.0;
        for (const auto &prefix : prefixes)
            p += wrappedSum(prefix, start, len) / double(len);
        powers.push_back(p);
    }
    return powers;
}

double toLufs(double power)
{
    return power > 0.0 ? -0.691 + 10.0 * std::log10(power) : -std::numeric_limits<double>::infinity();
}

double gatedMean(const std::vector<double> &powers, double gateLufs)
{
    double sum = 0.0;
    std::size_t count = 0;
    for (const double p : powers) {
        if (toLufs(p) > gateLufs) {
            sum += p;
            ++count;
        }
    }
    return count ? sum / double(count) : 0.0;
}

} // namespace

double integratedLoudness(const Buffer &b, bool circular)
{
    const auto powers = blockPowers(b, circular, kHop);
    const double ungated = gatedMean(powers, kAbsoluteGate);
    if (ungated <= 0.0)
        return toLufs(0.0);
    return toLufs(gatedMean(powers, toLufs(ungated) + kRelativeGate));
}

double maxMomentaryLoudness(const Buffer &b)
{
    const auto powers = blockPowers(b, false, kSampleRate / 100);
    return toLufs(powers.empty() ? 0.0 : *std::max_element(powers.begin(), powers.end()));
}

void limitPeaks(Buffer &b, double ceilingDb, std::size_t window, bool circular)
{
    const std::size_t n = b.frames();
    const float ceiling = float(dbToGain(ceilingDb));
    std::vector<float> need(n, 1.0f);
    bool any = false;
    for (std::size_t i = 0; i < n; ++i) {
        float peak = 0.0f;
        for (const auto &c : b.channels)
            peak = std::max(peak, std::fabs(c[i]));
        if (peak > ceiling) {
            need[i] = ceiling / peak;
            any = true;
        }
    }
    if (!any)
        return;
    window = std::clamp<std::size_t>(window, 1, n);

    // Forward sliding minimum: least[i] = min need[i … i + window - 1].
    const auto needAt = [&](std::size_t j) { return circular ? need[j % n] : need[std::min(j, n - 1)]; };
    std::vector<float> least(n);
    std::deque<std::size_t> rising; // indices whose needs increase front to back
    for (std::size_t j = 0; j + 1 < n + window; ++j) {
        while (!rising.empty() && needAt(rising.back()) >= needAt(j))
            rising.pop_back();
        rising.push_back(j);
        if (j + 1 >= window) {
            const std::size_t i = j + 1 - window;
            while (rising.front() < i)
                rising.pop_front();
            least[i] = needAt(rising.front());
        }
    }

    // Backward moving average of the minimum: gain[i] = mean least[i - window + 1 … i].
    const auto leastAt = [&](std::int64_t j) {
        return circular ? least[wrapIndex(j, n)] : least[std::size_t(std::max<std::int64_t>(j, 0))];
    };
    double sum = 0.0;
    for (std::int64_t j = 1 - std::int64_t(window); j <= 0; ++j)
        sum += leastAt(j);
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0)
            sum += leastAt(std::int64_t(i)) - leastAt(std::int64_t(i) - std::int64_t(window));
        const float gain = float(sum / double(window));
        for (auto &c : b.channels)
            c[i] = std::clamp(c[i] * gain, -ceiling, ceiling);
    }
}

double normaliseLoop(Buffer &b, double targetLufs)
{
    double loudness = integratedLoudness(b, true);
    for (int pass = 0; pass < 8 && std::isfinite(loudness); ++pass) {
        const auto gain = float(dbToGain(targetLufs - loudness));
        for (auto &c : b.channels)
            for (auto &s : c)
                s *= gain;
        limitPeaks(b, kLimiterCeilingDb, kLimiterWindow, true);
        loudness = integratedLoudness(b, true);
        if (std::fabs(loudness - targetLufs) < 0.01)
            break;
    }
    return loudness;
}

void normaliseAlert(Buffer &b, double targetLufs)
{
    double peak = 0.0;
    for (const auto &c : b.channels)
        for (const float s : c)
            peak = std::max(peak, double(std::fabs(s)));
    const double loudness = maxMomentaryLoudness(b);
    if (peak <= 0.0 || !std::isfinite(loudness))
        return;
    const auto gain = float(std::min(dbToGain(targetLufs - loudness), dbToGain(kLimiterCeilingDb) / peak));
    for (auto &c : b.channels)
        for (auto &s : c)
            s *= gain;
}

std::vector<std::int16_t> toPcm16(const Buffer &b, Random &dither)
{
    const std::size_t n = b.frames();
    const int channels = b.channelCount();
    std::vector<std::int16_t> pcm(n * std::size_t(channels));
    for (std::size_t i = 0; i < n; ++i) {
        for (int ch = 0; ch < channels; ++ch) {
            const double tpdf = dither.uniform() - dither.uniform();
            const double v = std::nearbyint(double(b.channels[std::size_t(ch)][i]) * 32768.0 + tpdf);
            pcm[i * std::size_t(channels) + std::size_t(ch)] = std::int16_t(std::clamp(v, -32768.0, 32767.0));
        }
    }
    return pcm;
}

} // namespace tessary::soundgen
