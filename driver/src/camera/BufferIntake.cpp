#include "camera/BufferIntake.h"

#include "camera/ThreadName.h"

namespace tarvo {

BufferIntake::~BufferIntake()
{
    stop();
}

void BufferIntake::start(Sensor& sensor, std::function<bool()> connected)
{
    stop();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.clear();
        m_queuedBytes = 0;
        m_ended = false;
        m_lost = false;
    }
    m_dropped = 0;
    m_arrivals = 0;
    m_stopRequested = false;
    m_thread = std::thread([this, &sensor, connected = std::move(connected)] { run(sensor, connected); });
}

void BufferIntake::stop()
{
    finish();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.clear();
    m_queuedBytes = 0;
}

void BufferIntake::finish()
{
    m_stopRequested = true;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    end(false);
}

void BufferIntake::run(Sensor& sensor, const std::function<bool()>& connected)
{
    nameThisThread("tarvo-intake");
    while (!m_stopRequested) {
        const auto buffer = sensor.getNextBuffer();
        if (!buffer || !*buffer) {
            if (!connected()) {
                end(true);
                return;
            }
            continue;
        }
        const uint64_t arrival = m_arrivals++;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_queuedBytes + (*buffer)->size() > m_maxQueuedBytes) {
                ++m_dropped;
                continue;
            }
            m_queuedBytes += (*buffer)->size();
            m_queue.push_back({*buffer, arrival});
        }
        m_changed.notify_one();
    }
}

void BufferIntake::end(bool lost)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_ended) {
            return;
        }
        m_ended = true;
        m_lost = lost;
    }
    m_changed.notify_all();
}

BufferIntake::Buffer BufferIntake::next()
{
    uint64_t arrival = 0;
    return next(arrival);
}

BufferIntake::Buffer BufferIntake::next(uint64_t& arrival)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_queue.empty() || m_ended; });
    if (m_queue.empty()) {
        return nullptr;
    }
    Arrived oldest = std::move(m_queue.front());
    m_queue.pop_front();
    m_queuedBytes -= oldest.buffer->size();
    arrival = oldest.arrival;
    return std::move(oldest.buffer);
}

bool BufferIntake::deviceLost() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lost;
}

} // namespace tarvo
