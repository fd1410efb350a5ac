#include "audio/AudioEngine.h"

#include <QMetaObject>
#include <QPointer>

#include <algorithm>
#include <chrono>

namespace tessary::audio {

AudioEngine::AudioEngine(std::unique_ptr<AudioOutputBackend> output, Streaming streaming, QObject *parent)
    : QObject(parent)
    , m_output(std::move(output))
{
    m_left.resize(kMaxBlockFrames);
    m_right.resize(kMaxBlockFrames);
    m_limiter.prepare(float(m_sampleRate), kMaxBlockFrames);
    m_output->setConfigurationChangedHandler([this] { emit configurationChanged(); });
    if (streaming == Streaming::thread)
        m_streamingThread = std::thread([this] { streamingLoop(); });
}

AudioEngine::~AudioEngine()
{
    stop();
    {
        std::lock_guard lock(m_nodesMutex);
        m_quit = true;
    }
    m_wake.notify_all();
    if (m_streamingThread.joinable())
        m_streamingThread.join();
    m_output.reset();
}

void AudioEngine::connectOutput()
{
    stop();
    const int rate = m_output->preferredSampleRate();
    m_sampleRate = rate > 0 ? double(rate) : 48000.0;
    // Nothing renders now, so the render-side state may be set from here.
    m_limiter.prepare(float(m_sampleRate), kMaxBlockFrames);
    std::lock_guard lock(m_nodesMutex);
    for (auto &node : m_nodes)
        node->prepare(m_sampleRate);
}

bool AudioEngine::start(QString *error)
{
    if (m_running)
        return true;
    m_limiter.reset();
    m_appliedBusVolume = busVolume();
    setStreaming(true);
    if (!m_output->start(int(m_sampleRate), this, error)) {
        setStreaming(false);
        return false;
    }
    m_running = true;
    return true;
}

void AudioEngine::stop()
{
    if (!m_running)
        return;
    m_output->stop();
    m_running = false;
    setStreaming(false);
}

void AudioEngine::setStreaming(bool on)
{
    {
        std::lock_guard lock(m_nodesMutex);
        m_outputStarted = on;
    }
    m_wake.notify_all();
}

PlayerNode *AudioEngine::createPlayerNode()
{
    // Completions go to the main thread; if the engine is gone by then they are dropped.
    auto node = std::make_unique<PlayerNode>([this](std::function<void()> work) {
        QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
    });
    PlayerNode *raw = node.get();
    addNode(std::move(node), true);
    return raw;
}

void AudioEngine::attachSource(std::unique_ptr<Node> node) { addNode(std::move(node), false); }

void AudioEngine::addNode(std::unique_ptr<Node> node, bool streams)
{
    node->prepare(m_sampleRate);
    Node *raw = node.get();
    {
        std::lock_guard lock(m_nodesMutex);
        m_nodes.push_back(std::move(node));
        if (streams)
            m_streamingNodes.push_back(raw);
    }
    for (auto &slot : m_slots) {
        Node *expected = nullptr;
        if (slot.compare_exchange_strong(expected, raw))
            return;
    }
    // More nodes than slots: it stays silent. Eight sources are far from the limit.
}

void AudioEngine::detachSource(Node *node)
{
    for (auto &slot : m_slots) {
        Node *expected = node;
        slot.compare_exchange_strong(expected, nullptr);
    }
    // A render call that began before the slot was cleared may still hold the node.
    while (m_rendering.load())
        std::this_thread::yield();
    std::lock_guard lock(m_nodesMutex);
    std::erase(m_streamingNodes, node);
    std::erase_if(m_nodes, [node](const auto &owned) { return owned.get() == node; });
}

void AudioEngine::pumpStreaming()
{
    std::lock_guard lock(m_nodesMutex);
    for (Node *node : m_streamingNodes)
        node->stream();
}

void AudioEngine::streamingLoop()
{
    std::unique_lock lock(m_nodesMutex);
    while (!m_quit) {
        for (Node *node : m_streamingNodes)
            node->stream();
        // While the output runs: the rings hold over a second; looking every 5 ms also keeps a
        // restart's gap short. While it is stopped nothing plays, and an idle application
        // must not wake the CPU 200 times a second: the thread sleeps until the next start.
        if (m_outputStarted)
            m_wake.wait_for(lock, std::chrono::milliseconds(5));
        else
            m_wake.wait(lock);
    }
}

void AudioEngine::render(float *interleaved, int frames)
{
    m_rendering.store(true);
    int done = 0;
    while (done < frames) {
        const int n = std::min(kMaxBlockFrames, frames - done);
        float *left = m_left.data();
        float *right = m_right.data();
        std::fill_n(left, n, 0.0f);
        std::fill_n(right, n, 0.0f);
        for (auto &slot : m_slots)
            if (Node *node = slot.load())
                node->renderAdd(left, right, n);
        // The bus's output volume, moved linearly across the block like the node volumes.
        const float target = m_busVolume.load(std::memory_order_relaxed);
        float gain = m_appliedBusVolume;
        const float step = (target - gain) / float(n);
        for (int i = 0; i < n; ++i) {
            gain += step;
            left[i] *= gain;
            right[i] *= gain;
        }
        m_appliedBusVolume = target;
        m_limiter.process(left, right, n);
        float *out = interleaved + 2 * done;
        for (int i = 0; i < n; ++i) {
            out[2 * i] = left[i];
            out[2 * i + 1] = right[i];
        }
        done += n;
    }
    m_rendering.store(false);
}

} // namespace tessary::audio
