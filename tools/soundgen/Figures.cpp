#include "Figures.h"

#include "Fft.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numeric>
#include <stdexcept>
#include <vector>

namespace tessary::soundgen {
namespace {

using Complex = std::complex<double>;

constexpr double kExcerptStart = 5.0;
constexpr double kExcerptSeconds = 30.0;
constexpr std::size_t kEnvelopeBlock = kSampleRate / 100; // 10 ms
constexpr double kRegionEdges[SoundFigures::kRegions][2] = {{50.0, 500.0}, {500.0, 4000.0}, {4000.0, 16000.0}};
constexpr double kRateEdges[3][2] = {{0.25, 2.0}, {2.0, 8.0}, {8.0, 50.0}};

// Symmetric Hann window of n points.
std::vector<double> hann(std::size_t n)
{
    std::vector<double> w(n, 1.0);
    for (std::size_t i = 0; n > 1 && i < n; ++i)
        w[i] = 0.5 - 0.5 * std::cos(kTwoPi * double(i) / double(n - 1));
    return w;
}

// Frequency of bin k of an n-point transform at `rate`, folded to [0, rate/2].
double binHz(std::size_t k, std::size_t n, double rate) { return double(std::min(k, n - k)) * rate / double(n); }

std::vector<double> monoExcerpt(const Buffer &b)
{
    const std::size_t frames = b.frames();
    const auto wanted = std::size_t(kExcerptSeconds * kSampleRate);
    const std::size_t length = std::min(wanted, frames);
    const std::size_t start = std::min(std::size_t(kExcerptStart * kSampleRate), frames - length);
    std::vector<double> x(length, 0.0);
    for (const auto &c : b.channels)
        for (std::size_t i = 0; i < length; ++i)
            x[i] += c[start + i];
    for (auto &v : x)
        v /= double(b.channelCount());
    return x;
}

double log10Kurtosis(const std::vector<double> &y)
{
    const double mean = std::accumulate(y.begin(), y.end(), 0.0) / double(y.size());
    double m2 = 0.0, m4 = 0.0;
    for (const double v : y) {
        const double d = (v - mean) * (v - mean);
        m2 += d;
        m4 += d * d;
    }
    m2 /= double(y.size());
    m4 /= double(y.size());
    return std::log10(m4 / std::max(m2 * m2, 1e-300));
}

// Envelope modulation of one region: RMS over 10 ms blocks in dB, mean removed, Hann
// window, power spectrum summed over each rate range and divided by the block count.
std::array<double, 3> modulationFigures(const std::vector<double> &y)
{
    const std::size_t blocks = y.size() / kEnvelopeBlock;
    std::vector<double> env(blocks);
    for (std::size_t b = 0; b < blocks; ++b) {
        double sum = 0.0;
        for (std::size_t i = b * kEnvelopeBlock; i < (b + 1) * kEnvelopeBlock; ++i)
            sum += y[i] * y[i];
        env[b] = 20.0 * std::log10(std::max(std::sqrt(sum / double(kEnvelopeBlock)), 1e-10));
    }
    const double mean = std::accumulate(env.begin(), env.end(), 0.0) / double(blocks);
    const auto w = hann(blocks);
    std::vector<Complex> e(blocks);
    for (std::size_t b = 0; b < blocks; ++b)
        e[b] = (env[b] - mean) * w[b];
    fft(e);
    std::array<double, 3> sums{};
    const double envelopeRate = double(kSampleRate) / double(kEnvelopeBlock);
    for (std::size_t k = 0; k <= blocks / 2; ++k) {
        const double f = double(k) * envelopeRate / double(blocks);
        for (std::size_t r = 0; r < 3; ++r)
            if (f >= kRateEdges[r][0] && (f < kRateEdges[r][1] || (r == 2 && f == kRateEdges[r][1])))
                sums[r] += std::norm(e[k]);
    }
    for (auto &s : sums)
        s = std::log10(std::max(s / double(blocks), 1e-300));
    return sums;
}

} // namespace

double SoundFigures::bandCentre(std::size_t band) { return 1000.0 * std::pow(2.0, (double(band) - 12.0) / 3.0); }

std::string SoundFigures::modulationName(std::size_t index)
{
    static const char *const regions[] = {"50–500 Hz", "0.5–4 kHz", "4–16 kHz"};
    static const char *const figures[] = {"modulation 0.25–2 Hz", "modulation 2–8 Hz", "modulation 8–50 Hz",
                                          "log10 kurtosis"};
    return std::string(regions[index / kPerRegion]) + ": " + figures[index % kPerRegion];
}

SoundFigures measureFigures(const Buffer &b)
{
    if (b.frames() < std::size_t(kSampleRate))
        throw std::invalid_argument("too short to measure: under a second");
    const std::vector<double> x = monoExcerpt(b);
    const std::size_t n = x.size();
    SoundFigures f;

    // Spectrum shape: one Hann-windowed transform of the whole excerpt.
    const auto w = hann(n);
    std::vector<Complex> spectrum(n);
    for (std::size_t i = 0; i < n; ++i)
        spectrum[i] = x[i] * w[i];
    fft(spectrum);
    for (std::size_t band = 0; band < SoundFigures::kBands; ++band) {
        const double lo = SoundFigures::bandCentre(band) * std::pow(2.0, -1.0 / 6.0);
        const double hi = SoundFigures::bandCentre(band) * std::pow(2.0, 1.0 / 6.0);
        double sum = 0.0;
        std::size_t bins = 0;
        for (auto k = std::size_t(std::ceil(lo * double(n) / kSampleRate)); k <= n / 2; ++k) {
            const double hz = double(k) * kSampleRate / double(n);
            if (hz >= hi)
                break;
            sum += std::norm(spectrum[k]);
            ++bins;
        }
        f.shape[band] = 10.0 * std::log10(std::max(bins ? sum / double(bins) : 0.0, 1e-300));
    }
    const double mean = std::accumulate(f.shape.begin(), f.shape.end(), 0.0) / double(SoundFigures::kBands);
    for (auto &v : f.shape)
        v -= mean;

    // Regions: brick-wall band limits in the frequency domain.
    std::vector<Complex> whole(x.begin(), x.end());
    fft(whole);
    for (std::size_t r = 0; r < SoundFigures::kRegions; ++r) {
        std::vector<Complex> part(n);
        for (std::size_t k = 0; k < n; ++k) {
            const double hz = binHz(k, n, kSampleRate);
            if (hz >= kRegionEdges[r][0] && hz <= kRegionEdges[r][1])
                part[k] = whole[k];
        }
        fft(part, true);
        std::vector<double> y(n);
        for (std::size_t i = 0; i < n; ++i)
            y[i] = part[i].real();
        const auto rates = modulationFigures(y);
        for (std::size_t j = 0; j < 3; ++j)
            f.modulation[r * SoundFigures::kPerRegion + j] = rates[j];
        f.modulation[r * SoundFigures::kPerRegion + 3] = log10Kurtosis(y);
    }
    return f;
}

FiguresDistance figuresDistance(const SoundFigures &a, const SoundFigures &reference)
{
    FiguresDistance d;
    double sum = 0.0;
    for (std::size_t band = 0; band < SoundFigures::kBands; ++band)
        sum += (a.shape[band] - reference.shape[band]) * (a.shape[band] - reference.shape[band]);
    d.spectrumRmsDb = std::sqrt(sum / double(SoundFigures::kBands));
    for (std::size_t i = 0; i < a.modulation.size(); ++i) {
        const double diff = std::fabs(a.modulation[i] - reference.modulation[i]);
        d.modulationMad += diff / double(a.modulation.size());
        if (diff > d.modulationMax) {
            d.modulationMax = diff;
            d.worst = i;
        }
    }
    return d;
}

std::optional<SoundFigures> referenceFigures(std::string_view kind)
{
    // Real field recordings of an open ambient-sound player (CC0, CC BY and public-domain
    // sources, one per kind), measured the way measureFigures does.
    struct Entry {
        std::string_view kind;
        SoundFigures figures;
    };
    static const Entry entries[] = {
        {"rain",
         {{10, 11, 9, 8, 6, 5, 3, 3, 3, 2, 2, 2, 2, 0, -1, -2, -3, -5, -6, -7, -7, -6, -7, -8, -12},
          {2.86, 2.70, 3.38, 0.73, 1.72, 1.95, 2.64, 0.52, 2.32, 2.54, 2.87, 1.47}}},
        {"waves",
         {{-1, 2, 3, 3, 2, 4, 7, 8, 7, 8, 7, 8, 7, 5, 3, 2, 0, -1, -3, -3, -7, -10, -14, -16, -20},
          {3.79, 2.87, 3.40, 1.04, 4.00, 2.62, 3.06, 1.03, 3.99, 2.56, 3.05, 1.24}}},
        {"wind",
         {{32, 31, 29, 25, 22, 25, 25, 20, 12, 8, 8, 3, -1, -4, -8, -10, -11, -14, -17, -21, -25, -24, -31, -34, -39},
          {2.44, 2.56, 2.91, 0.67, 2.22, 1.99, 2.49, 0.55, 2.23, 2.06, 1.90, 1.27}}},
        {"fire",
         {{19, 19, 19, 17, 12, 5, 0, -3, -5, -4, -5, -7, -11, -10, -8, -7, -6, -6, -5, -4, -4, -1, 1, -1, -5},
          {2.18, 3.07, 3.44, 0.59, 2.40, 2.57, 2.97, 1.44, 2.28, 2.40, 2.85, 1.91}}},
        {"birds",
         {{4, 13, 10, 7, 7, 2, 0, -2, -1, -2, 1, 6, 1, -4, 1, 7, 12, 10, 6, -2, -4, -11, -15, -22, -24},
          {2.54, 2.79, 3.57, 0.51, 4.28, 3.49, 3.37, 1.29, 4.03, 3.22, 3.24, 1.55}}},
        {"crickets",
         {{21, 23, 24, 18, 15, 10, 7, 4, 3, 4, 5, 2, 1, -3, -6, -8, -10, -14, 19, 3, -19, -12, -19, -11, -57},
          {2.72, 2.90, 3.64, 0.51, 2.50, 3.15, 3.06, 0.73, 3.84, 4.38, 3.82, 1.06}}},
    };
    for (const Entry &e : entries)
        if (e.kind == kind)
            return e.figures;
    return std::nullopt;
}

double bandEnergyShare(const SoundFigures &f, double loHz, double hiHz)
{
    // A band's power is its mean density times its width, and the width grows with the centre.
    double inside = 0.0, total = 0.0;
    for (std::size_t band = 0; band < SoundFigures::kBands; ++band) {
        const double centre = SoundFigures::bandCentre(band);
        const double power = std::pow(10.0, f.shape[band] / 10.0) * centre;
        total += power;
        if (centre >= loHz && centre <= hiHz)
            inside += power;
    }
    return inside / total;
}

} // namespace tessary::soundgen
