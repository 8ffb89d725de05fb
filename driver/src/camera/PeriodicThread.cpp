#include "camera/PeriodicThread.h"

#include "TarvoBase/Logger.h"
#include "camera/ThreadName.h"

#include <exception>
#include <system_error>

namespace tarvo {

PeriodicThread::PeriodicThread(const char* logSource, const char* threadName)
    : m_logSource(logSource), m_threadName(threadName)
{
}

PeriodicThread::~PeriodicThread()
{
    stop();
    join();
}

void PeriodicThread::start(std::chrono::milliseconds period, std::function<void()> job)
{
    join();
    // Assigned under the lock that run() takes first, so that the job sees the thread object
    // complete when it calls stop().
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopRequested = false;
    m_thread = std::thread([this, period, job = std::move(job)] { run(period, job); });
}

bool PeriodicThread::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopRequested = true;
    }
    m_wake.notify_all();
    if (!m_thread.joinable()) {
        return false;
    }
    if (isCurrentThread()) {
        return true;
    }
    try {
        m_thread.join();
    } catch (const std::system_error& error) {
        Logger::Instance().log_(4, m_logSource, __LINE__, "Cannot join the periodic thread: %s",
                                error.what());
        return false;
    }
    return true;
}

void PeriodicThread::join()
{
    if (m_thread.joinable() && !isCurrentThread()) {
        m_thread.join();
    }
}

bool PeriodicThread::isCurrentThread() const
{
    return m_threadId.load() == std::this_thread::get_id();
}

void PeriodicThread::run(std::chrono::milliseconds period, const std::function<void()>& job)
{
    using Clock = std::chrono::steady_clock;
    nameThisThread(m_threadName);
    m_threadId = std::this_thread::get_id();
    auto next = Clock::now() + period;
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_wake.wait_until(lock, next, [this] { return m_stopRequested; })) {
        lock.unlock();
        try {
            job();
        } catch (const std::exception& error) {
            Logger::Instance().log_(4, m_logSource, __LINE__, "Periodic job failed: %s", error.what());
        } catch (...) {
            Logger::Instance().log_(4, m_logSource, __LINE__, "Periodic job failed");
        }
        lock.lock();
        // Keep the cadence, but after a stall (a suspended process) start afresh rather than
        // running the missed periods back to back.
        next += period;
        if (next < Clock::now()) {
            next = Clock::now() + period;
        }
    }
    m_threadId = std::thread::id();
}

} // namespace tarvo
