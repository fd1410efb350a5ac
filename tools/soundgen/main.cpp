// tessary-soundgen: synthesises the app's ambient loops and alert sounds into a directory.
#include "Figures.h"
#include "FlacFile.h"
#include "Generator.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>

namespace {

void usage()
{
    std::fputs("usage: tessary-soundgen [--seed N] [--seconds S] [--only name,name,...] [--quiet] OUTPUT_DIR\n"
               "  Writes Ambient/<loop>.flac and <alert>.flac under OUTPUT_DIR.\n"
               "  --seconds S  length of every loop (default: each loop's shipped length)\n"
               "  --only ...   make only these sounds (e.g. rain,Glass,beep)\n"
               "       tessary-soundgen analyse FILE [--kind rain|waves|wind|fire|birds|crickets|stream]\n"
               "  Prints the spectrum shape and modulation figures of a 48 kHz file and, for a kind with\n"
               "  reference figures (by default the file's name: rain.flac is rain), its distance to them.\n",
               stderr);
}

int analyse(int argc, char **argv)
{
    using namespace tessary::soundgen;
    std::string file, kind;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--kind" && i + 1 < argc)
            kind = argv[++i];
        else if (file.empty() && !arg.empty() && arg[0] != '-')
            file = arg;
        else {
            std::fprintf(stderr, "tessary-soundgen analyse: unexpected argument %s\n", arg.c_str());
            usage();
            return 2;
        }
    }
    if (file.empty()) {
        usage();
        return 2;
    }
    if (kind.empty())
        kind = std::filesystem::path(file).stem().string();
    int rate = 0;
    const auto b = readSoundFile(file, &rate);
    if (!b) {
        std::fprintf(stderr, "tessary-soundgen analyse: cannot read %s\n", file.c_str());
        return 1;
    }
    if (rate != 48000 || b->frames() < 48000u) {
        std::fprintf(stderr, "tessary-soundgen analyse: %s is not at least a second at 48 kHz\n", file.c_str());
        return 1;
    }
    const SoundFigures f = measureFigures(*b);
    const auto ref = referenceFigures(kind);
    std::printf("%s: %.1f s, %d channel(s); kind %s%s\n", file.c_str(), double(b->frames()) / 48000.0,
                b->channelCount(), kind.c_str(), ref ? "" : " (no reference figures)");
    std::printf("\nspectrum shape, dB relative to the mean over third-octave bands\n%10s %8s", "band Hz", "file");
    if (ref)
        std::printf(" %8s %8s", "ref", "diff");
    std::printf("\n");
    for (std::size_t band = 0; band < SoundFigures::kBands; ++band) {
        std::printf("%10.0f %8.1f", SoundFigures::bandCentre(band), f.shape[band]);
        if (ref)
            std::printf(" %8.0f %+8.1f", ref->shape[band], f.shape[band] - ref->shape[band]);
        std::printf("\n");
    }
    std::printf("\nmodulation and impulsiveness\n");
    for (std::size_t i = 0; i < f.modulation.size(); ++i) {
        std::printf("%-36s %6.2f", SoundFigures::modulationName(i).c_str(), f.modulation[i]);
        if (ref)
            std::printf(" %6.2f %+6.2f", ref->modulation[i], f.modulation[i] - ref->modulation[i]);
        std::printf("\n");
    }
    std::printf("\nenergy share 300 Hz–3 kHz: %.2f\n", bandEnergyShare(f, 300.0, 3000.0));
    if (ref) {
        const FiguresDistance d = figuresDistance(f, *ref);
        std::printf("distance to %s: spectrum %.2f dB RMS; modulation mean |diff| %.3f, max %.2f (%s)\n", kind.c_str(),
                    d.spectrumRmsDb, d.modulationMad, d.modulationMax,
                    SoundFigures::modulationName(d.worst).c_str());
    }
    return 0;
}

std::vector<std::string> splitNames(const std::string &list)
{
    std::vector<std::string> names;
    std::size_t from = 0;
    while (from <= list.size()) {
        const std::size_t comma = std::min(list.find(',', from), list.size());
        if (comma > from)
            names.push_back(list.substr(from, comma - from));
        from = comma + 1;
    }
    return names;
}

} // namespace

int main(int argc, char **argv)
{
    using namespace tessary::soundgen;
    if (argc > 1 && std::strcmp(argv[1], "analyse") == 0) {
        try {
            return analyse(argc, argv);
        } catch (const std::exception &e) {
            std::fprintf(stderr, "tessary-soundgen analyse: %s\n", e.what());
            return 1;
        }
    }
    GeneratorOptions options;
    bool quiet = false;
    bool haveDir = false;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            const auto value = [&]() -> std::string {
                if (i + 1 >= argc)
                    throw std::invalid_argument(arg + " needs a value");
                return argv[++i];
            };
            if (arg == "--seed")
                options.seed = std::stoull(value(), nullptr, 0);
            else if (arg == "--seconds")
                options.loopSeconds = std::stod(value());
            else if (arg == "--only")
                options.only = splitNames(value());
            else if (arg == "--quiet")
                quiet = true;
            else if (arg == "-h" || arg == "--help") {
                usage();
                return 0;
            } else if (!arg.empty() && arg[0] != '-' && !haveDir) {
                options.outputDir = arg;
                haveDir = true;
            } else
                throw std::invalid_argument("unexpected argument " + arg);
        }
        if (!haveDir)
            throw std::invalid_argument("no output directory");
    } catch (const std::exception &e) {
        std::fprintf(stderr, "tessary-soundgen: %s\n", e.what());
        usage();
        return 2;
    }

    try {
        const auto started = std::chrono::steady_clock::now();
        const auto reports = generate(options);
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        if (!quiet) {
            std::printf("%-10s %7s %3s %8s %8s %8s %9s\n", "sound", "seconds", "ch", "LUFS", "RMS dB", "peak dB",
                        "centroid");
            for (const auto &r : reports)
                std::printf("%-10s %7.2f %3d %8.2f %8.2f %8.2f %8.0f\n", r.name.c_str(), double(r.frames) / 48000.0,
                            r.channels, r.loudnessLufs, r.rmsDb, r.peakDb, r.centroidHz);
        }
        std::printf("tessary-soundgen: %zu sounds in %s (%.1f s)\n", reports.size(), options.outputDir.c_str(), elapsed);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "tessary-soundgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
