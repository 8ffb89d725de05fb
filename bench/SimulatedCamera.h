#pragma once

#include "FileRecorder/RawStreamRecorder.h"
#include "TarvoDriver/DvsCamera.h"
#include "TarvoDriver/DvsCameraManager.h"

#include <memory>
#include <string>

// Puts one simulated event camera on the bus, streaming the synthetic scene at `eventRate` in
// real time, opens it through `manager` and gives its stream to `recorder`. Empty, with the
// reason on standard error, when the camera cannot be opened.
std::shared_ptr<tarvo::DvsCamera> openSimulatedCamera(tarvo::DvsCameraManager& manager,
                                                      const std::string& serial, double eventRate,
                                                      std::unique_ptr<tarvo::RawStreamRecorder> recorder);
