#pragma once

#include "TarvoHal/CameraDescription.h"
#include "TarvoHal/CtrlFrame.h"
#include "TarvoHal/Interface.h"
#include "TarvoHal/tarvohal_export.h"

#include <memory>
#include <vector>

namespace tarvo {

class TARVOHAL_EXPORT UsbInterface : public Interface
{
public:
    UsbInterface(std::shared_ptr<DeviceLink> link, const CameraDescription& description);

    // Attached USB event cameras with this id pair; empty when none.
    static std::vector<CameraDescription> findUsbDvsCamera(uint16_t vendorId, uint16_t productId);
    // Attached USB fusion cameras with this id pair; empty when none.
    static std::vector<CameraDescription> findUsbFusionCamera(uint16_t vendorId, uint16_t productId);
    // Open the camera the description names (by serial); empty when it is not attached.
    static std::shared_ptr<Interface> createUsbInterface(const CameraDescription& description);
    static std::shared_ptr<Interface> createUsbFusionInterface(const CameraDescription& description);

    // Sends the frame and leaves the device's answer in it. Throws std::runtime_error when the
    // device is gone or refuses the command.
    void transferFrame(CtrlFrame& frame);
};

} // namespace tarvo
