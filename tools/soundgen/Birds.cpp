// Morning birds by a lake: five to seven birds (one a dove cooing low), each with its own motif of whistled
// syllables (nearly pure tones with sweeps and vibrato) sung legato, repeated every few seconds,
// each phrase nearer or farther than the last, placed at a distance (low-pass, some reverb) over
// the soft swell of the lake and a faint hiss of leaves.
#include "Filters.h"
#include "Loops.h"
#include "Modulation.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace tessary::soundgen {
namespace {

enum class Shape { Rise, Fall, Chevron, Warble, Trill };

struct Syllable {
    Shape shape;
    double seconds;
    double from, to;          // pitch relative to the voice's base
    double fmRate, fmDepth;   // vibrato / trill
    double gain;
};

struct Voice {
    double base;
    std::vector<Syllable> motif;
    std::vector<int> phrase; // indices into motif
    double gap;              // between syllables, s
    double interval;         // between phrases, s
    double gain;
    double position;
    double cutoff;           // distance
};

Syllable drawSyllable(Random &rng)
{
    Syllable s;
    s.shape = Shape(rng.integer(0, 4));
    s.seconds = rng.logUniform(0.03, 0.2);
    s.fmRate = rng.uniform(18.0, 45.0);
    s.fmDepth = rng.uniform(0.03, 0.12);
    s.gain = rng.uniform(0.6, 1.0);
    switch (s.shape) {
    case Shape::Rise: s.from = rng.uniform(0.75, 0.95); s.to = rng.uniform(1.1, 1.4); break;
    case Shape::Fall: s.from = rng.uniform(1.1, 1.45); s.to = rng.uniform(0.7, 0.9); break;
    case Shape::Chevron: s.from = rng.uniform(0.85, 1.0); s.to = rng.uniform(1.15, 1.35); break;
    case Shape::Warble: s.from = rng.uniform(0.9, 1.1); s.to = s.from; break;
    case Shape::Trill: s.from = rng.uniform(0.95, 1.15); s.to = s.from; s.seconds = rng.uniform(0.12, 0.2); break;
    }
    return s;
}

Voice drawVoice(Random &rng, bool low)
{
    Voice v;
    v.base = low ? rng.logUniform(700.0, 820.0) : rng.logUniform(2500.0, 4800.0);
    const int shapes = rng.integer(1, 3);
    for (int i = 0; i < shapes; ++i)
        v.motif.push_back(drawSyllable(rng));
    // Phrases of 3–8 syllables; songbirds repeat a syllable more often than they change it.
    const int length = rng.integer(3, 8);
    int current = 0;
    for (int i = 0; i < length; ++i) {
        if (i > 0 && rng.chance(0.35))
            current = rng.integer(0, shapes - 1);
        v.phrase.push_back(current);
    }
    if (low) // a dove's slow coos rather than a songbird's quick notes
        for (auto &syllable : v.motif) {
            syllable.shape = Shape::Chevron;
            syllable.seconds = rng.uniform(0.25, 0.5);
            syllable.from = 1.0;
            syllable.to = rng.uniform(1.05, 1.15);
        }
    // Songbird syllables run into one another: gaps between them make the level flicker at the
    // syllable rate far more than in real song, whose notes blur together at a distance.
    v.gap = low ? rng.uniform(0.15, 0.3) : rng.uniform(0.0, 0.004);
    v.interval = rng.uniform(3.0, 15.0);
    v.gain = low ? rng.uniform(0.03, 0.06) : rng.uniform(0.2, 0.5);
    v.position = rng.uniform(-0.8, 0.8);
    v.cutoff = rng.uniform(7000.0, 11000.0);
    return v;
}

void addSyllable(Channel &out, std::size_t at, const Syllable &s, double base, double tempo)
{
    const auto n = std::size_t(s.seconds * tempo * kSampleRate);
    double phase = 0.0;
    for (std::size_t i = 0; i < n && at + i < out.size(); ++i) {
        const double x = double(i) / double(n);
        const double t = double(i) / kSampleRate;
        double f = base;
        double am = 1.0;
        switch (s.shape) {
        case Shape::Rise:
        case Shape::Fall: f *= s.from + (s.to - s.from) * std::pow(x, 0.8); break;
        case Shape::Chevron: f *= s.from + (s.to - s.from) * std::sin(kPi * x); break;
        case Shape::Warble: f *= s.from * (1.0 + s.fmDepth * std::sin(kTwoPi * s.fmRate * t)); break;
        case Shape::Trill:
            f *= s.from * (1.0 + 2.0 * s.fmDepth * std::sin(kTwoPi * s.fmRate * t));
            am = 0.55 - 0.45 * std::cos(kTwoPi * s.fmRate * t);
            break;
        }
        phase += kTwoPi * f / kSampleRate;
        const double env = std::pow(std::sin(kPi * std::pow(x, 0.6)), 0.5) * am;
        // A faint octave only: a stronger one stands out at 5–8 kHz, above the song band.
        out[at + i] += float(s.gain * env * (std::sin(phase) + 0.15 * std::sin(2.0 * phase)));
    }
}

// One phrase, sung slightly differently each time, through the voice's distance filter.
Channel renderPhrase(Random &rng, const Voice &v)
{
    const double pitch = rng.uniform(0.98, 1.02);
    const double tempo = rng.uniform(0.93, 1.07);
    double seconds = 0.05;
    for (const int s : v.phrase)
        seconds += (v.motif[std::size_t(s)].seconds + v.gap) * tempo;
    Channel out(std::size_t(seconds * kSampleRate), 0.0f);
    std::size_t at = 0;
    const std::size_t sung = rng.chance(0.3) ? v.phrase.size() - 1 : v.phrase.size(); // sometimes cut short
    for (std::size_t k = 0; k < sung; ++k) {
        const Syllable &s = v.motif[std::size_t(v.phrase[k])];
        addSyllable(out, at, s, v.base * pitch, tempo);
        at += std::size_t((s.seconds + v.gap) * tempo * kSampleRate);
    }
    // The phrase swells in over its first 80 ms rather than starting at full voice.
    const auto swellIn = std::size_t(0.08 * kSampleRate);
    for (std::size_t i = 0; i < std::min(swellIn, out.size()); ++i)
        out[i] *= float(double(i) / double(swellIn));
    Biquad lp;
    lp.lowpass(v.cutoff, 0.7);
    for (auto &x : out)
        x = float(lp(x));
    return out;
}

// A small Schroeder reverb (four damped combs, two all-passes) run on the circular dry bus,
// so the tail of a phrase sung near the end rings on at the start.
Channel reverb(const Channel &dry, const int *combDelays, const int *allpassDelays)
{
    std::vector<std::vector<float>> combs, allpasses;
    std::vector<std::size_t> combAt(4, 0), allpassAt(2, 0);
    std::vector<double> damp(4, 0.0);
    for (int i = 0; i < 4; ++i)
        combs.emplace_back(std::size_t(combDelays[i]), 0.0f);
    for (int i = 0; i < 2; ++i)
        allpasses.emplace_back(std::size_t(allpassDelays[i]), 0.0f);
    constexpr double kDecay = 1.1; // s to -60 dB
    std::vector<double> feedback(4);
    for (int i = 0; i < 4; ++i)
        feedback[std::size_t(i)] = std::pow(10.0, -3.0 * combDelays[i] / (kDecay * kSampleRate));
    return renderCircular(dry.size(), [&](std::size_t i) {
        double sum = 0.0;
        for (std::size_t c = 0; c < 4; ++c) {
            const double out = combs[c][combAt[c]];
            damp[c] += 0.35 * (out - damp[c]);
            combs[c][combAt[c]] = float(dry[i] + damp[c] * feedback[c]);
            combAt[c] = (combAt[c] + 1) % combs[c].size();
            sum += out;
        }
        double y = sum * 0.25;
        for (std::size_t a = 0; a < 2; ++a) {
            const double delayed = allpasses[a][allpassAt[a]];
            const double v = y + 0.5 * delayed;
            allpasses[a][allpassAt[a]] = float(v);
            allpassAt[a] = (allpassAt[a] + 1) % allpasses[a].size();
            y = delayed - 0.5 * v;
        }
        return y;
    });
}

} // namespace

