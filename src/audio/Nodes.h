#pragma once

#include "audio/SoundFile.h"
#include "audio/SpscRing.h"
#include "audio/dsp/BrownNoiseGenerator.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

struct soxr;

namespace tessary::audio {

// The largest block the engine renders at once; nodes size their scratch buffers for it.
inline constexpr int kMaxBlockFrames = 1024;

// Something that adds stereo audio to the bus.
//
// Threads: prepare() on the main thread while the engine's output is stopped; renderAdd() on
// the render thread only (no allocation, no lock, no file access, no Qt); stream() on the
// engine's streaming thread only.
class Node {
public:
    virtual ~Node() = default;
    virtual void prepare(double outputRate) = 0;
    // Adds `frames` (≤ kMaxBlockFrames) frames into the two bus channels.
    virtual void renderAdd(float *left, float *right, int frames) = 0;
    // Does file work ahead of playback; returns whether it did any.
    virtual bool stream() { return false; }
};

// Plays scheduled segments of recordings, one after the other without a gap, at a gain.
// The streaming thread decodes (and converts the rate with libsoxr where the recording's rate
// differs from the output's) into a lock-free ring; the render thread only copies out of it.
// When the streaming thread has read a segment's last frame, its completion is posted to
// the main thread ("data consumed", not "played back").
class PlayerNode final : public Node {
public:
    // Posts a completion to the main thread; set by the engine.
    using Poster = std::function<void(std::function<void()>)>;
    explicit PlayerNode(Poster poster);
    ~PlayerNode() override;

    // --- Main thread ---------------------------------------------------------------------
    // Queues `frames` frames of `path` from `start`, after what is already queued.
    // `consumed` runs on the main thread once the segment has been read entirely; it never runs
    // for a segment dropped by stop().
    void scheduleSegment(const QString &path, std::int64_t start, std::int64_t frames,
                         std::function<void()> consumed);
    // Starts consuming queued audio. Does not block.
    void play();
    // Stops at once and drops everything queued and buffered; completions of dropped segments
    // never run. Does not block (the buffers are emptied by the render thread at its next
    // call, and the streaming thread writes nothing new until then).
    void stop();
    bool isPlaying() const { return m_playing.load(std::memory_order_relaxed); }
    void setVolume(float volume) { m_volume.store(volume, std::memory_order_relaxed); }
    float volume() const { return m_volume.load(std::memory_order_relaxed); }
    // Nothing queued, being read or buffered: what was scheduled has been rendered.
    bool isIdle() const;

    void prepare(double outputRate) override;
    void renderAdd(float *left, float *right, int frames) override;
    bool stream() override;

    // Buffered audio, in frames; any thread (a snapshot).
    std::int64_t bufferedFrames() const { return std::int64_t(m_ring.size() / 2); }

private:
    struct Segment {
        QString path;
        std::int64_t start = 0;
        std::int64_t frames = 0;
        std::function<void()> consumed;
    };

    bool openNextSegment();
    bool configureConverter(int fileRate);
    void finishSegment();

    // Set at construction.
    const Poster m_post;

    // Shared between threads.
    std::atomic<bool> m_playing{false};
    std::atomic<float> m_volume{1.0f};
    std::atomic<double> m_outputRate{48000.0};
    std::atomic<std::uint32_t> m_stopRequest{0}; // main: one more for each stop()
    std::atomic<std::uint32_t> m_stopSeen{0};    // streaming: it has let go of that request's data
    std::atomic<std::uint32_t> m_flushed{0};     // render: the ring was emptied for that request
    std::atomic<bool> m_reading{false};          // streaming: a segment is open
    mutable std::mutex m_queueMutex;             // main and streaming threads, never render
    std::deque<Segment> m_queue;
    SpscRing<float> m_ring; // interleaved stereo; streaming writes, render reads

    // Streaming thread only.
    SoundFile m_file;
    Segment m_current;
    std::int64_t m_remaining = 0;
    std::uint32_t m_streamRequest = 0;
    soxr *m_converter = nullptr;
    int m_converterInRate = 0;
    double m_converterOutRate = 0.0;
    std::vector<float> m_fileBuffer;
    std::vector<float> m_stereoBuffer;
    std::vector<float> m_convertedBuffer;

    // Render thread only.
    std::vector<float> m_renderBuffer;
    float m_appliedVolume = 0.0f;
};

// The pull-model source for the synthesised brown noise: renders on the render thread
// straight from the generator. The generator reads the level cell the mixer writes.
class NoiseSourceNode final : public Node {
public:
    // `level` must outlive the node.
    NoiseSourceNode(double sampleRate, const std::atomic<float> *level);
    void prepare(double outputRate) override;
    void renderAdd(float *left, float *right, int frames) override;

private:
    // Render thread only after construction.
    dsp::BrownNoiseGenerator m_generator;
    std::vector<float> m_left;
    std::vector<float> m_right;
};

} // namespace tessary::audio
