#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

namespace tarvo {

// The host side of one bulk IN endpoint of a device: buffers arrive in order while started.
class BulkEndpoint
{
public:
    virtual ~BulkEndpoint() = default;

    virtual bool start() = 0;
    virtual void stop() = 0;
    // Waits up to `timeout` for a buffer. Returns the number of buffers ready, 0 when none came
    // (time-out, stopped endpoint); returns at once with 0 when the device is gone.
    virtual int waitNextBuffer(std::chrono::milliseconds timeout) = 0;
    // The oldest buffer not yet handed out, or nullptr.
    virtual std::shared_ptr<std::vector<uint8_t>> takeBuffer() = 0;
    // Buffers lost since the endpoint was opened because the host did not take them in time
    // (a transport overrun); called on any thread.
    virtual uint64_t droppedBuffers() const = 0;
};

} // namespace tarvo
