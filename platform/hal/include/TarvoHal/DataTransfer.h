#pragma once

#include "TarvoHal/tarvohal_export.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace tarvo {

class BulkEndpoint;
class Interface;

// The bulk transfer of one endpoint of an opened device.
class TARVOHAL_EXPORT DataTransfer
{
public:
    // `transfers` is the number of transfers kept in flight; the device queues up to
    // max(bufferCount, transfers) buffers of `bufferBytes` before it drops data.
    DataTransfer(std::shared_ptr<Interface> interface, uint32_t bufferCount, uint32_t bufferBytes,
                 uint8_t transfers, uint8_t endpoint);
    ~DataTransfer();

    bool start();
    void stop();
    // Blocks up to 100 ms for a buffer: a positive count when one is ready, 0 otherwise
    // (time-out, stopped transfer); returns 0 at once when the device is gone.
    int waitNextBuffer();
    // The next buffer in arrival order (never one skipped), or nothing.
    std::optional<std::shared_ptr<std::vector<uint8_t>>> getLatestBuffer();
    // Buffers the device had to drop since the transfer was created because they were not
    // taken in time; any thread may ask.
    uint64_t droppedBufferCount() const;

    uint32_t bufferBytes() const { return m_bufferBytes; }
    uint8_t endpoint() const { return m_endpointAddress; }

private:
    std::shared_ptr<Interface> m_interface;
    std::shared_ptr<BulkEndpoint> m_endpoint; // null when the device has no such endpoint
    uint32_t m_bufferBytes;
    uint8_t m_endpointAddress;
};

TARVOHAL_EXPORT std::unique_ptr<DataTransfer>
createDataTransferUniquePtr(std::shared_ptr<Interface> interface, uint32_t bufferCount, uint32_t bufferBytes,
                            uint8_t transfers, uint8_t endpoint);

} // namespace tarvo
