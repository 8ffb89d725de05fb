#pragma once

#include "TarvoDriver/tarvodriver_export.h"
#include "TarvoHal/CameraDescription.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tarvo {

class DvsCamera;
class FusionCamera;

// The kinds of USB camera the manager searches for.
enum CAMERA_TYPE : int32_t
{
    PROPHESEE_EVK4 = 0,
    PROPHESEE_EVK5 = 1,
    TARVO_KESTREL = 2,
    TARVO_DUET = 3,
};

// Finds the attached cameras and keeps one object per camera, by serial number, while it stays
// connected. It searches only when asked (updateCameras, getCameraDescs). Used from one thread
// at a time; a copy shares the camera objects with its source.
class TARVODRIVER_EXPORT DvsCameraManager
{
public:
    DvsCameraManager();
    DvsCameraManager(const DvsCameraManager&);
    DvsCameraManager(DvsCameraManager&&) noexcept;
    DvsCameraManager& operator=(const DvsCameraManager&);
    DvsCameraManager& operator=(DvsCameraManager&&) noexcept;
    ~DvsCameraManager();

    // Drops the cameras that answer as disconnected, then searches; returns the number of
    // cameras the searches reported (those already known included).
    int updateCameras();
    // As updateCameras, then the description of every camera held: event cameras first, then
    // fusion cameras, each group in ascending serial order.
    std::vector<CameraDescription> getCameraDescs();
    // Opens the event camera with this serial (exact match); empty when there is none or it
    // cannot be opened. Opening it again hands out the same object.
    std::shared_ptr<DvsCamera> openCamera(std::string serial);
    // Opens the fusion camera with this serial; empty when there is none. The camera is handed
    // out also when it could not be opened (its start() then fails). Opening it again hands out
    // the same object and empties its callback registries.
    std::shared_ptr<FusionCamera> openFusionCamera(std::string serial);
    // Gives an Ethernet camera a new address (three IPv4 values); true when it took it.
    static bool ethCameraForceIP(CameraDescription description, unsigned ip, unsigned mask, unsigned gateway);

private:
    uint64_t findCameras();
    uint64_t findCameras(CAMERA_TYPE type);
    uint64_t findEthCameras();
    void removeUnpluggedCameras();

    std::map<std::string, std::shared_ptr<DvsCamera>> m_cameras;
    std::map<std::string, std::shared_ptr<FusionCamera>> m_fusionCameras;
};

} // namespace tarvo
