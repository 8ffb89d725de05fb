#include "SimulatedCamera.h"

#include "TarvoSim/SimBus.h"
#include "camera/DvsCameraPrivate.h"

#include <cstdio>

std::shared_ptr<tarvo::DvsCamera> openSimulatedCamera(tarvo::DvsCameraManager& manager,
                                                      const std::string& serial, double eventRate,
                                                      std::unique_ptr<tarvo::RawStreamRecorder> recorder)
{
    tarvo::sim::DeviceConfig config;
    config.serial = serial;
    config.eventRate = eventRate;
    auto& bus = tarvo::sim::SimBus::instance();
    bus.replace({config});
    bus.setWaitScale(0);
    manager.updateCameras();
    auto camera = manager.openCamera(serial);
    if (!camera) {
        std::fprintf(stderr, "cannot open the simulated camera\n");
        return nullptr;
    }
    dynamic_cast<tarvo::DvsCameraPrivate&>(*camera).setRecorder(std::move(recorder));
    return camera;
}
