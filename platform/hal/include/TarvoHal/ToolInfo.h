#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvo {

enum ToolType : int32_t
{
    TOOL_BIASES = 0,
    TOOL_TRIGGER_IN = 1,
    TOOL_SYNC = 2,
    TOOL_ANTI_FLICKER = 3,
    TOOL_EVENT_TRAIL_FILTER = 4,
    TOOL_EVENT_RATE_CONTROL = 5,
    TOOL_ROI = 6,
    TOOL_APS_CTRL = 7,
    TOOL_ETH_CONFIG = 8,
};

struct ToolInfo
{
    ToolType type = TOOL_BIASES;
    std::string name;
    std::vector<std::string> parameters;
    std::string description;
};

} // namespace tarvo