Buffer renderBirds(const LoopContext &ctx)
{
    const std::size_t n = ctx.frames;
    const double seconds = ctx.seconds();
    Buffer dry(2, n);

    Random chorus = ctx.layer("birds/chorus");
    const int voices = chorus.integer(5, 7);
    for (int b = 0; b < voices; ++b) {
        Random rng = ctx.layer("birds/voice/" + std::to_string(b));
        // One of them is a dove cooing lower down.
        const Voice v = drawVoice(rng, b == 0);
        const PanGains g = pan(v.position);
        // Phrases every `interval` ± 25 %, placed on the circular timeline; the last one
        // keeps a decent gap to the first across the loop point.
        const double first = rng.uniform(0.0, std::min(v.interval, seconds));
        // Each phrase ±6 dB, as the bird turns or moves: a few loud calls stand out of a
        // quieter chorus, as in a real recording. Its own generator keeps the timing draws.
        Random levelRng = ctx.layer("birds/voice/" + std::to_string(b) + "/level");
        double t = first;
        do {
            const Channel phrase = renderPhrase(rng, v);
            const double level = v.gain * dbToGain(levelRng.uniform(-6.0, 6.0));
            const auto at = std::int64_t(t * kSampleRate);
            mixWrapped(dry.left(), at, phrase, float(level * g.left));
            mixWrapped(dry.right(), at, phrase, float(level * g.right));
            t += v.interval * rng.uniform(0.75, 1.25);
        } while (t < first + seconds - 0.6 * v.interval);
    }

    Channel mono(n);
    for (std::size_t i = 0; i < n; ++i)
        mono[i] = 0.5f * (dry.left()[i] + dry.right()[i]);
    const int combsL[4] = {1423, 1601, 1777, 1933}, combsR[4] = {1451, 1627, 1801, 1979};
    const int allpassL[2] = {241, 587}, allpassR[2] = {263, 613};
    const Channel wetL = reverb(mono, combsL, allpassL);
    const Channel wetR = reverb(mono, combsR, allpassR);

    Buffer out(2, n);
    Random swellRng = ctx.layer("birds/lake/swell");
    const int k = cyclesPerLoop(swellRng.uniform(0.2, 0.5), n);
    const double phase = swellRng.uniform(0.0, kTwoPi);
    for (int ch = 0; ch < 2; ++ch) {
        Random rng = ctx.layer(ch == 0 ? "birds/lake/L" : "birds/lake/R");
        const Channel noise = noiseTable(rng, n);
        const Channel airNoise = noiseTable(rng, n);
        Random leavesRng = ctx.layer(ch == 0 ? "birds/leaves/L" : "birds/leaves/R");
        const Channel leavesNoise = noiseTable(leavesRng, n);
        BrownFilter brown;
        PinkFilter pink;
        // Leaves stirring and a far-off chorus too distant to pick out: a soft 0.5–3 kHz murmur.
        OnePoleLowpass airLp(2500.0);
        Biquad airHp;
        airHp.highpass(500.0, 0.7);
        // Leaves in a breath of air: a faint steady 6–11 kHz hiss, so that above 4 kHz the
        // level falls to a bed between calls rather than to silence.
        Biquad leavesHp, leavesLp;
        leavesHp.highpass(6000.0, 0.7);
        leavesLp.lowpass(11000.0, 0.7);
        // Water lapping at the shore: a low murmur around 80–100 Hz.
        Biquad lp, hp, hp2;
        lp.lowpass(rng.uniform(130.0, 160.0), 0.7);
        hp.highpass(80.0, 1.0);
        hp2.highpass(70.0, 0.7);
        const Channel &d = dry.channels[std::size_t(ch)];
        const Channel &wet = ch == 0 ? wetL : wetR;
        const double lag = ch == 0 ? 0.0 : 0.6;
        out.channels[std::size_t(ch)] = renderCircular(n, [&](std::size_t i) {
            const double swell = 0.85 + 0.15 * loopSine(k, phase + lag, i, n);
            const double lake = hp2(hp(lp(brown(noise[i])))) * 0.12 * swell;
            const double air = airHp(airLp(pink(airNoise[i]))) * 0.25;
            const double leaves = leavesLp(leavesHp(leavesNoise[i])) * 0.012;
            return d[i] + 0.6 * wet[i] + lake + air + leaves;
        });
    }
    return out;
}

} // namespace tessary::soundgen
