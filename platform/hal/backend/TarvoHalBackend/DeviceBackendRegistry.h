#pragma once

#include "TarvoHal/CameraDescription.h"
#include "TarvoHal/tarvohal_export.h"
#include "TarvoHalBackend/DeviceBackend.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace tarvo {

// The process-wide list of device back ends behind the finders. A back end registers itself
// once (the simulator through tarvo::sim::install()); the finders then ask them in the order
// they were added.
class TARVOHAL_EXPORT DeviceBackendRegistry
{
public:
    static DeviceBackendRegistry& instance();

    // Adds a back end; adding the same one again changes nothing.
    void add(std::shared_ptr<DeviceBackend> backend);
    // Removes a back end; false when it was not registered.
    bool remove(const std::shared_ptr<DeviceBackend>& backend);

    // The devices of `family` over all back ends.
    std::vector<CameraDescription> enumerate(DeviceFamily family) const;
    // The first back end's link to the device; nullptr when none has it.
    std::shared_ptr<DeviceLink> open(DeviceFamily family, const CameraDescription& description) const;
    // Passes the setting to the first back end that takes it; false when none does.
    bool forceNetworkConfig(const CameraDescription& description, uint32_t ip, uint32_t mask,
                            uint32_t gateway) const;

private:
    DeviceBackendRegistry() = default;
    // A copy taken under the lock, so that back ends run without it.
    std::vector<std::shared_ptr<DeviceBackend>> backends() const;

    mutable std::mutex m_mutex; // guards m_backends
    std::vector<std::shared_ptr<DeviceBackend>> m_backends;
};

} // namespace tarvo
