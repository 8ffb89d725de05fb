#include "sensor/Sensor.h"

namespace tarvo {

Sensor::~Sensor() = default;

void Sensor::setWriteRegisterFieldCallback(WriteRegisterFieldCallback callback)
{
    m_writeRegisterField = std::move(callback);
}

void Sensor::setApplyRegisterOperationSequenceCallback(ApplySequenceCallback callback)
{
    m_applySequence = std::move(callback);
}

std::optional<std::shared_ptr<std::vector<uint8_t>>> Sensor::getNextBuffer()
{
    if (!m_eventStream || m_eventStream->waitNextBuffer() <= 0) {
        return std::nullopt;
    }
    return m_eventStream->getLatestBuffer();
}

uint64_t Sensor::getDroppedBufferCount() const
{
    return m_eventStream ? m_eventStream->getDroppedBufferCount() : 0;
}

} // namespace tarvo
