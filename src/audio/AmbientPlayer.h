#pragma once

#include "audio/AudioEngine.h"
#include "engine/Services.h"
#include "records/Settings.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

namespace tessary::audio {

// One looped recording: a player node that always has the rest of the current pass and one
// whole further pass queued, so the loop never runs dry. Main thread only.
class LoopingTrack : public std::enable_shared_from_this<LoopingTrack> {
public:
    // Nothing when the file cannot be opened or holds no frame.
    static std::shared_ptr<LoopingTrack> open(AudioEngine &engine, const QString &path);

    // Queues frames start … end of the file. When that segment's data has been consumed, the
    // next whole pass is queued, unless the track was (re)started or stopped since, i.e.
    // unless `generation` no longer matches. If the file cannot be opened now, nothing is
    // queued and the loop ends silently.
    void schedule(std::int64_t start, int generation);

    PlayerNode *node() const { return m_node; }
    const QString &path() const { return m_path; }
    std::int64_t length() const { return m_length; }

    int generation = 0; // moves on with every start and stop; older completions are ignored
    bool isPlaying = false;

private:
    LoopingTrack(PlayerNode *node, QString path, std::int64_t length);

    PlayerNode *const m_node; // owned by the engine
    const QString m_path;
    const std::int64_t m_length; // frames, at least 1
};

// The ambient mix: up to seven looped recordings and the brown noise, summed on one bus whose
// output volume is the master volume, limited, and played on the default output. Every
// source and the master move towards their targets on a 60 Hz main-thread tick, so all
// changes are fades. Survives output-device changes by rebuilding and restarting.
//
// Threads: construct, call and destroy on the main thread. The only datum shared with the
// render thread is the brown-noise level cell.
class AmbientPlayer final : public QObject, public AmbientOutput {
    Q_OBJECT
public:
    // Per-tick coefficients, 1 - exp(-(1/60) / tau), for tau 0.8 s, 0.45 s and 0.3 s.
    static constexpr float kMasterRising = 0.020617843f;
    static constexpr float kMasterFalling = 0.03635955f;
    static constexpr float kTrack = 0.05404055f;

    // `soundsDirectory` holds our "Ambient" folder; `userDirectory` may hold the user's own
    // recordings, which win by name. `random` must outlive the player.
    AmbientPlayer(QString soundsDirectory, QString userDirectory, RandomSource &random,
                  std::unique_ptr<AudioOutputBackend> output,
                  AudioEngine::Streaming streaming = AudioEngine::Streaming::thread, QObject *parent = nullptr);
    ~AmbientPlayer() override;

    void setLevels(const AmbientLevels &levels) override;
    bool play() override;
    void stop() override;

    // One ramp tick, as the timer runs it; public so tests can drive the ramp.
    void stepVolumes();
    // The output changed: stop every source, rebuild the connections and, if meant to be
    // audible, restart.
    void recoverFromConfigurationChange();

    // Inspection for tests.
    AudioEngine &engine() { return *m_engine; }
    bool isRampRunning() const { return m_rampTimer.isActive(); }
    float masterVolume() const { return m_masterVolume; }
    float volume(AmbientSound sound) const { return m_volumes[index(sound)]; }
    const LoopingTrack *track(AmbientSound sound) const { return m_tracks[index(sound)].get(); }
    bool hasNoise() const { return m_noiseNode != nullptr; }
    float noiseLevel() const { return m_noiseLevel->load(); }

private:
    static std::size_t index(AmbientSound s) { return static_cast<std::size_t>(s); }
    void connectOutput();
    void startSelectedSources();
    std::shared_ptr<LoopingTrack> makeTrack(AmbientSound sound);
    void attachNoise();
    void startRamp();
    void stopTrack(LoopingTrack &track);

    // Set at construction.
    const QString m_soundsDirectory;
    const QString m_userDirectory;
    RandomSource &m_random;
    std::unique_ptr<AudioEngine> m_engine;

    // Main thread.
    std::array<std::shared_ptr<LoopingTrack>, kAmbientSoundCount> m_tracks{}; // never removed
    Node *m_noiseNode = nullptr; // owned by the engine while attached
    std::array<float, kAmbientSoundCount> m_targets{};
    std::array<float, kAmbientSoundCount> m_volumes{};
    float m_masterSetting = 0.0f;
    float m_masterVolume = 0.0f;
    QTimer m_rampTimer;
    bool m_isPlaying = false;

    // Shared with the render thread: the brown-noise level, read by the generator.
    std::unique_ptr<std::atomic<float>> m_noiseLevel;
};

} // namespace tessary::audio
