#pragma once

#include "camera/DvsEventCamera.h"

#include <string>

namespace tarvo {

// The EVK5 evaluation camera (IMX636 on USB).
class PropheseeEVK5 : public DvsEventCamera
{
public:
    static constexpr uint16_t vendorId = 0x04B4;
    static constexpr uint16_t productId = 0x00C4;
    static constexpr INTERFACE_TYPE interfaceType = USB;
    static std::string getManufacturer() { return "Prophesee"; }
    static std::string getProductName() { return "EVK5"; }

    using DvsEventCamera::DvsEventCamera;
};

} // namespace tarvo
