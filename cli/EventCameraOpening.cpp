#include "CameraCommands.h"

#include "TarvoBase/Logger.h"
#include "TarvoDriver/DvsCamera.h"
#include "TarvoDriver/DvsCameraManager.h"
#include "TarvoSim/Install.h"

#include <cstdio>

namespace tarvo::cli {
namespace {

enum class Known
{
    EventCamera,
    FusionCamera,
    Missing,
};

Known findCamera(DvsCameraManager& manager, const std::string& serial)
{
    for (const CameraDescription& camera : manager.getCameraDescs()) {
        if (camera.serial == serial) {
            return camera.productName == "Duet" ? Known::FusionCamera : Known::EventCamera;
        }
    }
    return Known::Missing;
}

} // namespace

std::shared_ptr<DvsCamera> openEventCamera(DvsCameraManager& manager, const std::string& command,
                                           const std::string& serial, const std::string& configPath)
{
    sim::install();
    Logger::Instance().setStderrLevel(3);
    switch (findCamera(manager, serial)) {
    case Known::Missing:
        std::fprintf(stderr, "tarvo %s: no camera with serial '%s' (tarvo cameras lists them)\n",
                     command.c_str(), serial.c_str());
        return nullptr;
    case Known::FusionCamera:
        std::fprintf(stderr, "tarvo %s: '%s' is a fusion camera, which this command cannot %s\n",
                     command.c_str(), serial.c_str(), command.c_str());
        return nullptr;
    case Known::EventCamera:
        break;
    }
    auto camera = manager.openCamera(serial);
    if (!camera) {
        std::fprintf(stderr, "tarvo %s: cannot open camera '%s'\n", command.c_str(), serial.c_str());
        return nullptr;
    }
    if (!configPath.empty() && !camera->loadCameraConfigParams(configPath)) {
        std::fprintf(stderr, "tarvo %s: cannot apply the configuration '%s'\n", command.c_str(),
                     configPath.c_str());
        return nullptr;
    }
    return camera;
}

} // namespace tarvo::cli
