#include "audio/Nodes.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>

namespace tessary::audio {

namespace {
constexpr std::int64_t kStreamChunkFrames = 4096;
// About 1.4 s at 48 kHz: enough to ride out a streaming thread that is late by a lot.
constexpr std::size_t kRingSamples = std::size_t(1) << 17;
} // namespace

PlayerNode::PlayerNode(Poster poster)
    : m_post(std::move(poster))
    , m_ring(kRingSamples)
{
    m_stereoBuffer.resize(std::size_t(kStreamChunkFrames) * 2);
    m_renderBuffer.resize(std::size_t(kMaxBlockFrames) * 2);
}

PlayerNode::~PlayerNode()
{
    if (m_converter)
        soxr_delete(m_converter);
}

void PlayerNode::scheduleSegment(const QString &path, std::int64_t start, std::int64_t frames,
                                 std::function<void()> consumed)
{
    if (frames <= 0)
        return;
    std::lock_guard lock(m_queueMutex);
    m_queue.push_back(Segment{path, start, frames, std::move(consumed)});
}

void PlayerNode::play() { m_playing.store(true, std::memory_order_release); }

void PlayerNode::stop()
{
    m_playing.store(false, std::memory_order_release);
    std::lock_guard lock(m_queueMutex);
    m_queue.clear();
    m_stopRequest.fetch_add(1, std::memory_order_acq_rel);
}

bool PlayerNode::isIdle() const
{
    std::lock_guard lock(m_queueMutex);
    return m_queue.empty() && !m_reading.load(std::memory_order_acquire) && m_ring.size() == 0;
}

void PlayerNode::prepare(double outputRate) { m_outputRate.store(outputRate, std::memory_order_release); }

void PlayerNode::renderAdd(float *left, float *right, int frames)
{
    // Empty the ring once the streaming thread has let go of a stopped pass's data.
    const std::uint32_t seen = m_stopSeen.load(std::memory_order_acquire);
    if (seen != m_flushed.load(std::memory_order_relaxed)) {
        m_ring.discardAll();
        m_flushed.store(seen, std::memory_order_release);
    }
    const float target = m_volume.load(std::memory_order_relaxed);
    if (!m_playing.load(std::memory_order_acquire)
        || seen != m_stopRequest.load(std::memory_order_acquire)) {
        m_appliedVolume = target;
        return;
    }
    const std::size_t got = m_ring.read(m_renderBuffer.data(), std::size_t(frames) * 2) / 2;
    // The main thread moves the volume 60 times a second; spreading each step over the block
    // keeps those steps from being heard as zipper noise.
    float gain = m_appliedVolume;
    const float step = (target - gain) / float(frames);
    const float *in = m_renderBuffer.data();
    for (std::size_t i = 0; i < got; ++i) {
        gain += step;
        left[i] += in[2 * i] * gain;
        right[i] += in[2 * i + 1] * gain;
    }
    m_appliedVolume = target;
}

bool PlayerNode::configureConverter(int fileRate)
{
    const double outRate = m_outputRate.load(std::memory_order_acquire);
    if (double(fileRate) == outRate) {
        if (m_converter)
            soxr_delete(m_converter);
        m_converter = nullptr;
        return true;
    }
    if (m_converter && m_converterInRate == fileRate && m_converterOutRate == outRate)
        return true; // keep its state: the next segment continues the same stream without a seam
    if (m_converter)
        soxr_delete(m_converter);
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_error_t error = nullptr;
    m_converter = soxr_create(double(fileRate), outRate, 2, &error, &io, &quality, nullptr);
    if (error || !m_converter) {
        m_converter = nullptr;
        return false;
    }
    m_converterInRate = fileRate;
    m_converterOutRate = outRate;
    m_convertedBuffer.resize(std::size_t(std::ceil(double(kStreamChunkFrames) * outRate / fileRate) + 256) * 2);
    return true;
}

bool PlayerNode::openNextSegment()
{
    for (;;) {
        {
            std::lock_guard lock(m_queueMutex);
            if (m_queue.empty())
                return false;
            m_current = std::move(m_queue.front());
            m_queue.pop_front();
            m_reading.store(true, std::memory_order_release);
        }
        if (m_file.open(m_current.path) && m_file.seek(m_current.start)
            && configureConverter(m_file.sampleRate())) {
            m_remaining = std::min(m_current.frames, m_file.frames() - m_current.start);
            m_fileBuffer.resize(std::size_t(kStreamChunkFrames) * std::size_t(m_file.channels()));
            return true;
        }
        // Unreadable now: this segment is dropped without its completion, so a loop ends here.
        m_file.close();
        m_current = {};
        m_reading.store(false, std::memory_order_release);
    }
}

void PlayerNode::finishSegment()
{
    m_file.close();
    if (m_current.consumed)
        m_post(std::move(m_current.consumed));
    m_current = {};
    m_reading.store(false, std::memory_order_release);
}

bool PlayerNode::stream()
{
    const std::uint32_t request = m_stopRequest.load(std::memory_order_acquire);
    if (request != m_streamRequest) {
        // A stop: drop the pass being read and tell the render thread it may empty the ring.
        m_file.close();
        m_current = {};
        m_reading.store(false, std::memory_order_release);
        if (m_converter)
            soxr_clear(m_converter);
        m_streamRequest = request;
        m_stopSeen.store(request, std::memory_order_release);
    }
    // Nothing new goes in before the render thread has emptied the ring of the old pass.
    if (m_flushed.load(std::memory_order_acquire) != request)
        return false;

    bool worked = false;
    for (;;) {
        if (!m_reading.load(std::memory_order_relaxed) && !openNextSegment())
            break;
        const std::size_t room = m_converter ? m_convertedBuffer.size() : std::size_t(kStreamChunkFrames) * 2;
        if (m_ring.writeAvailable() < room)
            break;
        if (m_stopRequest.load(std::memory_order_acquire) != request)
            break; // the next call lets go of this pass
        const std::int64_t wanted = std::min(kStreamChunkFrames, m_remaining);
        const std::int64_t got = m_file.read(m_fileBuffer.data(), wanted);
        const int channels = m_file.channels();
        for (std::int64_t i = 0; i < got; ++i) {
            const float *frame = m_fileBuffer.data() + i * channels;
            m_stereoBuffer[std::size_t(2 * i)] = frame[0];
            m_stereoBuffer[std::size_t(2 * i + 1)] = channels > 1 ? frame[1] : frame[0];
        }
        if (m_converter) {
            std::size_t used = 0;
            std::size_t made = 0;
            soxr_process(m_converter, m_stereoBuffer.data(), std::size_t(got), &used, m_convertedBuffer.data(),
                         m_convertedBuffer.size() / 2, &made);
            m_ring.write(m_convertedBuffer.data(), made * 2);
        } else {
            m_ring.write(m_stereoBuffer.data(), std::size_t(got) * 2);
        }
        m_remaining -= got;
        worked = true;
        if (got < wanted || m_remaining <= 0)
            finishSegment();
    }
    return worked;
}

NoiseSourceNode::NoiseSourceNode(double sampleRate, const std::atomic<float> *level)
{
    m_generator.init(float(sampleRate), level);
    m_left.resize(kMaxBlockFrames);
    m_right.resize(kMaxBlockFrames);
}

void NoiseSourceNode::prepare(double) {} // a rate change brings a new node, as the generator is built for one rate

void NoiseSourceNode::renderAdd(float *left, float *right, int frames)
{
    m_generator.render(m_left.data(), m_right.data(), frames);
    for (int i = 0; i < frames; ++i) {
        left[i] += m_left[std::size_t(i)];
        right[i] += m_right[std::size_t(i)];
    }
}

} // namespace tessary::audio
