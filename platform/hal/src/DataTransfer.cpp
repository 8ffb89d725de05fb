#include "TarvoHal/DataTransfer.h"

#include "TarvoBase/Logger.h"
#include "TarvoHal/Interface.h"
#include "TarvoHalBackend/BulkEndpoint.h"

#include <algorithm>
#include <thread>

namespace tarvo {

static constexpr const char* kSource = "hal/DataTransfer";
static constexpr std::chrono::milliseconds kWaitTimeout{100};

DataTransfer::DataTransfer(std::shared_ptr<Interface> interface, uint32_t bufferCount, uint32_t bufferBytes,
                           uint8_t transfers, uint8_t endpoint)
    : m_interface(std::move(interface)), m_bufferBytes(bufferBytes), m_endpointAddress(endpoint)
{
    if (m_interface && bufferBytes > 0) {
        const size_t depth = std::max<size_t>({bufferCount, transfers, 1});
        m_endpoint = m_interface->openEndpoint(endpoint, bufferBytes, depth);
    }
    if (!m_endpoint) {
        Logger::Instance().log_(4, kSource, __LINE__, "No bulk endpoint 0x%02X on this device", endpoint);
    }
}

DataTransfer::~DataTransfer()
{
    stop();
}

bool DataTransfer::start()
{
    return m_endpoint && m_endpoint->start();
}

void DataTransfer::stop()
{
    if (m_endpoint) {
        m_endpoint->stop();
    }
}

int DataTransfer::waitNextBuffer()
{
    if (!m_endpoint) {
        // Nothing can ever arrive; still honour the time-out so that callers do not spin.
        if (m_interface && m_interface->isConnected()) {
            std::this_thread::sleep_for(kWaitTimeout);
        }
        return 0;
    }
    return m_endpoint->waitNextBuffer(kWaitTimeout);
}

std::optional<std::shared_ptr<std::vector<uint8_t>>> DataTransfer::getLatestBuffer()
{
    if (!m_endpoint) {
        return std::nullopt;
    }
    auto buffer = m_endpoint->takeBuffer();
    if (!buffer) {
        return std::nullopt;
    }
    return buffer;
}

uint64_t DataTransfer::droppedBufferCount() const
{
    return m_endpoint ? m_endpoint->droppedBuffers() : 0;
}

std::unique_ptr<DataTransfer> createDataTransferUniquePtr(std::shared_ptr<Interface> interface,
                                                          uint32_t bufferCount, uint32_t bufferBytes,
                                                          uint8_t transfers, uint8_t endpoint)
{
    return std::make_unique<DataTransfer>(std::move(interface), bufferCount, bufferBytes, transfers,
                                          endpoint);
}

} // namespace tarvo
