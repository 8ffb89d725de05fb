#pragma once

#include "TarvoHal/CameraTool.h"
#include "TarvoHal/ToolInfo.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// Finding a camera's tools, for every camera class that keeps them in a map by type. Messages
// name the camera's source file, `logSource`.
namespace tarvo::tool_lookup {

using ToolMap = std::map<ToolType, std::shared_ptr<CameraTool>>;

// Logs "Tool not found" (level 4) and returns empty when the camera has no tool of that type.
std::shared_ptr<CameraTool> byType(const ToolMap& tools, ToolType type, const char* logSource);
// The first tool, in ascending type order, whose ToolInfo name is exactly `name`; or empty.
std::shared_ptr<CameraTool> byName(const ToolMap& tools, const std::string& name);
// Throws std::runtime_error "Tool not found" after logging it.
ToolInfo infoOf(const ToolMap& tools, ToolType type, const char* logSource);
// In ascending type order.
std::vector<ToolInfo> allInfos(const ToolMap& tools);

} // namespace tarvo::tool_lookup
