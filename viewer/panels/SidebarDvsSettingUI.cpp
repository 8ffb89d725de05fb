#include "SidebarDvsSettingUI.h"

#include <QFileInfo>

#include <algorithm>
#include <iterator>

namespace {

// The event sensor's tools in the order a user goes through them; others after, by type.
const tarvo::ToolType kToolOrder[] = {
    tarvo::TOOL_BIASES,       tarvo::TOOL_TRIGGER_IN,         tarvo::TOOL_SYNC,
    tarvo::TOOL_ANTI_FLICKER, tarvo::TOOL_EVENT_RATE_CONTROL, tarvo::TOOL_EVENT_TRAIL_FILTER,
    tarvo::TOOL_ROI,          tarvo::TOOL_ETH_CONFIG,
};

} // namespace

SidebarDvsSettingUI::SidebarDvsSettingUI(AppConfig* config, QWidget* parent) : CameraToolPanel(config, parent)
{
    updateHint();
}

QString SidebarDvsSettingUI::emptyHint() const
{
    return tr("Open an event camera to adjust its sensor here.");
}

void SidebarDvsSettingUI::cameraShown(const PanelCamera& shown)
{
    const QString path = configFiles().current;
    if (shown.description.interfaceType == tarvo::ETHERNET || path.isEmpty()) {
        return;
    }
    if (!QFileInfo::exists(path)) {
        // Nothing kept yet: from now on the file keeps what the camera has and the user sets.
        shown.exportConfig(path.toStdString());
        return;
    }
    QString problem;
    if (!applyConfigFile(path, problem)) {
        emit signalShowLeftBottomTips(tr("The camera settings kept in %1 were not applied.").arg(path) + " " +
                                          problem,
                                      VxMessageType::Warning, path);
        return;
    }
    slotRefreshConfig();
    // The kept file also holds a fusion camera's frame sensor settings, which the other panel shows.
    emit signalCameraParamsLoaded();
}

bool SidebarDvsSettingUI::showsTool(tarvo::ToolType type) const
{
    return type != tarvo::TOOL_APS_CTRL;
}

int SidebarDvsSettingUI::toolRank(tarvo::ToolType type) const
{
    const auto* found = std::find(std::begin(kToolOrder), std::end(kToolOrder), type);
    return found != std::end(kToolOrder) ? int(found - std::begin(kToolOrder))
                                         : int(std::size(kToolOrder)) + type;
}
