#pragma once

#include "TarvoDriver/tarvodriver_export.h"
#include "TarvoHal/CameraDescription.h"

namespace tarvo {

class DvsCameraManager;

// A camera that delivers an event stream and a frame stream on one time base, handed out by
// DvsCameraManager::openFusionCamera. Only what the manager needs is declared so far; the
// streams, callbacks, tools, recording and calibration come with the first fusion device class.
class TARVODRIVER_EXPORT FusionCamera
{
public:
    explicit FusionCamera(const CameraDescription& description);
    virtual ~FusionCamera();

    virtual bool isConnected() const = 0;

    CameraDescription getDescription() const;

protected:
    // Opens the device: 0 on success or when already initialised, -1 on failure.
    virtual int init() = 0;

    CameraDescription m_description;

private:
    friend class DvsCameraManager;
};

} // namespace tarvo
