#include "Generator.h"

#include "Alerts.h"
#include "Analysis.h"
#include "FlacFile.h"
#include "Loops.h"
#include "Mastering.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace tessary::soundgen {
namespace {

std::optional<Loop> findLoop(const std::string &name)
{
    for (const Loop l : kAllLoops)
        if (loopName(l) == name)
            return l;
    return std::nullopt;
}

std::optional<Alert> findAlert(const std::string &name)
{
    for (const Alert a : kAllAlerts)
        if (alertName(a) == name)
            return a;
    return std::nullopt;
}

} // namespace

std::vector<std::string> allSoundNames()
{
    std::vector<std::string> names;
    for (const Loop l : kAllLoops)
        names.emplace_back(loopName(l));
    for (const Alert a : kAllAlerts)
        names.emplace_back(alertName(a));
    return names;
}

std::filesystem::path soundPath(const std::string &name)
{
    const std::filesystem::path file = name + ".flac";
    return findLoop(name) ? std::filesystem::path("Ambient") / file : file;
}

std::vector<SoundReport> generate(const GeneratorOptions &options)
{
    const auto all = allSoundNames();
    for (const auto &name : options.only)
        if (std::find(all.begin(), all.end(), name) == all.end())
            throw std::invalid_argument("unknown sound name: " + name);
    if (options.loopSeconds && !(*options.loopSeconds >= 0.1 && *options.loopSeconds <= 600.0))
        throw std::invalid_argument("loop length must be 0.1–600 s");

    std::vector<SoundReport> reports;
    for (const auto &name : all) {
        if (!options.only.empty() && std::find(options.only.begin(), options.only.end(), name) == options.only.end())
            continue;
        SoundReport r;
        r.name = name;
        r.file = options.outputDir / soundPath(name);
        std::filesystem::create_directories(r.file.parent_path());
        Buffer b;
        if (const auto loop = findLoop(name)) {
            const double seconds = options.loopSeconds.value_or(loopDefaultSeconds(*loop));
            b = renderLoop(*loop, {options.seed, std::size_t(std::lround(seconds * kSampleRate))});
            r.loudnessLufs = integratedLoudness(b, true);
        } else {
            b = renderAlert(*findAlert(name), options.seed);
            r.loudnessLufs = maxMomentaryLoudness(b);
        }
        Random dither(options.seed, "dither/" + name);
        writeFlac(r.file, b, dither);
        r.frames = b.frames();
        r.channels = b.channelCount();
        r.rmsDb = rmsDb(b);
        r.peakDb = peakDb(b);
        r.centroidHz = spectralCentroid(b);
        reports.push_back(r);
    }
    return reports;
}

} // namespace tessary::soundgen
