#pragma once

#include <cstdint>
#include <string>

namespace tarvo::sim {

enum class DeviceKind
{
    UsbEventCamera,
    EthEventCamera,
    FusionCamera,
};

// Everything that makes one simulated camera. The defaults describe the maker's USB event
// camera streaming a synthetic scene.
struct DeviceConfig
{
    DeviceKind kind = DeviceKind::UsbEventCamera;
    std::string serial = "KST0000001";
    std::string productName = "Kestrel";
    std::string manufacturer = "TARVO";
    std::string firmwareVersion = "1.0.0";
    uint16_t vendorId = 0x04B5;
    uint16_t productId = 0x0001;
    // Ethernet cameras: current network setting, dotted IPv4.
    std::string ipAddress;
    std::string subnetMask;
    std::string gateway;
    // Event source: "scene" (synthetic moving scene) or "replay" (a RAW recording, played once
    // at its own pace).
    std::string source = "scene";
    std::string rawPath;
    double eventRate = 2e6; // scene events per second at the default biases
    double triggerHz = 1;   // pulses on trigger input 0; 0 for none (fusion cameras: frame edges)
    uint64_t seed = 1;
    // false: stream as fast as the host reads, never dropping (benchmarks); true: real time.
    bool paced = true;
    // Fusion cameras: calibration block stored in the camera (JSON text); empty for none.
    std::string calibrationJson;
};

} // namespace tarvo::sim
