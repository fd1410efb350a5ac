#pragma once

#include "Random.h"
#include "Signal.h"

#include <cstdint>
#include <vector>

namespace tessary::soundgen {

// The level every ambient loop is brought to, so that equal slider positions sound equally
// loud. ITU-R BS.1770 integrated loudness (K-weighted, gated). -20 LUFS leaves ~19 dB between
// the bed and the -1 dBFS ceiling for drops and crackles, which the limiter only trims.
inline constexpr double kLoopLoudnessLufs = -20.0;
// Alerts are one-shots heard over the ambience: their loudest 400 ms window goes here.
inline constexpr double kAlertLoudnessLufs = -16.0;
// No sample of any shipped file exceeds -1 dBFS. The limiter aims a little lower so that the
// dither added by the 16-bit conversion cannot cross it.
inline constexpr double kPeakCeilingDb = -1.0;
inline constexpr double kLimiterCeilingDb = -1.1;
// Look-ahead/attack window of the offline limiter, the same 12 ms as the app's limiter.
inline constexpr std::size_t kLimiterWindow = 576;

// BS.1770 integrated loudness at 48 kHz. A circular buffer is measured as the loop it is:
// the K-weighting filters are warmed up on the end and 400 ms blocks wrap around. Shorter
// than one block, the whole buffer is one block.
double integratedLoudness(const Buffer &b, bool circular);
// The loudest 400 ms window (BS.1770 momentary loudness), or the whole buffer if shorter.
double maxMomentaryLoudness(const Buffer &b);

// Offline look-ahead peak limiter, linked across channels: the gain is the minimum of the
// needed gain over the next `window` frames, averaged over the previous `window` frames, so
// it ramps down before a peak and reaches at most ceiling/peak on it. Circular buffers keep
// the gain curve circular too, so the loop point stays seamless. Ends with a hard clamp.
void limitPeaks(Buffer &b, double ceilingDb, std::size_t window, bool circular);

// Gain + limiter until the integrated loudness sits on `targetLufs` (limiting lowers it a
// little, so this iterates). Returns the final loudness.
double normaliseLoop(Buffer &b, double targetLufs);
// Scales a one-shot to `targetLufs` (max momentary), lowered if needed so that the peak is at
// most the limiter ceiling: alerts are never limited, only scaled.
void normaliseAlert(Buffer &b, double targetLufs);

// Interleaved 16-bit PCM with TPDF dither from `dither` (deterministic).
std::vector<std::int16_t> toPcm16(const Buffer &b, Random &dither);

} // namespace tessary::soundgen
