#pragma once

#include <complex>
#include <vector>

namespace tessary::soundgen {

// Discrete Fourier transform of any length, in place. Mixed radix (4, 2, 3, 5, then any other
// factor as a direct DFT of that size), so an excerpt is transformed at its exact length:
// zero-padding would smear the bins that the band figures average. `inverse` uses e^{+i} and
// scales by 1/n. Lengths with a large prime factor p cost n·p.
void fft(std::vector<std::complex<double>> &a, bool inverse = false);

} // namespace tessary::soundgen
