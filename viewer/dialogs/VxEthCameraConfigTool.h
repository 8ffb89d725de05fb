#pragma once

#include "VxMessageType.h"

#include "TarvoHal/CameraDescription.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <vector>

namespace QWK {
class WidgetWindowAgent;
}
namespace Ui {
class VxEthCameraConfigTool;
}

// Gives a camera on the network a new IPv4 address, subnet mask and gateway. It lists the
// Ethernet cameras a search of its own finds when it opens; "Config" checks the three fields and
// hands them to the camera. Every outcome is announced through signalShowLeftBottomTips.
class VxEthCameraConfigTool : public QDialog
{
    Q_OBJECT

public:
    explicit VxEthCameraConfigTool(QWidget* parent = nullptr);
    ~VxEthCameraConfigTool() override;

    // The Ethernet cameras listed, with the network settings they have now.
    const std::vector<tarvo::CameraDescription>& cameras() const { return m_cameras; }
    // Whether a camera took a new setting while the dialog was open.
    bool changedAnyCamera() const { return m_changedAny; }

    // Why the three texts cannot be given to a camera, or empty when they can: each must be a
    // dotted IPv4 address, the mask a run of ones from the top, the address a host of its subnet
    // (neither its network nor its broadcast address), the gateway, unless 0.0.0.0, a host of the
    // same subnet.
    static QString settingProblem(const QString& address, const QString& mask, const QString& gateway);

Q_SIGNALS:
    void signalShowLeftBottomTips(QString text, VxMessageType type, QString file_path);

public Q_SLOTS:
    void on_pb_win_close_clicked();
    void on_pb_close_clicked();
    void on_listWidget_cameras_currentRowChanged(int currentRow);
    void on_pb_open_clicked();

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyTexts();

    Ui::VxEthCameraConfigTool* m_ui;
    QWK::WidgetWindowAgent* m_windowAgent;
    std::vector<tarvo::CameraDescription> m_cameras;
    bool m_changedAny = false;
};
