#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <vector>

namespace tessary::audio {

// A lock-free ring of samples between exactly one producer thread and one consumer thread.
// The storage is allocated by the constructor; write(), read() and discardAll() never
// allocate, lock or block. Capacity is rounded up to a power of two.
//
// Threads: write() and writeAvailable() on the producer only; read(), readAvailable() and
// discardAll() on the consumer only; size() from anywhere (a snapshot).
template <typename T>
class SpscRing {
public:
    explicit SpscRing(std::size_t minimumCapacity)
    {
        std::size_t capacity = 1;
        while (capacity < minimumCapacity)
            capacity <<= 1;
        m_buffer.assign(capacity, T{});
        m_mask = capacity - 1;
    }

    std::size_t capacity() const { return m_buffer.size(); }
    std::size_t size() const { return m_write.load(std::memory_order_acquire) - m_read.load(std::memory_order_acquire); }

    std::size_t writeAvailable() const
    {
        return capacity() - (m_write.load(std::memory_order_relaxed) - m_read.load(std::memory_order_acquire));
    }

    // Copies up to `count` items in; returns how many fitted.
    std::size_t write(const T *source, std::size_t count)
    {
        const std::size_t w = m_write.load(std::memory_order_relaxed);
        const std::size_t n = std::min(count, capacity() - (w - m_read.load(std::memory_order_acquire)));
        const std::size_t start = w & m_mask;
        const std::size_t first = std::min(n, capacity() - start);
        std::copy_n(source, first, m_buffer.data() + start);
        std::copy_n(source + first, n - first, m_buffer.data());
        m_write.store(w + n, std::memory_order_release);
        return n;
    }

    std::size_t readAvailable() const
    {
        return m_write.load(std::memory_order_acquire) - m_read.load(std::memory_order_relaxed);
    }

    // Copies up to `count` items out; returns how many there were.
    std::size_t read(T *destination, std::size_t count)
    {
        const std::size_t r = m_read.load(std::memory_order_relaxed);
        const std::size_t n = std::min(count, m_write.load(std::memory_order_acquire) - r);
        const std::size_t start = r & m_mask;
        const std::size_t first = std::min(n, capacity() - start);
        std::copy_n(m_buffer.data() + start, first, destination);
        std::copy_n(m_buffer.data(), n - first, destination + first);
        m_read.store(r + n, std::memory_order_release);
        return n;
    }

    // Drops everything written so far.
    void discardAll() { m_read.store(m_write.load(std::memory_order_acquire), std::memory_order_release); }

private:
    std::vector<T> m_buffer;
    std::size_t m_mask = 0;
    // Indices grow without bound and are masked on use; apart on their own cache lines so the
    // two threads do not bounce one line between them.
    alignas(64) std::atomic<std::size_t> m_write{0};
    alignas(64) std::atomic<std::size_t> m_read{0};
};

} // namespace tessary::audio
