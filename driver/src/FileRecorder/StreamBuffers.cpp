#include "FileRecorder/StreamBuffers.h"

#include <algorithm>

namespace tarvo {

StreamBuffers::StreamBuffers(const Limits& limits) : m_limits(limits) {}

void StreamBuffers::open()
{
    if (!m_pool) {
        m_pool = std::make_unique<ObjectPool<std::vector<uint8_t>>>(m_limits.pooledBuffers, false,
                                                                    m_limits.bufferBytes);
    }
    // Opened only while no taken buffer is still being written.
    m_waiting.clear();
    m_current = freshBuffer();
    m_heldBytes = 0;
    m_peakHeldBytes = 0;
    m_taking = true;
}

StreamBuffers::Append StreamBuffers::append(const uint8_t* data, size_t size, uint64_t now)
{
    if (!m_taking) {
        return Append::NotTaking;
    }
    if (m_heldBytes + size > m_limits.maxHeldBytes) {
        close(false);
        return Append::OverBound;
    }
    if (m_current->empty()) {
        m_currentStart = now;
    }
    m_currentEnd = now;
    m_current->insert(m_current->end(), data, data + size);
    m_heldBytes += size;
    m_peakHeldBytes = std::max(m_peakHeldBytes, m_heldBytes);
    // A camera's time may step back a little; only time that went forward counts.
    if (m_current->size() >= m_limits.bufferBytes ||
        (now > m_currentStart && now - m_currentStart >= m_limits.handOverUs)) {
        handOver();
        return Append::HandedOver;
    }
    return Append::Taken;
}

bool StreamBuffers::handOverPartial()
{
    if (!m_current || m_current->empty()) {
        return false;
    }
    handOver();
    return true;
}

void StreamBuffers::close(bool discard)
{
    m_taking = false;
    if (discard) {
        for (const Chunk& chunk : m_waiting) {
            m_heldBytes -= chunk.bytes->size();
        }
        m_waiting.clear();
        if (m_current) {
            m_heldBytes -= m_current->size();
            m_current->clear();
        }
        return;
    }
    handOverPartial();
}

std::deque<StreamBuffers::Chunk> StreamBuffers::takeWaiting()
{
    std::deque<Chunk> taken;
    taken.swap(m_waiting);
    return taken;
}

void StreamBuffers::release(size_t bytes)
{
    m_heldBytes -= std::min(bytes, m_heldBytes);
}

void StreamBuffers::handOver()
{
    m_waiting.push_back(Chunk{std::move(m_current), m_currentStart, m_currentEnd});
    m_current = freshBuffer();
}

StreamBuffers::Bytes StreamBuffers::freshBuffer()
{
    // The pool keeps every buffer it gets back. Buffers beyond its own, made while the disk is
    // behind, come from outside it, so that their memory is freed once they are written.
    Bytes buffer = m_pool->freeCount() > 0 ? m_pool->acquire() : std::make_shared<std::vector<uint8_t>>();
    buffer->clear();
    buffer->reserve(m_limits.bufferBytes);
    return buffer;
}

} // namespace tarvo
