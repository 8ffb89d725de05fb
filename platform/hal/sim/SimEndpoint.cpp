#include "SimEndpoint.h"

#include "SimDevice.h"

namespace tarvo::sim {

SimEndpoint::SimEndpoint(std::shared_ptr<SimDevice> device, size_t bufferBytes, size_t depth)
    : m_device(std::move(device)), m_bufferBytes(bufferBytes), m_depth(depth == 0 ? 1 : depth)
{
}

SimEndpoint::~SimEndpoint()
{
    // Subclasses join the thread in their own destructors, while produce() is still theirs.
}

bool SimEndpoint::start()
{
    if (!m_device->connected()) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_started) {
        return true;
    }
    m_stopRequested = false;
    m_started = true;
    m_thread = std::thread(&SimEndpoint::run, this);
    return true;
}

void SimEndpoint::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_started) {
            return;
        }
        m_stopRequested = true;
    }
    m_producerCondition.notify_all();
    m_hostCondition.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.clear();
    m_started = false;
}

void SimEndpoint::run()
{
    produce();
}

int SimEndpoint::waitNextBuffer(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_hostCondition.wait_for(lock, timeout, [this] { return !m_queue.empty() || !m_device->connected(); });
    if (!m_device->connected()) {
        // A lost device delivers nothing, not even what was in flight.
        m_queue.clear();
        return 0;
    }
    return static_cast<int>(m_queue.size());
}

SimEndpoint::Buffer SimEndpoint::takeBuffer()
{
    Buffer buffer;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_queue.empty() || !m_device->connected()) {
            return nullptr;
        }
        buffer = std::move(m_queue.front());
        m_queue.pop_front();
    }
    m_producerCondition.notify_all();
    return buffer;
}

void SimEndpoint::wake()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_wakes;
    }
    m_producerCondition.notify_all();
    m_hostCondition.notify_all();
}

void SimEndpoint::waitUntil(Clock::time_point deadline)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const uint64_t wakes = m_wakes;
    m_producerCondition.wait_until(lock, deadline,
                                   [&] { return m_stopRequested.load() || m_wakes != wakes; });
}

bool SimEndpoint::push(Buffer buffer, bool block)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (block) {
        m_producerCondition.wait(lock, [this] {
            return m_queue.size() < m_depth || m_stopRequested.load() || !m_device->connected();
        });
    }
    if (m_stopRequested.load() || !m_device->connected() || m_queue.size() >= m_depth) {
        if (m_queue.size() >= m_depth) {
            ++m_dropped;
        }
        return false;
    }
    m_queue.push_back(std::move(buffer));
    lock.unlock();
    m_hostCondition.notify_all();
    return true;
}

SimEndpoint::Buffer SimEndpoint::freshBuffer(size_t reserve)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // Buffers the host has let go of (only our list still holds them) are reused.
        for (auto it = m_spare.begin(); it != m_spare.end(); ++it) {
            if (it->use_count() == 1) {
                Buffer buffer = std::move(*it);
                m_spare.erase(it);
                buffer->clear();
                m_spare.push_back(buffer);
                return buffer;
            }
        }
    }
    auto buffer = std::make_shared<std::vector<uint8_t>>();
    buffer->reserve(reserve);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_spare.size() < m_depth + 4) {
        m_spare.push_back(buffer);
    }
    return buffer;
}

} // namespace tarvo::sim
