#pragma once

#include "TarvoHal/CameraDescription.h"
#include "TarvoHal/tarvohal_export.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarvo {

class BulkEndpoint;
class DeviceLink;

// An opened device. The handle stays usable after the device is gone: every access then
// fails and the connection check answers false.
class TARVOHAL_EXPORT Interface
{
public:
    Interface(const Interface&) = delete;
    Interface& operator=(const Interface&) = delete;

    // The connection check.
    virtual bool isConnected() const;
    // Called once after opening; stores the connection's session number in the 8-byte field.
    virtual bool setup(uint64_t* field);
    // The calibration block stored in the camera (JSON text); false when there is none.
    virtual bool readCalibration(std::vector<uint8_t>& out);
    // Stores the JSON file at `path` in the camera; false for a missing or non-JSON file.
    virtual bool writeCalibration(const std::string& path);
    virtual ~Interface();

    bool readRegister(uint32_t address, uint32_t& value);
    bool writeRegister(uint32_t address, uint32_t value);
    bool controlRead(uint32_t address, uint8_t* data, size_t length);
    bool controlWrite(uint32_t address, const uint8_t* data, size_t length);
    // Waits `counts` microseconds of the device's clock.
    void delay(uint32_t counts);
    std::shared_ptr<BulkEndpoint> openEndpoint(uint8_t address, size_t bufferBytes, size_t depth);

    const CameraDescription& description() const { return m_description; }

protected:
    Interface(std::shared_ptr<DeviceLink> link, const CameraDescription& description);

    std::shared_ptr<DeviceLink> m_link;
    CameraDescription m_description;
};

} // namespace tarvo
