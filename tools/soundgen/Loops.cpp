#include "Loops.h"

#include "Mastering.h"

namespace tessary::soundgen {

std::string_view loopName(Loop loop)
{
    switch (loop) {
    case Loop::Rain: return "rain";
    case Loop::Waves: return "waves";
    case Loop::Stream: return "stream";
    case Loop::Wind: return "wind";
    case Loop::Fire: return "fire";
    case Loop::Birds: return "birds";
    case Loop::Crickets: return "crickets";
    }
    return {};
}

double loopDefaultSeconds(Loop loop)
{
    switch (loop) {
    case Loop::Rain: return 60.0;
    case Loop::Waves: return 75.0; // about eight waves of 7–12 s
    case Loop::Stream: return 60.0;
    case Loop::Wind: return 80.0; // gusts up to 30 s long need room to vary
    case Loop::Fire: return 60.0;
    case Loop::Birds: return 84.0; // phrases every 3–15 s: a long loop hides the repeat
    case Loop::Crickets: return 48.0;
    }
    return 60.0;
}

Buffer renderLoopRaw(Loop loop, const LoopContext &ctx)
{
    switch (loop) {
    case Loop::Rain: return renderRain(ctx);
    case Loop::Waves: return renderWaves(ctx);
    case Loop::Stream: return renderStream(ctx);
    case Loop::Wind: return renderWind(ctx);
    case Loop::Fire: return renderFire(ctx);
    case Loop::Birds: return renderBirds(ctx);
    case Loop::Crickets: return renderCrickets(ctx);
    }
    return {};
}

Buffer renderLoop(Loop loop, const LoopContext &ctx)
{
    Buffer b = renderLoopRaw(loop, ctx);
    normaliseLoop(b, kLoopLoudnessLufs);
    return b;
}

} // namespace tessary::soundgen
