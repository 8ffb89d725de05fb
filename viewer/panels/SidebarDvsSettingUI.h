#pragma once

#include "CameraToolPanel.h"

// The side bar's event sensor panel: a box for each tool of the open camera but the frame
// sensor's (biases, trigger input, sync, anti-flicker, event-rate control, event-trail filter,
// region of interest, and an Ethernet camera's network setting). What the user sets is kept in
// the current event-camera configuration file (for a fusion camera the fusion-camera file, which
// also keeps the frame sensor panel's values); a camera on USB gets the kept file again, as a
// whole, when it is shown here (Ethernet cameras keep their own settings). A kept file that
// cannot be applied as a whole changes nothing and raises a warning notice.
class SidebarDvsSettingUI : public CameraToolPanel
{
    Q_OBJECT

public:
    explicit SidebarDvsSettingUI(AppConfig* config, QWidget* parent = nullptr);

protected:
    bool showsTool(tarvo::ToolType type) const override;
    int toolRank(tarvo::ToolType type) const override;
    QString emptyHint() const override;
    void cameraShown(const PanelCamera& camera) override;
};
