#include "camera/CameraToolLookup.h"

#include "TarvoBase/Logger.h"

#include <stdexcept>

namespace tarvo::tool_lookup {

std::shared_ptr<CameraTool> byType(const ToolMap& tools, ToolType type, const char* logSource)
{
    const auto found = tools.find(type);
    if (found == tools.end()) {
        Logger::Instance().log_(4, logSource, __LINE__, "Tool not found");
        return nullptr;
    }
    return found->second;
}

std::shared_ptr<CameraTool> byName(const ToolMap& tools, const std::string& name)
{
    for (const auto& [type, tool] : tools) {
        if (tool->getToolInfo().name == name) {
            return tool;
        }
    }
    return nullptr;
}

ToolInfo infoOf(const ToolMap& tools, ToolType type, const char* logSource)
{
    const auto tool = byType(tools, type, logSource);
    if (!tool) {
        throw std::runtime_error("Tool not found");
    }
    return tool->getToolInfo();
}

std::vector<ToolInfo> allInfos(const ToolMap& tools)
{
    std::vector<ToolInfo> infos;
    for (const auto& [type, tool] : tools) {
        infos.push_back(tool->getToolInfo());
    }
    return infos;
}

} // namespace tarvo::tool_lookup
