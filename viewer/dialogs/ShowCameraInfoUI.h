#pragma once

#include "TarvoHal/CameraDescription.h"

#include <QDialog>
#include <QString>

namespace QWK {
class WidgetWindowAgent;
}
namespace Ui {
class ShowCameraInfoUI;
}

// The identity of the open camera: product, manufacturer, serial and firmware version.
class ShowCameraInfoUI : public QDialog
{
    Q_OBJECT

public:
    explicit ShowCameraInfoUI(QWidget* parent = nullptr);
    ~ShowCameraInfoUI() override;

    // `firmware` is the text the camera reports; the description's own when empty.
    void setCamera(const tarvo::CameraDescription& camera, const QString& firmware = QString());

public Q_SLOTS:
    void on_pb_close_clicked();
    void on_pb_win_close_clicked();

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyTexts();

    Ui::ShowCameraInfoUI* m_ui;
    QWK::WidgetWindowAgent* m_windowAgent;
};
