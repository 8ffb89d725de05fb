#include "SimBackend.h"

#include "SimDevice.h"
#include "TarvoHalBackend/DeviceBackendRegistry.h"
#include "TarvoSim/Install.h"
#include "TarvoSim/SimBus.h"

namespace tarvo::sim {
namespace {

DeviceKind kindOf(DeviceFamily family)
{
    switch (family) {
    case DeviceFamily::UsbEventCamera:
        return DeviceKind::UsbEventCamera;
    case DeviceFamily::UsbFusionCamera:
        return DeviceKind::FusionCamera;
    case DeviceFamily::EthEventCamera:
        return DeviceKind::EthEventCamera;
    }
    return DeviceKind::UsbEventCamera;
}

} // namespace

void install()
{
    // Registered once, however many callers and threads ask.
    static const bool installed = [] {
        DeviceBackendRegistry::instance().add(std::make_shared<SimBackend>());
        return true;
    }();
    (void)installed;
}

std::vector<CameraDescription> SimBackend::enumerate(DeviceFamily family)
{
    std::vector<CameraDescription> found;
    for (const auto& device : SimBus::instance().list()) {
        if (device->kind() == kindOf(family) && device->connected()) {
            found.push_back(device->description());
        }
    }
    return found;
}

std::shared_ptr<DeviceLink> SimBackend::open(DeviceFamily family, const CameraDescription& description)
{
    return SimBus::instance().find(description.serial, kindOf(family));
}

bool SimBackend::forceNetworkConfig(const CameraDescription& description, uint32_t ip, uint32_t mask,
                                    uint32_t gateway)
{
    auto device = SimBus::instance().find(description.serial, DeviceKind::EthEventCamera);
    return device && device->setNetworkConfig(ip, mask, gateway);
}

} // namespace tarvo::sim
