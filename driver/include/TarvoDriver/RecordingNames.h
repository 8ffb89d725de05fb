#pragma once

#include "TarvoDriver/tarvodriver_export.h"

#include <chrono>
#include <string>

namespace tarvo {

// The names the viewer and the command line give recordings of a camera: the serial, then the
// local time as "_yyyyMMdd_HHmmss". A "/" or "\" in the serial becomes "_", so that the name
// stays one file in the folder.

// "SERIAL_yyyyMMdd_HHmmss", for recorders that add their own extensions.
TARVODRIVER_EXPORT std::string recordingBaseName(const std::string& serial,
                                                 std::chrono::system_clock::time_point localTime);
// "SERIAL_yyyyMMdd_HHmmss.raw".
TARVODRIVER_EXPORT std::string recordingFileName(const std::string& serial,
                                                 std::chrono::system_clock::time_point localTime);

} // namespace tarvo
