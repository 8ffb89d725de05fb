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

void Sensor::setWriteRegisterCallback(WriteRegisterCallback callback)
{
    m_writeRegister = std::move(callback);
}

void Sensor::useRegisters(const std::shared_ptr<RegisterController>& registers)
{
    setApplyRegisterOperationSequenceCallback([registers](const RegisterOperationList& operations) {
        return registers->ApplyRegisterOperationSequence(operations);
    });
    setWriteRegisterFieldCallback(
        [registers](const std::string& reg, const std::string& field, uint32_t value) {
            return registers->writeRegisterField(reg, field, value);
        });
    setWriteRegisterCallback([registers](const std::string& reg, uint32_t value) {
        return registers->writeRegisterWithControlTransfer(reg, value) == 0;
    });
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
