#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tarvo {

// The calibration of a fusion camera: the sizes of its event (DVS) and frame (APS) sensors and
// the plane transforms between their pixel grids, as the camera stores it and as it is written
// beside a fusion recording.
struct CalibratorParameters
{
    // The record's other keys, as the text of a JSON object ("" for none). Nothing here uses
    // them; they are written back as they were read, so that a save keeps what the camera stored.
    std::string extras;
    uint16_t dvsWidth = 1280;
    uint16_t dvsHeight = 720;
    uint16_t apsWidth = 3840;
    uint16_t apsHeight = 2160;
    // "1": event grid to frame grid; "0": frame grid to event grid. Each holds a 2 × 3 matrix
    // (a b c / d e f), row-major, mapping (x, y) to (a·x + b·y + c, d·x + e·y + f) in pixels.
    std::map<std::string, std::vector<double>> transforms;
};

} // namespace tarvo
