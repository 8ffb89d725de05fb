#pragma once

#include "CameraToolPanel.h"

#include <string>

class SettingBaseWithLineEdit;
class SettingItemBox;

// The side bar's frame sensor panel for a fusion camera: the box "APS" of the frame-sensor tool
// (automatic exposure, gain and white balance, black level, exposure time, gain), built from the
// same rows as the event sensor panel and kept in the fusion-camera configuration file, and the
// box "APS Manual Calibration", which moves the frames against the events by a whole number of
// frame-sensor pixels in x and y and, with Apply, keeps that shift in the camera's calibration.
// An event camera has no frame sensor: the panel keeps its hint and says so with
// signalCameraShown(false).
class SidebarApsSettingUI : public CameraToolPanel
{
    Q_OBJECT

public:
    explicit SidebarApsSettingUI(AppConfig* config, QWidget* parent = nullptr);

    SettingItemBox* calibrationBox() const { return m_calibrationBox; }
    // The shift the calibration rows show, in frame-sensor pixels.
    double offsetX() const { return m_offsetX; }
    double offsetY() const { return m_offsetY; }

Q_SIGNALS:
    // The shift of the frames is now (x, y), replacing the previous one: set by the user, or
    // (0, 0) when a fusion camera is shown, whose own calibration starts without a shift.
    void signalManualCaliOffsetXY(double x, double y);
    // The user wants the shift folded into the camera's calibration.
    void signalApplyCaliOffset();

protected:
    bool showsTool(tarvo::ToolType type) const override;
    QString emptyHint() const override;
    void cameraShown(const PanelCamera& camera) override;
    void changeEvent(QEvent* event) override;

private:
    void buildCalibrationBox();
    SettingBaseWithLineEdit* makeOffsetRow(const char* name);
    void retranslateCalibration();
    void onOffsetChanged(const std::string& name, int value);
    void onApplyClicked();
    // Shows a shift of zero without sending it.
    void showZeroOffset();

    SettingItemBox* m_calibrationBox = nullptr;
    SettingBaseWithLineEdit* m_offsetXRow = nullptr;
    SettingBaseWithLineEdit* m_offsetYRow = nullptr;
    QPushButton* m_applyButton = nullptr;
    double m_offsetX = 0;
    double m_offsetY = 0;
};
