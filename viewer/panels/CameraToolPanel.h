#pragma once

#include "PanelCamera.h"
#include "VxMessageType.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <memory>

class AppConfig;
class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;
class ToolSettingBox;

namespace tarvo {
class DvsCamera;
class FusionCamera;
} // namespace tarvo

// A side-bar panel of camera settings built from an open camera's tools: one box a tool, one row
// a parameter, and under them Default, Refresh, Load and Export. Without a camera it shows only a
// short hint. The event and frame sensor panels differ in which tools they show; the
// configuration files they keep are the event camera's or the fusion camera's, by the camera
// shown. Used on the GUI thread only.
class CameraToolPanel : public QWidget
{
    Q_OBJECT

public:
    // The configuration files of the open camera: the one that keeps what the user sets (and is
    // applied when the camera is opened again), and the one Default applies.
    struct ConfigFiles
    {
        QString current;
        QString defaults;
    };

    // Shows the settings of an event camera opened by the caller, kept in the current
    // event-camera configuration file; null clears the panel.
    void setCamera(std::shared_ptr<tarvo::DvsCamera> camera);
    // Shows the settings of a fusion camera opened by the caller, kept in the current
    // fusion-camera configuration file; null clears the panel.
    void setCamera(std::shared_ptr<tarvo::FusionCamera> camera);
    // Shows the tools of `camera` that this panel edits, in the panel's order, each box folded.
    // An empty camera is the same as clearCamera().
    void setCameraTools(PanelCamera camera, ConfigFiles files);
    // Removes every box and the buttons; the panel shows its hint again.
    void clearCamera();
    // Whether the panel shows a camera's settings (at least one box).
    bool hasCamera() const { return !m_boxes.isEmpty(); }
    const QList<ToolSettingBox*>& boxes() const { return m_boxes; }
    ToolSettingBox* box(tarvo::ToolType type) const;
    const ConfigFiles& configFiles() const { return m_files; }
    QString hintText() const;

    // Applies a configuration file as a whole or not at all, then shows the camera's values and
    // keeps them in the current configuration file. Says how it went with a notice; true on
    // success. Load and Default come here once their file is known.
    bool loadConfig(const QString& path);
    // Writes the camera's whole parameter state to `path`, with a notice; true on success.
    bool exportConfig(const QString& path);

Q_SIGNALS:
    void signalShowLeftBottomTips(QString text, VxMessageType type, QString file_path);
    // The panel now shows a camera's settings (true) or nothing (false).
    void signalCameraShown(bool shown);
    // A configuration file changed values of the camera, possibly also of tools another panel
    // shows; that panel refreshes.
    void signalCameraParamsLoaded();

public Q_SLOTS:
    void slotExportConfig();
    void slotLoadConfig();
    // Every row shows the camera's current value.
    void slotRefreshConfig();
    void slotDefaultConfig();

protected:
    CameraToolPanel(AppConfig* config, QWidget* parent);

    // Whether this panel shows the tool of `type`, and where: lower ranks come first.
    virtual bool showsTool(tarvo::ToolType type) const = 0;
    virtual int toolRank(tarvo::ToolType type) const { return int(type); }
    // The text shown while the panel has no camera.
    virtual QString emptyHint() const = 0;
    // Called once a camera's settings are shown.
    virtual void cameraShown(const PanelCamera& camera) { Q_UNUSED(camera); }
    // Shows the hint of emptyHint(); the subclass calls it once constructed.
    void updateHint();
    // Adds a box of the panel's own below the tools' boxes, shown whenever they are.
    void addPanelBox(QWidget* box);

    const PanelCamera& camera() const { return m_camera; }
    // Applies the file at `path` to the camera as a whole, or changes nothing; `problem` says
    // why it was not applied.
    bool applyConfigFile(const QString& path, QString& problem);

    void changeEvent(QEvent* event) override;

private:
    void buildButtonRow();
    void retranslate();
    void showBoxes(bool shown);
    bool loadWithNotice(const QString& path, const QString& failure);
    // Keeps the camera's state in the current configuration file after a whole file changed it.
    void keepInCurrentConfig();

    AppConfig* m_config;
    PanelCamera m_camera;
    ConfigFiles m_files;
    QList<ToolSettingBox*> m_boxes;

    QLabel* m_hint;
    QScrollArea* m_scroll;
    QVBoxLayout* m_boxLayout;
    QFrame* m_separator;
    QWidget* m_buttonRow;
    QPushButton* m_defaultButton;
    QPushButton* m_refreshButton;
    QPushButton* m_importButton;
    QPushButton* m_exportButton;
};
