#pragma once

#include "CameraToolPanel.h"

// The side bar's event sensor panel: a box for each tool of the open camera but the frame
// sensor's (biases, trigger input, sync, anti-flicker, event-rate control, event-trail filter,
// region of interest, and an Ethernet camera's network setting). What the user sets is kept in
// the current event-camera configuration file, which a camera on USB gets again when it is shown
// (Ethernet cameras keep their own settings); a kept file that cannot be applied as a whole
// changes nothing and raises a warning notice.
class SidebarDvsSettingUI : public CameraToolPanel
{
    Q_OBJECT

public:
    explicit SidebarDvsSettingUI(AppConfig* config, QWidget* parent = nullptr);

protected:
    bool showsTool(tarvo::ToolType type) const override;
    int toolRank(tarvo::ToolType type) const override;
    QString emptyHint() const override;
    void cameraShown(const tarvo::CameraDescription& description) override;
};
