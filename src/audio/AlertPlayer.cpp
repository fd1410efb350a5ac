#include "audio/AlertPlayer.h"

#include "audio/SoundFile.h"
#include "records/Log.h"

#include <array>

namespace tessary::audio {

namespace {
const std::array<QString, 8> kNamedAlerts{
    QStringLiteral("Glass"), QStringLiteral("Ping"), QStringLiteral("Pop"),   QStringLiteral("Tink"),
    QStringLiteral("Submarine"), QStringLiteral("Purr"), QStringLiteral("Morse"), QStringLiteral("Hero"),
};
} // namespace

AlertPlayer::AlertPlayer(QString soundsDirectory, std::unique_ptr<AudioOutputBackend> output,
                         AudioEngine::Streaming streaming, QObject *parent)
    : QObject(parent)
    , m_soundsDirectory(std::move(soundsDirectory))
    , m_engine(std::make_unique<AudioEngine>(std::move(output), streaming))
{
    m_engine->connectOutput();
    m_engine->setBusVolume(1.0f);
    m_idleTimer.setInterval(500);
    connect(&m_idleTimer, &QTimer::timeout, this, &AlertPlayer::checkIdle);
    connect(m_engine.get(), &AudioEngine::configurationChanged, this, &AlertPlayer::recover, Qt::QueuedConnection);
}

AlertPlayer::~AlertPlayer()
{
    m_idleTimer.stop();
    m_engine.reset();
}

QString AlertPlayer::soundFor(const QString &name)
{
    for (const QString &known : kNamedAlerts)
        if (known == name)
            return known;
    return QStringLiteral("beep");
}

QStringList AlertPlayer::soundNames()
{
    QStringList names(kNamedAlerts.begin(), kNamedAlerts.end());
    names.append(QStringLiteral("beep"));
    return names;
}

void AlertPlayer::play(const QString &name)
{
    const QString sound = soundFor(name);
    auto it = m_alerts.find(sound);
    if (it == m_alerts.end()) {
        const QString path = findRecording(sound, {}, m_soundsDirectory);
        SoundFile file;
        if (path.isEmpty() || !file.open(path)) {
            qCWarning(lcTessary).noquote() << "Tessary alert sound missing: " + sound;
            return; // tried again next time
        }
        it = m_alerts.insert(sound, Alert{m_engine->createPlayerNode(), path, file.frames()});
    }
    if (!m_engine->isRunning()) {
        QString error;
        if (!m_engine->start(&error)) {
            qCWarning(lcTessary).noquote() << "Tessary alert sound failed: " + error;
            return;
        }
    }
    // From the beginning, even when it is still sounding.
    if (it->node->isPlaying())
        it->node->stop();
    it->node->scheduleSegment(it->path, 0, it->frames, {});
    it->node->play();
    m_quietChecks = 0;
    m_idleTimer.start();
}

void AlertPlayer::checkIdle()
{
    for (const Alert &alert : std::as_const(m_alerts))
        if (alert.node->isPlaying() && !alert.node->isIdle()) {
            m_quietChecks = 0;
            return;
        }
    // Two quiet checks in a row: the last samples have left the output's own buffer too.
    if (++m_quietChecks < 2)
        return;
    for (const Alert &alert : std::as_const(m_alerts))
        alert.node->stop();
    m_engine->stop();
    m_idleTimer.stop();
}

void AlertPlayer::recover()
{
    for (const Alert &alert : std::as_const(m_alerts))
        alert.node->stop();
    m_engine->connectOutput();
    m_idleTimer.stop();
}

} // namespace tessary::audio
