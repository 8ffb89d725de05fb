#pragma once

#include <memory>
#include <string>
#include <vector>

namespace tarvo {
class DvsCamera;
class DvsCameraManager;
} // namespace tarvo

namespace tarvo::cli {

// Commands on live cameras; each puts the simulated cameras behind the hardware layer first,
// takes the words after its name and returns the process exit status.
int camerasCommand(const std::vector<std::string>& args);
int streamCommand(const std::vector<std::string>& args);
// `record`: a plain or trigger-window recording of an event camera; with `--fusion DIR NAME`, a
// fusion recording (RAW, MP4 and calibration JSON) made by fusionRecordCommand.
int recordCommand(const std::vector<std::string>& args);
int fusionRecordCommand(const std::vector<std::string>& args);

// Opens the event camera with `serial` and applies the configuration file `configPath` when it
// is not empty. On failure (an unknown serial, a fusion camera, a camera that cannot be opened,
// a configuration that cannot be applied) prints why, prefixed with "tarvo COMMAND", and returns
// an empty pointer.
std::shared_ptr<DvsCamera> openEventCamera(DvsCameraManager& manager, const std::string& command,
                                           const std::string& serial, const std::string& configPath);

} // namespace tarvo::cli
