#include "SimEndpoint.h"

#include "SimDevice.h"

#include <pthread.h>

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
    pthread_setname_np(pthread_self(), "sim-endpoint");
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
    std::unique_ptr<std::vector<uint8_t>> bytes;
    {
        std::lock_guard<std::mutex> lock(m_pool->mutex);
        if (!m_pool->free.empty()) {
            bytes = std::move(m_pool->free.back());
            m_pool->free.pop_back();
        }
    }
    if (!bytes) {
        bytes = std::make_unique<std::vector<uint8_t>>();
        bytes->reserve(reserve);
    }
    bytes->clear();
    const size_t keep = m_depth + 4;
    std::weak_ptr<BufferPool> pool = m_pool;
    return Buffer(bytes.release(), [pool, keep](std::vector<uint8_t>* released) {
        std::unique_ptr<std::vector<uint8_t>> owned(released);
        if (auto alive = pool.lock()) {
            std::lock_guard<std::mutex> lock(alive->mutex);
            if (alive->free.size() < keep) {
                alive->free.push_back(std::move(owned));
            }
        }
    });
}

} // namespace tarvo::sim
