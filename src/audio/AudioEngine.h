#pragma once

#include "audio/Nodes.h"
#include "audio/dsp/PeakLimiter.h"

#include <QObject>
#include <QString>

#include <array>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tessary::audio {

// What the output pulls audio from.
class RenderSource {
public:
    virtual ~RenderSource() = default;
    // Fills `frames` interleaved stereo float frames. Render thread; real-time safe.
    virtual void render(float *interleaved, int frames) = 0;
};

// The device side: something that, once started, calls RenderSource::render on its own
// thread. All functions on the main thread; start() and stop() may block briefly while the
// output thread sets the device up or tears it down.
class AudioOutputBackend {
public:
    virtual ~AudioOutputBackend() = default;
    // The current output device's rate, or 0 when there is none or it is unknown.
    virtual int preferredSampleRate() = 0;
    // Starts pulling from `source` at `sampleRate` (2 ch float). On failure returns false
    // and describes why in `error`.
    virtual bool start(int sampleRate, RenderSource *source, QString *error) = 0;
    // After return the source is no longer called.
    virtual void stop() = 0;
    // `handler` runs on the main thread when the default device or the running device's
    // state changed, e.g. another output was chosen or the sound server went away.
    virtual void setConfigurationChangedHandler(std::function<void()> handler) = 0;
};

// The graph standing in for the platform's audio engine: nodes summed on one bus with an
// output gain, then the peak limiter, pulled by the output in the standard format (2 ch
// float at the output's rate, 48 kHz when it has none). A streaming thread keeps every player
// node's ring filled ahead of playback.
//
// Threads: everything public is main thread unless it says otherwise. Only render() is
// lock-free; attach/detach and start/stop may block briefly.
class AudioEngine final : public QObject, private RenderSource {
    Q_OBJECT
public:
    enum class Streaming {
        thread, // a streaming thread runs for the engine's lifetime
        manual  // the owner calls pumpStreaming() (tests, tools)
    };
    explicit AudioEngine(std::unique_ptr<AudioOutputBackend> output, Streaming streaming = Streaming::thread,
                         QObject *parent = nullptr);
    ~AudioEngine() override;

    // Reads the output's rate and prepares the bus, the limiter and every node for it. Stops
    // the output first if it runs.
    void connectOutput();
    double sampleRate() const { return m_sampleRate; }

    bool start(QString *error);
    void stop();
    bool isRunning() const { return m_running; }

    // The engine owns its nodes. A player node is never removed; a source node may be detached
    // (and destroyed), which waits for a render call in progress to end.
    PlayerNode *createPlayerNode();
    void attachSource(std::unique_ptr<Node> node);
    void detachSource(Node *node);

    void setBusVolume(float volume) { m_busVolume.store(volume, std::memory_order_relaxed); }
    float busVolume() const { return m_busVolume.load(std::memory_order_relaxed); }

    // One pass of the streaming work on the caller's thread; for Streaming::manual.
    void pumpStreaming();

    // Renders as the output would; render thread, or any thread while the output is stopped
    // (offline rendering in tests and benchmarks).
    void renderOffline(float *interleaved, int frames) { render(interleaved, frames); }

signals:
    // Main thread; the output device or its format changed.
    void configurationChanged();

private:
    static constexpr int kMaxNodes = 32;

    void render(float *interleaved, int frames) override;
    void addNode(std::unique_ptr<Node> node, bool streams);
    void streamingLoop();
    void setStreaming(bool on);

    // Main thread.
    std::unique_ptr<AudioOutputBackend> m_output;
    double m_sampleRate = 48000.0;
    bool m_running = false;

    // Main and streaming threads, under m_nodesMutex. Owns every node.
    std::mutex m_nodesMutex;
    std::vector<std::unique_ptr<Node>> m_nodes;
    std::vector<Node *> m_streamingNodes;
    std::condition_variable m_wake;
    bool m_quit = false;
    bool m_outputStarted = false; // while false nothing plays and the streaming thread sleeps
    std::thread m_streamingThread;

    // Shared with the render thread.
    std::array<std::atomic<Node *>, kMaxNodes> m_slots{}; // what render() sums
    std::atomic<bool> m_rendering{false};
    std::atomic<float> m_busVolume{0.0f};

    // Render thread (prepared by connectOutput() while it cannot run).
    dsp::PeakLimiter m_limiter;
    std::vector<float> m_left;
    std::vector<float> m_right;
    float m_appliedBusVolume = 0.0f;
};

} // namespace tessary::audio
