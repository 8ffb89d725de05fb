#pragma once

#include <string>
#include <vector>

namespace tarvo::cli {

// Commands on live cameras; both put the simulated cameras behind the hardware layer first.
// Each takes the words after its name and returns the process exit status.
int camerasCommand(const std::vector<std::string>& args);
int streamCommand(const std::vector<std::string>& args);
// `record ... --fusion DIR NAME`: a fusion recording (RAW, MP4 and calibration JSON).
int fusionRecordCommand(const std::vector<std::string>& args);

} // namespace tarvo::cli
