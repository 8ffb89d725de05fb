#pragma once

#include "camera/CameraToolLookup.h"

#include <string>

// A camera's parameter state as a JSON file: one object per tool, named by its ToolInfo name,
// holding one member per parameter. For every camera class that keeps its tools in a map by
// type; messages name the camera's source file, `logSource`.
namespace tarvo::camera_config {

// Writes every integer, float, switch and choice parameter of every tool (members in ascending
// name order, indented by 4); false (logged) when the file cannot be written.
bool exportParams(const tool_lookup::ToolMap& tools, const std::string& path, const char* logSource);
// Sets the file's parameters tool by tool, each in ascending name order, logging each one.
// Tools the camera lacks are skipped with a warning. False (logged at level 4) when the file
// cannot be read or parsed, or when any parameter could not be set; the others are set anyway.
bool loadParams(const tool_lookup::ToolMap& tools, const std::string& path, const char* logSource);

} // namespace tarvo::camera_config
