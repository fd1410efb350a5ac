#include "audio/AmbientPlayer.h"

#include "audio/SoundFile.h"
#include "records/Log.h"

#include <cmath>

namespace tessary::audio {

// ---------------------------------------------------------------------------------------
// LoopingTrack

LoopingTrack::LoopingTrack(PlayerNode *node, QString path, std::int64_t length)
    : m_node(node)
    , m_path(std::move(path))
    , m_length(length)
{
}

std::shared_ptr<LoopingTrack> LoopingTrack::open(AudioEngine &engine, const QString &path)
{
    SoundFile file;
    if (path.isEmpty() || !file.open(path) || file.frames() < 1)
        return nullptr;
    // The node is made only for a readable file: failed attempts, retried on every start,
    // must not pile up nodes in the engine.
    return std::shared_ptr<LoopingTrack>(new LoopingTrack(engine.createPlayerNode(), path, file.frames()));
}

void LoopingTrack::schedule(std::int64_t start, int generation)
{
    // Each pass opens the file anew: a recording that became unreadable ends the loop here.
    SoundFile file;
    if (!file.open(m_path))
        return;
    m_node->scheduleSegment(m_path, start, m_length - start,
                            [weak = weak_from_this(), generation] {
                                const auto track = weak.lock();
                                if (track && track->generation == generation)
                                    track->schedule(0, generation);
                            });
}

// ---------------------------------------------------------------------------------------
// AmbientPlayer

AmbientPlayer::AmbientPlayer(QString soundsDirectory, QString userDirectory, RandomSource &random,
                             std::unique_ptr<AudioOutputBackend> output, AudioEngine::Streaming streaming,
                             QObject *parent)
    : QObject(parent)
    , m_soundsDirectory(std::move(soundsDirectory))
    , m_userDirectory(std::move(userDirectory))
    , m_random(random)
    , m_engine(std::make_unique<AudioEngine>(std::move(output), streaming))
    , m_noiseLevel(std::make_unique<std::atomic<float>>(0.0f))
{
    connectOutput();
    m_engine->setBusVolume(0.0f);
    m_rampTimer.setTimerType(Qt::PreciseTimer);
    m_rampTimer.setInterval(17); // the whole millisecond nearest to 1/60 s
    connect(&m_rampTimer, &QTimer::timeout, this, &AmbientPlayer::stepVolumes);
    // Queued, like a notification delivered on the main queue: never inside another call.
    connect(m_engine.get(), &AudioEngine::configurationChanged, this,
            &AmbientPlayer::recoverFromConfigurationChange, Qt::QueuedConnection);
}

AmbientPlayer::~AmbientPlayer()
{
    m_rampTimer.stop();
    // The engine goes before the level cell its noise generator reads.
    m_engine->stop();
    m_engine.reset();
}

void AmbientPlayer::connectOutput() { m_engine->connectOutput(); }

void AmbientPlayer::setLevels(const AmbientLevels &levels)
{
    m_targets = levels.sounds;
    m_masterSetting = levels.master;
    // The noise is smoothed inside its generator, not by the ramp.
    m_noiseLevel->store(levels.level(AmbientSound::brownNoise));
    if (m_isPlaying) {
        startSelectedSources();
        startRamp();
    }
}

bool AmbientPlayer::play()
{
    m_isPlaying = true;
    if (!m_engine->isRunning()) {
        QString error;
        if (!m_engine->start(&error)) {
            qCWarning(lcTessary).noquote() << "Tessary ambient engine failed: " + error;
            m_isPlaying = false;
            return false;
        }
    }
    startSelectedSources();
    startRamp();
    return true;
}

void AmbientPlayer::stop()
{
    m_isPlaying = false;
    startRamp();
}

void AmbientPlayer::startSelectedSources()
{
    if (!m_engine->isRunning())
        return;
    for (const AmbientSound sound : allCases<AmbientSound>()) {
        if (!(m_targets[index(sound)] > 0.0f))
            continue;
        if (sound == AmbientSound::brownNoise) {
            if (!m_noiseNode)
                attachNoise();
            continue;
        }
        auto &track = m_tracks[index(sound)];
        if (!track)
            track = makeTrack(sound);
        if (!track || track->isPlaying)
            continue; // missing, or still fading out and simply ramped back up
        m_volumes[index(sound)] = 0.0f;
        track->node()->setVolume(0.0f);
        ++track->generation;
        track->isPlaying = true;
        // Anywhere in the first 95 %, so every start sounds different yet has a long run ahead.
        const double unit = double(m_random.uniform(0, (std::int64_t(1) << 53) - 1)) / double(std::int64_t(1) << 53);
        const auto start = std::int64_t(unit * 0.95 * double(track->length()));
        track->schedule(start, track->generation);
        track->schedule(0, track->generation);
        track->node()->play();
    }
}

std::shared_ptr<LoopingTrack> AmbientPlayer::makeTrack(AmbientSound sound)
{
    const QString name = enumLabel(sound);
    const QString path = findRecording(name, m_userDirectory, m_soundsDirectory + QStringLiteral("/Ambient"));
    auto track = LoopingTrack::open(*m_engine, path);
    if (!track)
        qCWarning(lcTessary).noquote() << "Tessary ambient recording missing: " + name;
    return track;
}

void AmbientPlayer::attachNoise()
{
    auto node = std::make_unique<NoiseSourceNode>(m_engine->sampleRate(), m_noiseLevel.get());
    m_noiseNode = node.get();
    m_engine->attachSource(std::move(node));
}

void AmbientPlayer::startRamp()
{
    if (!m_rampTimer.isActive())
        m_rampTimer.start();
}

void AmbientPlayer::stopTrack(LoopingTrack &track)
{
    // The generation moves first, so completions released by the stop are ignored.
    ++track.generation;
    track.isPlaying = false;
    track.node()->stop();
}

void AmbientPlayer::stepVolumes()
{
    const float target = m_isPlaying ? m_masterSetting : 0.0f;
    const float k = m_masterVolume < target ? kMasterRising : kMasterFalling;
    m_masterVolume = m_masterVolume + (target - m_masterVolume) * k;
    m_engine->setBusVolume(m_masterVolume);
    bool settled = std::fabs(target - m_masterVolume) < 0.0005f;

    for (const AmbientSound sound : allCases<AmbientSound>()) {
        const auto &track = m_tracks[index(sound)];
        if (!track || !track->isPlaying)
            continue;
        const float t = m_targets[index(sound)];
        float &v = m_volumes[index(sound)];
        v = v + (t - v) * kTrack;
        track->node()->setVolume(v);
        if (t == 0.0f && v < 0.001f)
            stopTrack(*track);
        else
            settled = settled && std::fabs(t - v) < 0.0005f;
    }

    if (!m_isPlaying && m_masterVolume < 0.001f) {
        m_masterVolume = 0.0f;
        m_engine->setBusVolume(0.0f);
        for (const auto &track : m_tracks)
            if (track)
                stopTrack(*track);
        m_engine->stop();
        m_rampTimer.stop();
        return;
    }
    if (settled)
        m_rampTimer.stop();
}

void AmbientPlayer::recoverFromConfigurationChange()
{
    for (const auto &track : m_tracks)
        if (track)
            stopTrack(*track);
    if (m_noiseNode) {
        m_engine->detachSource(m_noiseNode);
        m_noiseNode = nullptr;
    }
    connectOutput(); // the rate may have changed
    if (!m_isPlaying)
        return;
    QString error;
    if (!m_engine->start(&error)) {
        qCWarning(lcTessary).noquote() << "Tessary ambient engine restart failed: " + error;
        return;
    }
    startSelectedSources();
    startRamp();
}

} // namespace tessary::audio
