#pragma once

#include "SimTestSupport.h"
#include "TarvoDriver/DvsCamera.h"
#include "TarvoDriver/DvsCameraManager.h"
#include "TarvoDriver/FusionCamera.h"
#include "TarvoSim/DeviceConfig.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarvo::test {

// Puts exactly these cameras on the simulated bus, with register waits scaled down so that a
// camera's bring-up takes milliseconds.
void attachOnly(const std::vector<sim::DeviceConfig>& configs);

// Checks `condition` every millisecond until it holds or `timeout` passes; whether it held.
bool eventually(const std::function<bool()>& condition,
                std::chrono::milliseconds timeout = std::chrono::seconds(20));

// One simulated camera on the bus, found and opened through a manager.
struct OpenedCamera
{
    explicit OpenedCamera(const sim::DeviceConfig& config);

    std::shared_ptr<sim::SimDevice> device;
    DvsCameraManager manager;
    std::shared_ptr<DvsCamera> camera;
};

// A simulated fusion camera: the default one with this serial and a low event rate, so that
// its 4K frames leave the machine room for the tests beside it.
sim::DeviceConfig fusionCameraConfig(const std::string& serial, double eventRate = 2e5);

// One simulated fusion camera on the bus, found and opened through a manager.
struct OpenedFusionCamera
{
    explicit OpenedFusionCamera(const sim::DeviceConfig& config);

    std::shared_ptr<sim::SimDevice> device;
    DvsCameraManager manager;
    std::shared_ptr<FusionCamera> camera;
};

} // namespace tarvo::test
