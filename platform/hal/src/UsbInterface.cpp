#include "TarvoHal/UsbInterface.h"

#include "TarvoHalBackend/DeviceBackendRegistry.h"
#include "TarvoHalBackend/DeviceLink.h"

#include <algorithm>
#include <stdexcept>

namespace tarvo {
namespace {

std::vector<CameraDescription> findUsb(DeviceFamily family, uint16_t vendorId, uint16_t productId)
{
    std::vector<CameraDescription> found = DeviceBackendRegistry::instance().enumerate(family);
    found.erase(std::remove_if(found.begin(), found.end(),
                               [&](const CameraDescription& d) {
                                   return d.vendorId != vendorId || d.productId != productId;
                               }),
                found.end());
    return found;
}

std::shared_ptr<Interface> openUsb(DeviceFamily family, const CameraDescription& description)
{
    auto link = DeviceBackendRegistry::instance().open(family, description);
    return link ? std::make_shared<UsbInterface>(std::move(link), description) : nullptr;
}

} // namespace

UsbInterface::UsbInterface(std::shared_ptr<DeviceLink> link, const CameraDescription& description)
    : Interface(std::move(link), description)
{
}

std::vector<CameraDescription> UsbInterface::findUsbDvsCamera(uint16_t vendorId, uint16_t productId)
{
    return findUsb(DeviceFamily::UsbEventCamera, vendorId, productId);
}

std::vector<CameraDescription> UsbInterface::findUsbFusionCamera(uint16_t vendorId, uint16_t productId)
{
    return findUsb(DeviceFamily::UsbFusionCamera, vendorId, productId);
}

std::shared_ptr<Interface> UsbInterface::createUsbInterface(const CameraDescription& description)
{
    return openUsb(DeviceFamily::UsbEventCamera, description);
}

std::shared_ptr<Interface> UsbInterface::createUsbFusionInterface(const CameraDescription& description)
{
    return openUsb(DeviceFamily::UsbFusionCamera, description);
}

void UsbInterface::transferFrame(CtrlFrame& frame)
{
    frame.updateSize();
    if (!m_link || !m_link->connected() || !m_link->transferFrame(frame.bytes(), frame.answer())) {
        throw std::runtime_error("UsbInterface: device does not answer");
    }
    const uint32_t property = frame.get_property();
    frame.swap_req_and_answer();
    if (frame.get_property() != property || frame.payloadWords() < 1 || frame.payload32(0) != 0) {
        throw std::runtime_error("UsbInterface: command refused");
    }
}

} // namespace tarvo
