#pragma once

#include <QString>

#include <cstdint>

typedef struct sf_private_tag SNDFILE;

namespace tessary::audio {

// A recording opened for streaming reads through libsndfile: any format it reads (FLAC,
// Ogg Vorbis, WAV, …). Never decodes the whole file. Not thread-safe; one thread at a time.
class SoundFile {
public:
    SoundFile() = default;
    ~SoundFile();
    SoundFile(const SoundFile &) = delete;
    SoundFile &operator=(const SoundFile &) = delete;

    // Opens `path`; false (and closed) when it cannot be read as audio.
    bool open(const QString &path);
    void close();
    bool isOpen() const { return m_file != nullptr; }

    std::int64_t frames() const { return m_frames; }
    int sampleRate() const { return m_sampleRate; }
    int channels() const { return m_channels; }

    bool seek(std::int64_t frame);
    // Reads up to `frames` frames, interleaved with channels() samples each; returns the
    // number read (0 at the end or on an error).
    std::int64_t read(float *interleaved, std::int64_t frames);

private:
    SNDFILE *m_file = nullptr;
    std::int64_t m_frames = 0;
    int m_sampleRate = 0;
    int m_channels = 0;
};

// The file to play for the sound named `name`: a file in `userDirectory` whose name without
// its extension is `name` wins (any extension, so the user may drop in any format); otherwise
// the same in `ourDirectory`, preferring "<name>.flac". Empty when neither has one.
QString findRecording(const QString &name, const QString &userDirectory, const QString &ourDirectory);

} // namespace tessary::audio
