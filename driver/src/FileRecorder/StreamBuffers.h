#pragma once

#include "tools/ObjectPool.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace tarvo {

// The raw stream on its way from the camera's stream thread to the disk: the buffer being filled
// and the filled ones waiting to be written, each with the stream time at which it began. A
// buffer is handed over when it is full or when it holds about 100 ms of stream, so that a quiet
// stream reaches the disk as soon as a busy one. Everything held, from the buffer being filled to
// those still being written, counts against a bound; a stream that would pass it is refused.
//
// Not thread-safe: the recorder guards it with its lock.
class StreamBuffers
{
public:
    using Bytes = std::shared_ptr<std::vector<uint8_t>>;

    struct Limits
    {
        size_t bufferBytes = 0x100000; // a buffer is full at this size
        size_t pooledBuffers = 10;     // buffers kept for reuse
        size_t maxHeldBytes = size_t{512} << 20;
        uint64_t handOverUs = 100000; // stream time after which a partly filled buffer goes
        // A stream that brings nothing for this long (a camera stopped or unplugged while
        // recording) leaves its partly filled buffer to be written.
        std::chrono::milliseconds quietHandOver{100};
    };

    // A handed-over buffer.
    struct Chunk
    {
        Bytes bytes;
        // The stream time reached before its first byte: no event in it is earlier (but for the
        // few µs a camera may step back).
        uint64_t startTime = 0;
        // The stream time reached before the last bytes were added.
        uint64_t endTime = 0;
    };

    enum class Append
    {
        Taken,
        HandedOver, // taken, and a buffer is now waiting
        NotTaking,  // closed: the bytes are not part of the recording
        OverBound,  // not taken; the buffers have closed themselves (the held ones stay)
    };

    explicit StreamBuffers(const Limits& limits);

    // Takes the stream afresh: whatever was held is dropped.
    void open();
    // Called with the bytes of each raw buffer of the stream and the stream time reached before it.
    Append append(const uint8_t* data, size_t size, uint64_t now);
    // Hands over a partly filled buffer (the stream has gone quiet); false when it is empty.
    bool handOverPartial();
    // Stops taking the stream. The buffer being filled is handed over, or with `discard` dropped
    // together with the waiting ones.
    void close(bool discard);

    bool taking() const { return m_taking; }
    bool hasWaiting() const { return !m_waiting.empty(); }
    // The waiting buffers, oldest first; they stay held until release().
    std::deque<Chunk> takeWaiting();
    // `bytes` of taken buffers have been written or given up.
    void release(size_t bytes);

    size_t heldBytes() const { return m_heldBytes; }
    size_t peakHeldBytes() const { return m_peakHeldBytes; }
    void resetPeak() { m_peakHeldBytes = m_heldBytes; }
    const Limits& limits() const { return m_limits; }

private:
    void handOver();
    Bytes freshBuffer();

    Limits m_limits;
    std::unique_ptr<ObjectPool<std::vector<uint8_t>>> m_pool; // made at the first open()
    Bytes m_current;
    uint64_t m_currentStart = 0;
    uint64_t m_currentEnd = 0;
    std::deque<Chunk> m_waiting;
    size_t m_heldBytes = 0;
    size_t m_peakHeldBytes = 0;
    bool m_taking = false;
};

} // namespace tarvo
