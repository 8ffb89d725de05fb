#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace tarvo {

// A thread that runs a job once a period, on a steady cadence, until it is stopped; stop()
// wakes it at once instead of letting it sleep out its period. The owner starts, stops and
// joins it; stop() called by the job itself only asks the thread to end, and a later start(),
// join() or the destructor joins it.
class PeriodicThread
{
public:
    // `logSource` names the owner in the line logged when a job throws; `threadName` (at most 15
    // characters) names the thread.
    PeriodicThread(const char* logSource, const char* threadName);
    ~PeriodicThread();

    PeriodicThread(const PeriodicThread&) = delete;
    PeriodicThread& operator=(const PeriodicThread&) = delete;

    // Joins an earlier run that has ended, then runs `job` every `period` from now on.
    void start(std::chrono::milliseconds period, std::function<void()> job);
    // Asks the thread to end, wakes it and joins it (unless called on the thread itself);
    // false when it was not running or the join failed.
    bool stop();
    // Joins a run that has been asked to end; does nothing on the thread itself.
    void join();
    bool isCurrentThread() const;

private:
    void run(std::chrono::milliseconds period, const std::function<void()>& job);

    const char* m_logSource;
    const char* m_threadName;
    std::mutex m_mutex; // guards m_stopRequested, and m_thread while start() assigns it
    std::condition_variable m_wake;
    bool m_stopRequested = false;
    std::thread m_thread;
    std::atomic<std::thread::id> m_threadId{}; // set by the thread itself, for isCurrentThread()
};

} // namespace tarvo
