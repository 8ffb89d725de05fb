#include "SidebarApsSettingUI.h"

SidebarApsSettingUI::SidebarApsSettingUI(AppConfig* config, QWidget* parent) : CameraToolPanel(config, parent)
{
    updateHint();
}

bool SidebarApsSettingUI::showsTool(tarvo::ToolType type) const
{
    return type == tarvo::TOOL_APS_CTRL;
}

QString SidebarApsSettingUI::emptyHint() const
{
    return tr("Open a fusion camera to adjust its frame sensor here.");
}
