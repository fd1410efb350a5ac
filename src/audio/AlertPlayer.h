#pragma once

#include "audio/AudioEngine.h"
#include "engine/Services.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

namespace tessary::audio {

// The named alert sounds: "Glass", "Ping", "Pop", "Tink", "Submarine", "Purr", "Morse",
// "Hero", and "beep" for any other name. Each plays from its file in `soundsDirectory` through
// an engine of its own (its own output stream), so alerts sound whether or not the ambient
// mix plays and never move its master volume. The output opens on the first alert and closes
// once nothing has sounded for a second. Playing a name that still sounds starts it again.
//
// Threads: main thread only.
class AlertPlayer final : public QObject, public SoundPlayer {
    Q_OBJECT
public:
    AlertPlayer(QString soundsDirectory, std::unique_ptr<AudioOutputBackend> output,
                AudioEngine::Streaming streaming = AudioEngine::Streaming::thread, QObject *parent = nullptr);
    ~AlertPlayer() override;

    void play(const QString &name) override;

    // The file name (without extension) that `name` plays.
    static QString soundFor(const QString &name);
    // Every file name soundFor() can give.
    static QStringList soundNames();

    // Inspection for tests.
    AudioEngine &engine() { return *m_engine; }
    // One check of the idle timer; closes the output when nothing has sounded for two checks.
    void checkIdle();

private:
    struct Alert {
        PlayerNode *node = nullptr; // owned by the engine
        QString path;
        std::int64_t frames = 0;
    };
    void recover();

    // Set at construction.
    const QString m_soundsDirectory;
    std::unique_ptr<AudioEngine> m_engine;

    // Main thread.
    QHash<QString, Alert> m_alerts;
    QTimer m_idleTimer;
    int m_quietChecks = 0;
};

} // namespace tessary::audio
