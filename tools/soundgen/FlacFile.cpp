#include "FlacFile.h"

#include "Mastering.h"
#include "Random.h"

#include <sndfile.h>

#include <stdexcept>
#include <system_error>

namespace tessary::soundgen {

void writeFlac(const std::filesystem::path &path, const Buffer &b, Random &dither)
{
    const std::vector<std::int16_t> pcm = toPcm16(b, dither);
    SF_INFO info{};
    info.samplerate = kSampleRate;
    info.channels = b.channelCount();
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    std::filesystem::path partial = path;
    partial += ".part";
    SNDFILE *file = sf_open(partial.c_str(), SFM_WRITE, &info);
    if (!file)
        throw std::runtime_error("cannot create " + partial.string() + ": " + sf_strerror(nullptr));
    const auto frames = sf_count_t(b.frames());
    const sf_count_t written = sf_writef_short(file, pcm.data(), frames);
    const std::string error = sf_strerror(file);
    if (sf_close(file) != 0 || written != frames) {
        std::filesystem::remove(partial);
        throw std::runtime_error("cannot write " + path.string() + ": " + error);
    }
    std::error_code ec;
    std::filesystem::rename(partial, path, ec);
    if (ec)
        throw std::runtime_error("cannot rename to " + path.string() + ": " + ec.message());
}

std::optional<Buffer> readSoundFile(const std::filesystem::path &path, int *sampleRate)
{
    SF_INFO info{};
    SNDFILE *file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        return std::nullopt;
    std::vector<float> interleaved(std::size_t(info.frames) * std::size_t(info.channels));
    const sf_count_t read = sf_readf_float(file, interleaved.data(), info.frames);
    sf_close(file);
    if (read != info.frames)
        return std::nullopt;
    Buffer b(info.channels, std::size_t(info.frames));
    for (std::size_t i = 0; i < std::size_t(info.frames); ++i)
        for (int ch = 0; ch < info.channels; ++ch)
            b.channels[std::size_t(ch)][i] = interleaved[i * std::size_t(info.channels) + std::size_t(ch)];
    if (sampleRate)
        *sampleRate = info.samplerate;
    return b;
}

} // namespace tessary::soundgen
