#pragma once

#include "SimTestSupport.h"
#include "TarvoDriver/DvsCamera.h"
#include "TarvoDriver/DvsCameraManager.h"
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

} // namespace tarvo::test
