#pragma once

#include "TarvoHalBackend/BulkEndpoint.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tarvo::sim {

class SimDevice;

// A bulk endpoint of a simulated device. While started, its own thread runs produce(), which
// fills buffers and queues them; the host takes them in order. The endpoint owns that thread:
// stop() and the destructor of each subclass join it.
class SimEndpoint : public BulkEndpoint
{
public:
    using Clock = std::chrono::steady_clock;
    using Buffer = std::shared_ptr<std::vector<uint8_t>>;

    SimEndpoint(std::shared_ptr<SimDevice> device, size_t bufferBytes, size_t depth);
    ~SimEndpoint() override;

    bool start() override;
    void stop() override;
    int waitNextBuffer(std::chrono::milliseconds timeout) override;
    Buffer takeBuffer() override;

    // The device's state changed (registers, unplugging): re-examine it now.
    void wake();
    uint64_t droppedBuffers() const override { return m_dropped.load(); }

protected:
    // Runs on the endpoint thread until stopRequested(); must return soon after it turns true.
    virtual void produce() = 0;

    bool stopRequested() const { return m_stopRequested.load(); }
    // Sleeps until `deadline`, a wake() or a stop.
    void waitUntil(Clock::time_point deadline);
    // Queues a buffer. A full queue drops it (false) unless `block`, which waits for room
    // (false when stopped or unplugged meanwhile).
    bool push(Buffer buffer, bool block);
    // A buffer for the next transfer, reusing one the host has released when possible.
    Buffer freshBuffer(size_t reserve);

    std::shared_ptr<SimDevice> m_device;
    const size_t m_bufferBytes;
    const size_t m_depth;

private:
    // Buffers the host has released, for reuse; they come back through the deleter of the
    // shared pointers handed out, on whichever thread drops the last reference.
    struct BufferPool
    {
        std::mutex mutex; // guards free
        std::vector<std::unique_ptr<std::vector<uint8_t>>> free;
    };

    void run();

    std::shared_ptr<BufferPool> m_pool = std::make_shared<BufferPool>();
    std::mutex m_mutex;                          // guards m_queue, m_started, m_wakes
    std::condition_variable m_hostCondition;     // buffers queued, unplugged
    std::condition_variable m_producerCondition; // room in the queue, wake(), stop
    std::deque<Buffer> m_queue;
    bool m_started = false;
    uint64_t m_wakes = 0;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<uint64_t> m_dropped{0};
    std::thread m_thread;
};

} // namespace tarvo::sim
