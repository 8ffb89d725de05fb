#pragma once

#include "camera/DvsEventCamera.h"

#include <string>

namespace tarvo {

// The maker's Kestrel event camera (IMX636) on USB; it also serves every event camera found on
// Ethernet, whatever its product.
class TarvoKestrel : public DvsEventCamera
{
public:
    static constexpr uint16_t vendorId = 0x04B5;
    static constexpr uint16_t productId = 0x0001;
    static constexpr INTERFACE_TYPE interfaceType = USB;
    static std::string getManufacturer() { return "TARVO"; }
    static std::string getProductName() { return "Kestrel"; }

    using DvsEventCamera::DvsEventCamera;
};

} // namespace tarvo
