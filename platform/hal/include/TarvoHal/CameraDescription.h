#pragma once

#include <cstdint>
#include <string>

namespace tarvo {

enum INTERFACE_TYPE : int32_t
{
    USB = 0,
    ETHERNET = 1,
};

// What a finder reports about one attached camera.
struct CameraDescription
{
    std::string serial;
    std::string productName;
    std::string manufacturer;
    INTERFACE_TYPE interfaceType = USB;
    std::string firmwareVersion;
    std::string ipAddress;  // Ethernet cameras: dotted IPv4
    std::string subnetMask; // Ethernet cameras
    std::string gateway;    // Ethernet cameras
    uint16_t vendorId = 0;  // USB cameras
    uint16_t productId = 0; // USB cameras
};

} // namespace tarvo
