#pragma once

#include "TarvoHal/CameraDescription.h"
#include "TarvoHal/Interface.h"
#include "TarvoHal/tarvohal_export.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tarvo {

class TARVOHAL_EXPORT EthInterface : public Interface
{
public:
    EthInterface(std::shared_ptr<DeviceLink> link, const CameraDescription& description);

    // Cameras answering on the network, with their current address, mask and gateway.
    static std::vector<CameraDescription> findEthDvsCamera();
    // Gives the camera of `description` (by serial) a new address; false when it is not found
    // or the values are no usable IPv4 setting (zero address, non-contiguous mask, gateway
    // outside the subnet).
    static bool ethCameraForceIP(const CameraDescription& description, uint32_t ip, uint32_t mask,
                                 uint32_t gateway);
    static std::shared_ptr<Interface> createEthInterface(const CameraDescription& description);

    // Switches the camera's event stream on the network on or off.
    bool setEventStream(bool enabled);
    bool getNetworkConfig(uint32_t& ip, uint32_t& mask, uint32_t& gateway) const;
    bool setNetworkConfig(uint32_t ip, uint32_t mask, uint32_t gateway);

    // Whether the three values form a usable IPv4 setting.
    static bool isValidSetting(uint32_t ip, uint32_t mask, uint32_t gateway);
};

} // namespace tarvo
