#pragma once

#include "Signal.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tessary::soundgen {

class Random;

// Writes 48 kHz 16-bit FLAC (lossless, so a loop's wrap stays exactly as rendered), dithered
// from `dither`. The file appears under `path` only once complete. Throws std::runtime_error.
void writeFlac(const std::filesystem::path &path, const Buffer &b, Random &dither);

// Reads any file libsndfile understands into float channels; nullopt if it cannot.
// `sampleRate` receives the file's rate.
std::optional<Buffer> readSoundFile(const std::filesystem::path &path, int *sampleRate = nullptr);

} // namespace tessary::soundgen
