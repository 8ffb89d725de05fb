#include "TarvoHal/UsbInterface.h"

#include "sim/SimBus.h"
#include "sim/SimDevice.h"

#include <stdexcept>

namespace tarvo {
namespace {

std::vector<CameraDescription> findUsb(sim::DeviceKind kind, uint16_t vendorId, uint16_t productId)
{
    std::vector<CameraDescription> found;
    for (const auto& device : sim::SimBus::instance().list()) {
        if (device->kind() == kind && device->connected() && device->config().vendorId == vendorId &&
            device->config().productId == productId) {
            found.push_back(device->description());
        }
    }
    return found;
}

std::shared_ptr<Interface> openUsb(sim::DeviceKind kind, const CameraDescription& description)
{
    auto device = sim::SimBus::instance().find(description.serial, kind);
    if (!device) {
        return nullptr;
    }
    return std::make_shared<UsbInterface>(device, description);
}

} // namespace

UsbInterface::UsbInterface(std::shared_ptr<DeviceLink> link, const CameraDescription& description)
    : Interface(std::move(link), description)
{
}

std::vector<CameraDescription> UsbInterface::findUsbDvsCamera(uint16_t vendorId, uint16_t productId)
{
    return findUsb(sim::DeviceKind::UsbEventCamera, vendorId, productId);
}

std::vector<CameraDescription> UsbInterface::findUsbFusionCamera(uint16_t vendorId, uint16_t productId)
{
    return findUsb(sim::DeviceKind::FusionCamera, vendorId, productId);
}

std::shared_ptr<Interface> UsbInterface::createUsbInterface(const CameraDescription& description)
{
    return openUsb(sim::DeviceKind::UsbEventCamera, description);
}

std::shared_ptr<Interface> UsbInterface::createUsbFusionInterface(const CameraDescription& description)
{
    return openUsb(sim::DeviceKind::FusionCamera, description);
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
