#pragma once

#include "SimTestSupport.h"
#include "TarvoHal/RegisterController.h"

#include <memory>

namespace tarvo::test {

// A simulated camera with the driver's IMX636 register table bound to its transport (under the
// name "PSEE/IMX636/"), brought up, started and stopped with the driver's sequences.
struct SensorCamera : AttachedCamera
{
    explicit SensorCamera(const sim::DeviceConfig& config);

    std::shared_ptr<RegisterController> registers;

    // Stop, power-up and configuration sequences, as a camera's bring-up applies them.
    void bringUp();
    void start();
    void stop();
};

} // namespace tarvo::test
