#pragma once

#include "CameraToolPanel.h"

// The side bar's frame sensor panel: the box "APS" of the frame-sensor tool (automatic exposure,
// gain and white balance, black level, exposure time, gain), built from the same rows as the
// event sensor panel. An event camera has no such tool: the panel keeps its hint and says so
// with signalCameraShown(false).
//
// Only fusion cameras have a frame sensor, and the driver's fusion camera has no tools yet. Once
// it has, a setCamera(std::shared_ptr<tarvo::FusionCamera>) in CameraToolPanel fills the box
// through PanelCamera::of with the fusion-camera configuration files, and the box "APS Manual
// Calibration" (the x and y offsets, -100 to 100, and Apply) joins it here. Until then the panel
// shows its hint for every camera.
class SidebarApsSettingUI : public CameraToolPanel
{
    Q_OBJECT

public:
    explicit SidebarApsSettingUI(AppConfig* config, QWidget* parent = nullptr);

protected:
    bool showsTool(tarvo::ToolType type) const override;
    QString emptyHint() const override;
};
