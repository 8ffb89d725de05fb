#include "VxEthCameraConfigTool.h"
#include "ui_VxEthCameraConfigTool.h"

#include "CamerasList.h"
#include "VxDialogFrame.h"
#include "WidgetWindowAgent.h"

#include "TarvoBase/Converters.h"
#include "TarvoDriver/DvsCameraManager.h"

#include <QEvent>
#include <QRegularExpression>

namespace {

// Four decimal numbers of at most three digits, each at most 255.
bool isDottedAddress(const QString& text)
{
    static const QRegularExpression pattern("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})$");
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        return false;
    }
    for (int part = 1; part <= 4; ++part) {
        if (match.captured(part).toInt() > 255) {
            return false;
        }
    }
    return true;
}

uint32_t addressOf(const QString& text)
{
    return tarvo::stringToIP(text.toStdString());
}

} // namespace

VxEthCameraConfigTool::VxEthCameraConfigTool(QWidget* parent)
    : QDialog(parent), m_ui(new Ui::VxEthCameraConfigTool), m_windowAgent(new QWK::WidgetWindowAgent(this))
{
    m_ui->setupUi(this);
    VxDialogFrame::setUp(this, m_windowAgent, m_ui->widget_title_bar, m_ui->pb_win_close);
    m_ui->pb_open->setDefault(true);
    m_ui->le_ip->setPlaceholderText("192.168.1.100");
    m_ui->le_subnet_mask->setPlaceholderText("255.255.255.0");
    m_ui->le_gateway->setPlaceholderText("192.168.1.1");

    tarvo::DvsCameraManager manager;
    for (const tarvo::CameraDescription& camera : manager.getCameraDescs()) {
        if (camera.interfaceType == tarvo::ETHERNET) {
            m_cameras.push_back(camera);
            CamerasList::addCameraItem(m_ui->listWidget_cameras, camera);
        }
    }
    applyTexts();
    // Without a camera there is nothing to configure.
    for (QWidget* field : {static_cast<QWidget*>(m_ui->le_ip), static_cast<QWidget*>(m_ui->le_subnet_mask),
                           static_cast<QWidget*>(m_ui->le_gateway), static_cast<QWidget*>(m_ui->pb_open)}) {
        field->setEnabled(!m_cameras.empty());
    }
    m_ui->listWidget_cameras->setCurrentRow(0);
}

VxEthCameraConfigTool::~VxEthCameraConfigTool()
{
    delete m_ui;
}

void VxEthCameraConfigTool::applyTexts()
{
    m_ui->lb_title->setText(tr("Eth Camera Config"));
    m_ui->lb_list_heading->setText(tr("Camera List"));
    m_ui->lb_heading->setText(tr("Network settings"));
    m_ui->lb_product->setText(tr("Product:"));
    m_ui->lb_firmware->setText(tr("Firmware version:"));
    m_ui->lb_manufacturer->setText(tr("Manufacturer:"));
    m_ui->lb_serial->setText(tr("Serial:"));
    m_ui->lb_ip->setText(tr("IP Address:"));
    m_ui->lb_subnet_mask->setText(tr("Subnet Mask:"));
    m_ui->lb_gateway->setText(tr("Gateway:"));
    m_ui->lb_empty->setText(m_cameras.empty() ? tr("No camera was found on the network.") : QString());
    m_ui->lb_empty->setVisible(m_cameras.empty());
    m_ui->pb_close->setText(tr("Close"));
    m_ui->pb_open->setText(tr("Config"));
}

void VxEthCameraConfigTool::on_listWidget_cameras_currentRowChanged(int currentRow)
{
    if (currentRow < 0 || size_t(currentRow) >= m_cameras.size()) {
        return;
    }
    const tarvo::CameraDescription& camera = m_cameras[size_t(currentRow)];
    m_ui->lb_product_value->setText(QString::fromStdString(camera.productName));
    m_ui->lb_firmware_value->setText(QString::fromStdString(camera.firmwareVersion));
    m_ui->lb_manufacturer_value->setText(QString::fromStdString(camera.manufacturer));
    m_ui->lb_serial_value->setText(QString::fromStdString(camera.serial));
    m_ui->le_ip->setText(QString::fromStdString(camera.ipAddress));
    m_ui->le_subnet_mask->setText(QString::fromStdString(camera.subnetMask));
    m_ui->le_gateway->setText(QString::fromStdString(camera.gateway));
}

QString VxEthCameraConfigTool::settingProblem(const QString& address, const QString& mask,
                                              const QString& gateway)
{
    for (const QString& text : {address, mask, gateway}) {
        if (!isDottedAddress(text)) {
            return tr("\"%1\" is not an IPv4 address (four numbers from 0 to 255 with dots between them).")
                .arg(text);
        }
    }
    const uint32_t ip = addressOf(address);
    const uint32_t netmask = addressOf(mask);
    const uint32_t via = addressOf(gateway);
    const uint32_t host = ~netmask;
    if (netmask == 0 || (host & (host + 1)) != 0) {
        return tr("%1 is not a subnet mask: it must be a run of ones from the top, such as 255.255.255.0.")
            .arg(mask);
    }
    const uint32_t firstByte = ip >> 24;
    if (firstByte == 0 || firstByte == 127 || firstByte >= 224) {
        return tr("%1 cannot be a camera's address.").arg(address);
    }
    if ((ip & host) == host) {
        return tr("%1 is the broadcast address of its subnet, not a camera's address.").arg(address);
    }
    if ((ip & host) == 0) {
        return tr("%1 is the address of the subnet itself, not a camera's address.").arg(address);
    }
    if (via != 0 && ((via & netmask) != (ip & netmask) || (via & host) == host || via == ip)) {
        return tr("The gateway %1 must be another host of the camera's subnet.").arg(gateway);
    }
    return QString();
}

void VxEthCameraConfigTool::on_pb_open_clicked()
{
    const int row = m_ui->listWidget_cameras->currentRow();
    if (row < 0 || size_t(row) >= m_cameras.size()) {
        emit signalShowLeftBottomTips(tr("Please select a camera first."), VxMessageType::Warning, QString());
        return;
    }
    const QString address = m_ui->le_ip->text().trimmed();
    const QString mask = m_ui->le_subnet_mask->text().trimmed();
    const QString gateway = m_ui->le_gateway->text().trimmed();
    const QString problem = settingProblem(address, mask, gateway);
    if (!problem.isEmpty()) {
        emit signalShowLeftBottomTips(tr("Configuration failed: %1").arg(problem), VxMessageType::Error,
                                      QString());
        return;
    }
    tarvo::CameraDescription& camera = m_cameras[size_t(row)];
    if (!tarvo::DvsCameraManager::ethCameraForceIP(camera, addressOf(address), addressOf(mask),
                                                   addressOf(gateway))) {
        emit signalShowLeftBottomTips(tr("Configuration failed!"), VxMessageType::Error, QString());
        return;
    }
    camera.ipAddress = address.toStdString();
    camera.subnetMask = mask.toStdString();
    camera.gateway = gateway.toStdString();
    m_ui->listWidget_cameras->item(row)->setToolTip(CamerasList::describe(camera));
    m_changedAny = true;
    emit signalShowLeftBottomTips(tr("Configuration successful!"), VxMessageType::Success, QString());
}

void VxEthCameraConfigTool::on_pb_close_clicked()
{
    close();
}

void VxEthCameraConfigTool::on_pb_win_close_clicked()
{
    close();
}

void VxEthCameraConfigTool::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        applyTexts();
    }
    QDialog::changeEvent(event);
}
