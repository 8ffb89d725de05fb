#include "TarvoDriver/FusionCamera.h"

#include "camera/CameraConfigFile.h"
#include "camera/CameraToolLookup.h"

namespace tarvo {
namespace {

constexpr const char* kLogSource = "src/camera/FusionCamera";

} // namespace

FusionCamera::FusionCamera(const CameraDescription& description) : m_description(description) {}

FusionCamera::~FusionCamera() = default;

void FusionCamera::setStatisticInfoCallback(StatisticInfoCallback) {}

CameraDescription FusionCamera::getDescription() const
{
    return m_description;
}

std::shared_ptr<CameraTool> FusionCamera::getTool(ToolType type) const
{
    return tool_lookup::byType(m_tools, type, kLogSource);
}

std::shared_ptr<CameraTool> FusionCamera::getTool(std::string name) const
{
    return tool_lookup::byName(m_tools, name);
}

ToolInfo FusionCamera::getToolInfo(ToolType type) const
{
    return tool_lookup::infoOf(m_tools, type, kLogSource);
}

std::vector<ToolInfo> FusionCamera::getAllToolsInfo() const
{
    return tool_lookup::allInfos(m_tools);
}

bool FusionCamera::exportCameraConfigParams(std::string path)
{
    return camera_config::exportParams(m_tools, path, kLogSource);
}

bool FusionCamera::loadCameraConfigParams(std::string path)
{
    return camera_config::loadParams(m_tools, path, kLogSource);
}

} // namespace tarvo
