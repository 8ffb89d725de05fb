#pragma once

#include "TarvoHalBackend/BulkEndpoint.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tarvo {

// What a transport needs from one device. The simulated cameras implement it; a real
// transport (libusb, sockets) would implement it over the wire.
class DeviceLink
{
public:
    virtual ~DeviceLink() = default;

    virtual bool connected() const = 0;
    // A number that identifies this connection of the device (never 0).
    virtual uint64_t sessionId() const = 0;

    virtual bool readRegister(uint32_t address, uint32_t& value) = 0;
    virtual bool writeRegister(uint32_t address, uint32_t value) = 0;
    // Block transfers of the control endpoint, addressed like registers.
    virtual bool controlRead(uint32_t address, uint8_t* data, size_t length) = 0;
    virtual bool controlWrite(uint32_t address, const uint8_t* data, size_t length) = 0;
    // Sends one control frame and fills `answer`; false when the device does not answer.
    virtual bool transferFrame(const std::vector<uint8_t>& request, std::vector<uint8_t>& answer) = 0;
    // Waits `counts` microseconds of the device's clock; returns early when the device goes away.
    virtual void delay(uint32_t counts) = 0;

    virtual bool readCalibration(std::vector<uint8_t>& json) = 0;
    virtual bool writeCalibration(const std::vector<uint8_t>& json) = 0;

    // The bulk endpoint `address`, or nullptr when the device has none.
    virtual std::shared_ptr<BulkEndpoint> openEndpoint(uint8_t address, size_t bufferBytes, size_t depth) = 0;

    // Network settings of Ethernet devices.
    virtual bool getNetworkConfig(uint32_t& ip, uint32_t& mask, uint32_t& gateway) const = 0;
    virtual bool setNetworkConfig(uint32_t ip, uint32_t mask, uint32_t gateway) = 0;
    virtual bool setEventStream(bool enabled) = 0;
};

} // namespace tarvo
