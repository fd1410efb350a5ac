#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tessary::soundgen {

// The seed the shipped sounds are made from. Changing it changes every file.
inline constexpr std::uint64_t kDefaultSeed = 0x54455353415259ULL;

struct GeneratorOptions {
    std::filesystem::path outputDir;
    std::uint64_t seed = kDefaultSeed;
    // Overrides every loop's shipped length (quick previews and tests).
    std::optional<double> loopSeconds;
    // Sound names to make ("rain", "Glass", "beep"); empty makes all of them.
    std::vector<std::string> only;
};

struct SoundReport {
    std::string name;
    std::filesystem::path file;
    std::size_t frames = 0;
    int channels = 0;
    double loudnessLufs = 0; // integrated for loops, loudest 400 ms for alerts
    double rmsDb = 0;
    double peakDb = 0;
    double centroidHz = 0;
};

// Every sound name, loops first, in the order they are made.
std::vector<std::string> allSoundNames();
// Where a sound lives under the output directory: loops in Ambient/, alerts at the top.
std::filesystem::path soundPath(const std::string &name);

// Renders and writes the selected sounds. Throws std::invalid_argument for an unknown name or
// a loop length outside 0.1–600 s, std::runtime_error when a file cannot be written.
std::vector<SoundReport> generate(const GeneratorOptions &options);

} // namespace tessary::soundgen
