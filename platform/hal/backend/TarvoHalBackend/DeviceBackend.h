#pragma once

#include "TarvoHal/CameraDescription.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tarvo {

class DeviceLink;

// What the finders of UsbInterface and EthInterface look for.
enum class DeviceFamily
{
    UsbEventCamera,
    UsbFusionCamera,
    EthEventCamera,
};

// One way of reaching devices: the simulated bus today, a USB or network transport beside it.
// The finders ask every back end in DeviceBackendRegistry; a back end answers only for the
// devices it reaches. Called on any thread.
class DeviceBackend
{
public:
    virtual ~DeviceBackend() = default;

    // The connected devices of `family` that this back end reaches.
    virtual std::vector<CameraDescription> enumerate(DeviceFamily family) = 0;
    // Opens the connected device of `family` with the description's serial; nullptr when this
    // back end has none.
    virtual std::shared_ptr<DeviceLink> open(DeviceFamily family, const CameraDescription& description) = 0;
    // Gives the Ethernet device with the description's serial a new network setting without
    // opening it; false when this back end has no such device or the device refuses.
    virtual bool forceNetworkConfig(const CameraDescription& description, uint32_t ip, uint32_t mask,
                                    uint32_t gateway) = 0;
};

} // namespace tarvo
