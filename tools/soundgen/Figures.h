#pragma once

#include "Signal.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tessary::soundgen {

// The figures a loop is held to against real recordings of its kind. Measured on the mono
// mean of the channels, over the 30 s from 5 s in (less where the file is shorter).
struct SoundFigures {
    static constexpr std::size_t kBands = 25;   // third octaves, 62.5 Hz … 16 kHz
    static constexpr std::size_t kRegions = 3;  // 50–500 Hz, 0.5–4 kHz, 4–16 kHz
    static constexpr std::size_t kPerRegion = 4; // modulation 0.25–2, 2–8, 8–50 Hz; log10 kurtosis

    // Mean power per band in dB, the mean over bands subtracted.
    std::array<double, kBands> shape{};
    // Per region: log10 of the summed envelope modulation power in each rate range, then the
    // log10 kurtosis of the region's signal.
    std::array<double, kRegions * kPerRegion> modulation{};

    static double bandCentre(std::size_t band);
    // "0.5–4 kHz: modulation 2–8 Hz" for index 5.
    static std::string modulationName(std::size_t index);
};

struct FiguresDistance {
    double spectrumRmsDb = 0;  // RMS over bands of the shape difference
    double modulationMad = 0;  // mean |difference| over the twelve figures
    double modulationMax = 0;  // largest |difference|
    std::size_t worst = 0;     // which figure that is
};

// `b` is at 48 kHz (any channel count) and at least a second long.
SoundFigures measureFigures(const Buffer &b);
FiguresDistance figuresDistance(const SoundFigures &a, const SoundFigures &reference);

// The reference figures of a kind ("rain", "waves", "wind", "fire", "birds", "crickets"), or
// nullopt for a kind without one.
std::optional<SoundFigures> referenceFigures(std::string_view kind);

// Share of the power in the third-octave bands whose centres lie in [loHz, hiHz].
double bandEnergyShare(const SoundFigures &f, double loHz, double hiHz);

} // namespace tessary::soundgen
