#pragma once

#include "TarvoHalBackend/DeviceBackend.h"

namespace tarvo::sim {

// The simulated bus as a device back end of the hardware layer: it finds and opens the
// connected devices of SimBus.
class SimBackend : public DeviceBackend
{
public:
    std::vector<CameraDescription> enumerate(DeviceFamily family) override;
    std::shared_ptr<DeviceLink> open(DeviceFamily family, const CameraDescription& description) override;
    bool forceNetworkConfig(const CameraDescription& description, uint32_t ip, uint32_t mask,
                            uint32_t gateway) override;
};

} // namespace tarvo::sim
