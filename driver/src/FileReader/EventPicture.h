#pragma once

#include "TarvoBase/EventTypes.h"

#include <cstdint>
#include <vector>

namespace tarvo {

// Renders one batch as a packed BGR picture of width × height: grey background, white for
// ON events, black for OFF events, later events over earlier ones, events outside the sensor
// skipped. An empty or absent batch leaves the picture as it is.
void eventsToRgbData(const std::vector<Event2D>* batch, uint16_t width, uint16_t height,
                     std::vector<uint8_t>& picture);

} // namespace tarvo
