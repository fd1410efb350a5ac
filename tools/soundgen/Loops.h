#pragma once

#include "Random.h"
#include "Signal.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace tessary::soundgen {

enum class Loop { Rain, Waves, Stream, Wind, Fire, Birds, Crickets };

inline constexpr std::array kAllLoops = {Loop::Rain, Loop::Waves,  Loop::Stream,  Loop::Wind,
                                         Loop::Fire, Loop::Birds, Loop::Crickets};

// The file stem the mixer looks for ("rain" → Ambient/rain.flac).
std::string_view loopName(Loop loop);
// Shipped length, 45–90 s. They differ so that loops played together do not wrap in step.
double loopDefaultSeconds(Loop loop);

// What every recipe gets: the master seed and the loop length in frames (48 kHz).
struct LoopContext {
    std::uint64_t seed;
    std::size_t frames;

    double seconds() const { return double(frames) / kSampleRate; }
    // The generator of one layer; layer ids are stable strings such as "rain/drops".
    Random layer(std::string_view id) const { return Random(seed, id); }
};

// The raw stereo mix of one loop, circular over ctx.frames (frame 0 follows the last frame
// without a seam), before loudness matching. Level is arbitrary.
Buffer renderLoopRaw(Loop loop, const LoopContext &ctx);
// The shipped loop: renderLoopRaw, brought to kLoopLoudnessLufs with peaks at most -1 dBFS.
Buffer renderLoop(Loop loop, const LoopContext &ctx);

// The recipes, one per file.
Buffer renderRain(const LoopContext &ctx);
Buffer renderWaves(const LoopContext &ctx);
Buffer renderStream(const LoopContext &ctx);
Buffer renderWind(const LoopContext &ctx);
Buffer renderFire(const LoopContext &ctx);
Buffer renderBirds(const LoopContext &ctx);
Buffer renderCrickets(const LoopContext &ctx);

} // namespace tessary::soundgen
