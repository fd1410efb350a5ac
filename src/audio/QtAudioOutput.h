#pragma once

#include "audio/AudioEngine.h"

#include <QAudioDevice>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <atomic>

class QMediaDevices;

namespace tessary::audio {

class SinkWorker;

// The real output: a Qt Multimedia QAudioSink in pull mode on a dedicated QThread, whose
// QIODevice::readData calls the engine's render. Follows the desktop's default output device:
// a change of default device, or the sink stopping with an error while it should play,
// reaches the configuration-changed handler on the main thread.
//
// Threads: construct, use and destroy on the main thread. start() and stop() block until the
// output thread has opened or closed the sink.
class QtAudioOutput final : public QObject, public AudioOutputBackend {
    Q_OBJECT
public:
    explicit QtAudioOutput(QObject *parent = nullptr);
    ~QtAudioOutput() override;

    int preferredSampleRate() override;
    bool start(int sampleRate, RenderSource *source, QString *error) override;
    void stop() override;
    void setConfigurationChangedHandler(std::function<void()> handler) override;

private:
    void devicesChanged();
    void sinkFailed();

    // Main thread.
    QMediaDevices *m_devices = nullptr;
    QByteArray m_deviceId; // the default output when the rate was last read
    std::function<void()> m_changed;
    bool m_started = false;
    QTimer m_poll;
    QThread m_thread;
    SinkWorker *m_worker = nullptr; // lives on m_thread
};

} // namespace tessary::audio
