#pragma once

#include "Signal.h"

namespace tessary::soundgen {

// Largest |sample| over all channels, in dBFS.
double peakDb(const Buffer &b);
// RMS over all channels and frames, in dBFS (a full-scale sine reads -3 dB).
double rmsDb(const Buffer &b);
// Power-weighted mean frequency of the long-term spectrum (Hann frames of 4096, half overlap,
// channels summed in power), in Hz. A compact "how bright is it" figure for each loop.
double spectralCentroid(const Buffer &b);

} // namespace tessary::soundgen
