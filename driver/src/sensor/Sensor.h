#pragma once

#include "TarvoHal/EventStream.h"
#include "TarvoHal/Interface.h"
#include "TarvoHal/RegisterController.h"
#include "TarvoHal/RegisterOperation.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarvo {

// A camera's sensor: it owns the sensor's raw stream and knows the register steps that bring it
// up, start and stop it. It reaches the registers only through the callbacks it is given, each
// answering whether the device took the access.
class Sensor
{
public:
    using WriteRegisterFieldCallback =
        std::function<bool(const std::string& reg, const std::string& field, uint32_t value)>;
    using ApplySequenceCallback = std::function<bool(const RegisterOperationList& operations)>;
    using WriteRegisterCallback = std::function<bool(const std::string& reg, uint32_t value)>;

    virtual ~Sensor();

    // 0 on success, -1 on failure (logged).
    virtual int init(std::shared_ptr<Interface> transport) = 0;
    virtual int start() = 0;
    virtual int stop() = 0;

    void setWriteRegisterFieldCallback(WriteRegisterFieldCallback callback);
    void setApplyRegisterOperationSequenceCallback(ApplySequenceCallback callback);
    // Whole registers written over the control endpoint (the frame sensor's way).
    void setWriteRegisterCallback(WriteRegisterCallback callback);
    // Gives the sensor all three accesses of `registers`: sequences, field writes and control
    // writes of whole registers.
    void useRegisters(const std::shared_ptr<RegisterController>& registers);

    // Waits for the next raw buffer of the stream (up to the transport's time-out): the buffer,
    // or nothing when none came. Called on the stream thread.
    std::optional<std::shared_ptr<std::vector<uint8_t>>> getNextBuffer();
    // Buffers the transport dropped since the stream was created; any thread may ask.
    uint64_t getDroppedBufferCount() const;

protected:
    std::unique_ptr<EventStream> m_eventStream;
    WriteRegisterFieldCallback m_writeRegisterField;
    ApplySequenceCallback m_applySequence;
    WriteRegisterCallback m_writeRegister;
    bool m_inited = false;
};

} // namespace tarvo
