// tessary-soundgen: synthesises the app's ambient loops and alert sounds into a directory.
#include "Generator.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

namespace {

void usage()
{
    std::fputs("usage: tessary-soundgen [--seed N] [--seconds S] [--only name,name,...] [--quiet] OUTPUT_DIR\n"
               "  Writes Ambient/<loop>.flac and <alert>.flac under OUTPUT_DIR.\n"
               "  --seconds S  length of every loop (default: each loop's shipped length)\n"
               "  --only ...   make only these sounds (e.g. rain,Glass,beep)\n",
               stderr);
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
