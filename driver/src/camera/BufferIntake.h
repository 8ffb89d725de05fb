#pragma once

#include "sensor/Sensor.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tarvo {

// Takes a sensor's raw buffers off the transport on a thread of its own as soon as they arrive,
// and keeps them in arrival order for the stream thread. The transport holds only its transfers
// in flight (20 of 128 KiB, about 20 ms at the sensor's highest rate); a stream thread held up
// longer than that (a slow callback, the machine's other work, memory it grows into) would
// make the transport drop data. This queue holds up to kMaxQueuedBytes (or what its owner sets);
// beyond that it drops the newest buffer and counts it, as the transport does. A fusion camera's
// frame stream goes through one as well: there the transport holds two frames, and the queue ten.
class BufferIntake
{
public:
    using Buffer = std::shared_ptr<std::vector<uint8_t>>;

    static constexpr size_t kMaxQueuedBytes = size_t{64} << 20;

    // Holds up to `maxQueuedBytes` before it drops.
    explicit BufferIntake(size_t maxQueuedBytes = kMaxQueuedBytes) : m_maxQueuedBytes(maxQueuedBytes) {}
    ~BufferIntake();

    BufferIntake(const BufferIntake&) = delete;
    BufferIntake& operator=(const BufferIntake&) = delete;

    // Takes buffers from `sensor` until stop(), or until a wait brings nothing and `connected`
    // answers false (the device is lost). The sensor must stay until stop() has returned.
    void start(Sensor& sensor, std::function<bool()> connected);
    // Ends taking and joins the thread; what is queued is dropped. Not for the intake thread.
    void stop();
    // Ends taking and joins the thread, but leaves what is queued for next() to hand out before
    // it answers empty. Not for the intake thread.
    void finish();

    // The oldest queued buffer; waits for one, and answers empty once the intake has ended and
    // nothing is left (then deviceLost() tells why).
    Buffer next();
    // The same, with the buffer's place in arrival order since start(), counted from 0; buffers
    // this queue dropped keep their places, so a consumer can tell which ones it missed.
    Buffer next(uint64_t& arrival);
    bool deviceLost() const;
    // Buffers dropped because the queue was full, since the last start().
    uint64_t droppedBuffers() const { return m_dropped.load(); }
    // Buffers taken from the transport since the last start(), dropped ones included.
    uint64_t arrivals() const { return m_arrivals.load(); }

private:
    void run(Sensor& sensor, const std::function<bool()>& connected);
    void end(bool lost);

    const size_t m_maxQueuedBytes;

    struct Arrived
    {
        Buffer buffer;
        uint64_t arrival;
    };

    mutable std::mutex m_mutex; // guards the five members below
    std::condition_variable m_changed;
    std::deque<Arrived> m_queue;
    size_t m_queuedBytes = 0;
    bool m_ended = true;
    bool m_lost = false;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<uint64_t> m_dropped{0};
    std::atomic<uint64_t> m_arrivals{0};
    std::thread m_thread;
};

} // namespace tarvo
