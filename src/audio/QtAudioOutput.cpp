#include "audio/QtAudioOutput.h"

#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QMetaObject>
#include <QPointer>

namespace tessary::audio {

namespace {

// The pull side of the sink: every read renders exactly what the sink asked for.
class RenderDevice final : public QIODevice {
public:
    void setSource(RenderSource *source) { m_source = source; }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return qint64(1) << 30; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 frames = maxSize / qint64(2 * sizeof(float));
        if (frames <= 0 || !m_source)
            return 0;
        m_source->render(reinterpret_cast<float *>(data), int(frames));
        return frames * qint64(2 * sizeof(float));
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    RenderSource *m_source = nullptr; // set while the sink is stopped
};

} // namespace

// Owns the sink on the output thread.
class SinkWorker final : public QObject {
public:
    // Output thread.
    bool open(const QAudioDevice &device, int sampleRate, RenderSource *source, QString *error)
    {
        QAudioFormat format;
        format.setSampleRate(sampleRate);
        format.setChannelCount(2);
        format.setSampleFormat(QAudioFormat::Float);
        if (!device.isFormatSupported(format)) {
            *error = QStringLiteral("the output device does not take 2-channel float audio at %1 Hz").arg(sampleRate);
            return false;
        }
        m_sink = new QAudioSink(device, format, this);
        // The sink's own buffer size is kept: Qt 6.4's PulseAudio sink stops pulling in pull mode
        // when it is set as small as one period.
        m_device.setSource(source);
        m_device.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        m_stopping = false;
        QObject::connect(m_sink, &QAudioSink::stateChanged, this, [this](QAudio::State state) {
            if (state == QAudio::StoppedState && !m_stopping && m_sink->error() != QAudio::NoError && m_failed)
                m_failed();
        });
        m_sink->start(&m_device);
        if (m_sink->error() != QAudio::NoError || m_sink->state() == QAudio::StoppedState) {
            *error = describe(m_sink->error());
            close();
            return false;
        }
        return true;
    }

    void close()
    {
        m_stopping = true;
        if (m_sink) {
            m_sink->stop();
            delete m_sink;
            m_sink = nullptr;
        }
        m_device.close();
        m_device.setSource(nullptr);
    }

    std::function<void()> m_failed; // set once before the thread starts

private:
    static QString describe(QAudio::Error error)
    {
        switch (error) {
        case QAudio::OpenError:
            return QStringLiteral("the audio output could not be opened");
        case QAudio::IOError:
            return QStringLiteral("the audio output failed while writing");
        case QAudio::UnderrunError:
            return QStringLiteral("the audio output ran dry");
        case QAudio::FatalError:
            return QStringLiteral("the audio output failed");
        case QAudio::NoError:
            break;
        }
        return QStringLiteral("the audio output stopped at once");
    }

    QAudioSink *m_sink = nullptr;
    RenderDevice m_device;
    bool m_stopping = false;
};

QtAudioOutput::QtAudioOutput(QObject *parent)
    : QObject(parent)
    , m_devices(new QMediaDevices(this))
{
    connect(m_devices, &QMediaDevices::audioOutputsChanged, this, &QtAudioOutput::devicesChanged);
    // Qt 6.4 does not report a change of the server's default sink as a change of outputs, so
    // while playing the default is also looked at once a second. Not while silent: an idle
    // app should not wake for it, and start() opens whatever the default is then.
    m_poll.setInterval(1000);
    connect(&m_poll, &QTimer::timeout, this, &QtAudioOutput::devicesChanged);
    m_worker = new SinkWorker;
    QPointer<QtAudioOutput> self(this);
    m_worker->m_failed = [self] {
        QMetaObject::invokeMethod(
            self.data(), [self] { if (self) self->sinkFailed(); }, Qt::QueuedConnection);
    };
    m_worker->moveToThread(&m_thread);
    m_thread.setObjectName(QStringLiteral("TessaryAudioOutput"));
    m_thread.start(QThread::TimeCriticalPriority);
}

QtAudioOutput::~QtAudioOutput()
{
    stop();
    m_thread.quit();
    m_thread.wait();
    delete m_worker; // its thread has ended and its sink is already gone
}

int QtAudioOutput::preferredSampleRate()
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    m_deviceId = device.id();
    return device.isNull() ? 0 : device.preferredFormat().sampleRate();
}

bool QtAudioOutput::start(int sampleRate, RenderSource *source, QString *error)
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) {
        *error = QStringLiteral("no audio output device or sound server is available");
        return false;
    }
    bool opened = false;
    QString why;
    QMetaObject::invokeMethod(
        m_worker, [&] { opened = m_worker->open(device, sampleRate, source, &why); },
        Qt::BlockingQueuedConnection);
    if (!opened && error)
        *error = why;
    m_started = opened;
    if (opened)
        m_poll.start();
    return opened;
}

void QtAudioOutput::stop()
{
    if (!m_started)
        return;
    QMetaObject::invokeMethod(m_worker, [this] { m_worker->close(); }, Qt::BlockingQueuedConnection);
    m_started = false;
    m_poll.stop();
}

void QtAudioOutput::setConfigurationChangedHandler(std::function<void()> handler) { m_changed = std::move(handler); }

void QtAudioOutput::devicesChanged()
{
    // Only a different default output matters; a device appearing elsewhere changes nothing.
    if (QMediaDevices::defaultAudioOutput().id() == m_deviceId)
        return;
    if (m_changed)
        m_changed();
}

void QtAudioOutput::sinkFailed()
{
    if (m_started && m_changed)
        m_changed();
}

} // namespace tessary::audio
