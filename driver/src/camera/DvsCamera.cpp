#include "TarvoDriver/DvsCamera.h"

#include "camera/CameraConfigFile.h"
#include "camera/CameraToolLookup.h"

namespace tarvo {
namespace {

constexpr const char* kLogSource = "src/camera/DvsCamera";

} // namespace

DvsCamera::DvsCamera(const CameraDescription& description) : m_description(description) {}

DvsCamera::~DvsCamera() = default;

void DvsCamera::setFileCacheTime(uint16_t, std::string) {}

void DvsCamera::setStatisticInfoCallback(StatisticInfoCallback) {}

RecordingStatus DvsCamera::getRecordingStatus() const
{
    return {};
}

CameraDescription DvsCamera::getDescription() const
{
    return m_description;
}

std::shared_ptr<CameraTool> DvsCamera::getTool(ToolType type) const
{
    return tool_lookup::byType(m_tools, type, kLogSource);
}

std::shared_ptr<CameraTool> DvsCamera::getTool(std::string name) const
{
    return tool_lookup::byName(m_tools, name);
}

ToolInfo DvsCamera::getToolInfo(ToolType type) const
{
    return tool_lookup::infoOf(m_tools, type, kLogSource);
}

std::vector<ToolInfo> DvsCamera::getAllToolsInfo() const
{
    return tool_lookup::allInfos(m_tools);
}

bool DvsCamera::exportCameraConfigParams(std::string path)
{
    return camera_config::exportParams(m_tools, path, kLogSource);
}

bool DvsCamera::loadCameraConfigParams(std::string path)
{
    return camera_config::loadParams(m_tools, path, kLogSource);
}

} // namespace tarvo
