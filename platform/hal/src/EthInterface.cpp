#include "TarvoHal/EthInterface.h"

#include "TarvoBase/Logger.h"
#include "TarvoHalBackend/DeviceBackendRegistry.h"
#include "TarvoHalBackend/DeviceLink.h"

namespace tarvo {

static constexpr const char* kSource = "hal/EthInterface";

EthInterface::EthInterface(std::shared_ptr<DeviceLink> link, const CameraDescription& description)
    : Interface(std::move(link), description)
{
}

std::vector<CameraDescription> EthInterface::findEthDvsCamera()
{
    return DeviceBackendRegistry::instance().enumerate(DeviceFamily::EthEventCamera);
}

bool EthInterface::isValidSetting(uint32_t ip, uint32_t mask, uint32_t gateway)
{
    // The mask must be a run of ones from the top; the address must be a host of its subnet.
    const uint32_t inverted = ~mask;
    const bool contiguous = mask != 0 && (inverted & (inverted + 1)) == 0;
    if (!contiguous || ip == 0 || (ip & inverted) == 0 || (ip & inverted) == inverted) {
        return false;
    }
    return gateway == 0 || (gateway & mask) == (ip & mask);
}

bool EthInterface::ethCameraForceIP(const CameraDescription& description, uint32_t ip, uint32_t mask,
                                    uint32_t gateway)
{
    if (!isValidSetting(ip, mask, gateway)) {
        Logger::Instance().log_(3, kSource, __LINE__, "Refused IP setting %08X/%08X via %08X for camera %s",
                                ip, mask, gateway, description.serial.c_str());
        return false;
    }
    return DeviceBackendRegistry::instance().forceNetworkConfig(description, ip, mask, gateway);
}

std::shared_ptr<Interface> EthInterface::createEthInterface(const CameraDescription& description)
{
    auto link = DeviceBackendRegistry::instance().open(DeviceFamily::EthEventCamera, description);
    return link ? std::make_shared<EthInterface>(std::move(link), description) : nullptr;
}

bool EthInterface::setEventStream(bool enabled)
{
    return m_link && m_link->setEventStream(enabled);
}

bool EthInterface::getNetworkConfig(uint32_t& ip, uint32_t& mask, uint32_t& gateway) const
{
    return m_link && m_link->getNetworkConfig(ip, mask, gateway);
}

bool EthInterface::setNetworkConfig(uint32_t ip, uint32_t mask, uint32_t gateway)
{
    return m_link && m_link->setNetworkConfig(ip, mask, gateway);
}

} // namespace tarvo
