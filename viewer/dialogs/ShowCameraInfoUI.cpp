#include "ShowCameraInfoUI.h"
#include "ui_ShowCameraInfoUI.h"

#include "VxDialogFrame.h"
#include "WidgetWindowAgent.h"

#include <QEvent>

ShowCameraInfoUI::ShowCameraInfoUI(QWidget* parent)
    : QDialog(parent), m_ui(new Ui::ShowCameraInfoUI), m_windowAgent(new QWK::WidgetWindowAgent(this))
{
    m_ui->setupUi(this);
    VxDialogFrame::setUp(this, m_windowAgent, m_ui->widget_title_bar, m_ui->pb_win_close);
    m_ui->pb_close->setDefault(true);
    applyTexts();
}

ShowCameraInfoUI::~ShowCameraInfoUI()
{
    delete m_ui;
}

void ShowCameraInfoUI::applyTexts()
{
    m_ui->lb_title->setText(tr("Camera Info"));
    m_ui->lb_heading->setText(tr("Camera Info"));
    m_ui->lb_product->setText(tr("Product: "));
    m_ui->lb_manufacturer->setText(tr("Manufacturer:"));
    m_ui->lb_serial->setText(tr("Serial :"));
    m_ui->lb_firmware->setText(tr("Firmware version :"));
    m_ui->pb_close->setText(tr("Close"));
}

void ShowCameraInfoUI::setCamera(const tarvo::CameraDescription& camera, const QString& firmware)
{
    m_ui->lb_product_value->setText(QString::fromStdString(camera.productName));
    m_ui->lb_manufacturer_value->setText(QString::fromStdString(camera.manufacturer));
    m_ui->lb_serial_value->setText(QString::fromStdString(camera.serial));
    m_ui->lb_firmware_value->setText(firmware.isEmpty() ? QString::fromStdString(camera.firmwareVersion)
                                                        : firmware);
}

void ShowCameraInfoUI::on_pb_close_clicked()
{
    close();
}

void ShowCameraInfoUI::on_pb_win_close_clicked()
{
    close();
}

void ShowCameraInfoUI::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        applyTexts();
    }
    QDialog::changeEvent(event);
}
