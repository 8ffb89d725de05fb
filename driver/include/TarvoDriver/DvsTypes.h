#pragma once

// The records that cross every boundary of the driver. Event2D, EventTriggerIn and
// DvsFileInfo are shared with the hardware and base libraries, which produce and consume them.
#include "TarvoBase/EventTypes.h"

#include <cstdint>

namespace tarvo {

// Throughput of a live stream over the last measuring window.
struct VxStatisticInfo
{
    uint64_t dataRate = 0;  // raw bytes per second
    uint64_t eventRate = 0; // events per second

    VxStatisticInfo() = default;
    VxStatisticInfo(uint64_t dataRate_, uint64_t eventRate_) : dataRate(dataRate_), eventRate(eventRate_) {}
};

// Selects the stream of a fusion camera.
enum STREAM_TYPE : int
{
    DVS_STREAM = 0,
    APS_STREAM = 1,
    DVS_APS_STREAM = 2,
};

} // namespace tarvo
