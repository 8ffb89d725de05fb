#pragma once

#include "TarvoBase/EventTypes.h"

#include <cstdint>
#include <string>

namespace tarvo {

// The header of a recording whose stream begins where the camera's clock stood at `streamTime`
// (the decoder's time before the first recorded byte). Its start time is where a reader's
// decoder begins: the start of that time's 4096 µs TIME_HIGH period, so that the time words
// before the stream's next TIME_HIGH read as the camera meant them, and no event of the
// recording lies before it (a decoder's time may run ahead of the events that follow).
std::string recordingHeader(DvsFileInfo info, uint64_t streamTime);

} // namespace tarvo
