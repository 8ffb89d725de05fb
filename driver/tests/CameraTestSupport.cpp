#include "CameraTestSupport.h"

#include "TarvoSim/SimBus.h"

#include <gtest/gtest.h>

#include <thread>

namespace tarvo::test {

void attachOnly(const std::vector<sim::DeviceConfig>& configs)
{
    sim::SimBus::instance().setWaitScale(0.0001);
    sim::SimBus::instance().replace(configs);
}

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

OpenedCamera::OpenedCamera(const sim::DeviceConfig& config)
{
    attachOnly({config});
    device = sim::SimBus::instance().find(config.serial, config.kind);
    manager.updateCameras();
    camera = manager.openCamera(config.serial);
    EXPECT_TRUE(camera) << config.serial;
}

sim::DeviceConfig fusionCameraConfig(const std::string& serial, double eventRate)
{
    sim::DeviceConfig config = sim::SimBus::defaultDevices()[2];
    config.serial = serial;
    config.eventRate = eventRate;
    return config;
}

OpenedFusionCamera::OpenedFusionCamera(const sim::DeviceConfig& config)
{
    attachOnly({config});
    device = sim::SimBus::instance().find(config.serial, config.kind);
    manager.updateCameras();
    camera = manager.openFusionCamera(config.serial);
    EXPECT_TRUE(camera && camera->isConnected()) << config.serial;
}

} // namespace tarvo::test
