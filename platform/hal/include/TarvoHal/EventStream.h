#pragma once

#include "TarvoHal/DataTransfer.h"
#include "TarvoHal/tarvohal_export.h"

#include <memory>
#include <optional>
#include <vector>

namespace tarvo {

// A raw data stream of a device (events or frames), read buffer by buffer.
class TARVOHAL_EXPORT EventStream
{
public:
    explicit EventStream(std::unique_ptr<DataTransfer> transfer);

    bool start();
    void stop();
    // See DataTransfer::waitNextBuffer.
    int waitNextBuffer();
    std::optional<std::shared_ptr<std::vector<uint8_t>>> getLatestBuffer();
    // See DataTransfer::droppedBufferCount.
    uint64_t getDroppedBufferCount() const;

private:
    std::unique_ptr<DataTransfer> m_transfer;
};

} // namespace tarvo
