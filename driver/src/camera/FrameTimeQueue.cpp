#include "camera/FrameTimeQueue.h"

namespace tarvo {

void FrameTimeQueue::reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.clear();
    m_pushes = 0;
    m_dropped = 0;
    m_closed = false;
}

void FrameTimeQueue::push(Times times)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_entries.size() >= kMaxWaiting) {
            m_entries.pop_front();
            ++m_dropped;
        }
        m_entries.push_back({m_pushes++, times});
    }
    m_pushed.notify_all();
}

std::optional<FrameTimeQueue::Times> FrameTimeQueue::take(uint64_t arrival)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_pushed.wait(lock, [&] { return m_closed || m_pushes > arrival; });
    while (!m_entries.empty() && m_entries.front().number < arrival) {
        m_entries.pop_front();
    }
    if (m_entries.empty() || m_entries.front().number != arrival) {
        return std::nullopt;
    }
    const Times times = m_entries.front().times;
    m_entries.pop_front();
    return times;
}

void FrameTimeQueue::close()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closed = true;
    }
    m_pushed.notify_all();
}

uint64_t FrameTimeQueue::droppedCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_dropped;
}

} // namespace tarvo
