// The camera dialogs against the simulated cameras: the list a camera is picked from, the camera
// information, and the network configuration of an Ethernet camera; and the firmware check.
#include "CamerasList.h"
#include "ShowCameraInfoUI.h"
#include "TestSupport.h"
#include "VxEthCameraConfigTool.h"
#include "VxFirmwareVersion.h"

#include "TarvoDriver/DvsCameraManager.h"
#include "TarvoSim/SimBus.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

tarvo::CameraDescription camera(const std::string& serial, const std::string& product,
                                tarvo::INTERFACE_TYPE interface = tarvo::USB, const std::string& ip = {})
{
    tarvo::CameraDescription description;
    description.serial = serial;
    description.productName = product;
    description.manufacturer = "Tarvo";
    description.interfaceType = interface;
    description.ipAddress = ip;
    return description;
}

std::vector<tarvo::CameraDescription> threeCameras()
{
    return {camera("KST-USB-0001", "Kestrel"), camera("KST-ETH-0001", "Kestrel", tarvo::ETHERNET, "10.0.0.5"),
            camera("DUET-0001", "Duet")};
}

tarvo::sim::DeviceConfig ethernetCamera(const std::string& serial, const std::string& ip)
{
    tarvo::sim::DeviceConfig config;
    config.kind = tarvo::sim::DeviceKind::EthEventCamera;
    config.serial = serial;
    config.vendorId = 0;
    config.productId = 0;
    config.ipAddress = ip;
    config.subnetMask = "255.255.255.0";
    config.gateway = "192.168.1.1";
    return config;
}

QString text(QWidget* dialog, const char* name)
{
    if (auto* label = dialog->findChild<QLabel*>(name)) {
        return label->text();
    }
    return dialog->findChild<QLineEdit*>(name)->text();
}

} // namespace

class CameraDialogsTest : public QObject
{
    Q_OBJECT

private:
    TestHome* m_home = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        m_home = new TestHome;
        TestSupport::initViewerApplication();
    }
    void cleanupTestCase() { delete m_home; }
    void init() { TestSupport::failOnAnyWarning(); }

    void theListShowsEveryCameraAndReportsThePickedOne()
    {
        CamerasList list(threeCameras());
        auto* widget = list.findChild<QListWidget*>("listWidget_cameras");
        QCOMPARE(widget->count(), 3);
        QCOMPARE(widget->item(1)->text(), QString("KST-ETH-0001"));
        QCOMPARE(widget->item(1)->toolTip(), QString("Kestrel (Ethernet 10.0.0.5)"));
        QCOMPARE(list.findChild<QLabel*>("lb_title")->text(), QString("Camera List"));
        QCOMPARE(list.findChild<QLineEdit*>("le_search_camera")->placeholderText(),
                 QString("Search Cameras..."));
        // Row 0 is picked from the start.
        QCOMPARE(list.selectedIndex(), 0);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QVERIFY(TestSupport::saveRender(&list, "CamerasList"));

        // A double click (its first click included, as a mouse sends it) picks that row and accepts.
        const QPoint third = widget->visualItemRect(widget->item(2)).center();
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, third);
        QVERIFY(list.isVisible());
        QTest::mouseDClick(widget->viewport(), Qt::LeftButton, {}, third);
        QVERIFY(!list.isVisible());
        QCOMPARE(list.result(), int(QDialog::Accepted));
        QCOMPARE(list.selectedIndex(), 2);
    }

    void theSearchFieldNarrowsTheListAndOpenNeedsACamera()
    {
        CamerasList list(threeCameras());
        auto* search = list.findChild<QLineEdit*>("le_search_camera");
        auto* open = list.findChild<QPushButton*>("pb_open");
        QTest::keyClicks(search, "duet");
        QCOMPARE(list.selectedIndex(), 2);
        search->setText("10.0.0");
        QCOMPARE(list.selectedIndex(), 1);
        search->setText("nothing like it");
        QCOMPARE(list.selectedIndex(), -1);
        QVERIFY(!open->isEnabled());
        // Accepting without a camera is refused.
        list.accept();
        QCOMPARE(list.result(), int(QDialog::Rejected));
        search->clear();
        QVERIFY(open->isEnabled());
        QCOMPARE(list.selectedIndex(), 0);

        CamerasList empty({});
        QCOMPARE(empty.selectedIndex(), -1);
        QVERIFY(!empty.findChild<QPushButton*>("pb_open")->isEnabled());
        QVERIFY(!empty.findChild<QLabel*>("lb_empty")->isHidden());
    }

    void cameraInfoShowsTheIdentity()
    {
        tarvo::CameraDescription duet = camera("DUET-0001", "Duet");
        duet.firmwareVersion = "Duet_V1.7.10";
        ShowCameraInfoUI dialog;
        QCOMPARE(text(&dialog, "lb_manufacturer_value"), QString("Tarvo"));
        dialog.setCamera(duet);
        QCOMPARE(text(&dialog, "lb_product_value"), QString("Duet"));
        QCOMPARE(text(&dialog, "lb_serial_value"), QString("DUET-0001"));
        QCOMPARE(text(&dialog, "lb_firmware_value"), QString("Duet_V1.7.10"));
        dialog.setCamera(duet, "Duet_V1.8.0");
        QCOMPARE(text(&dialog, "lb_firmware_value"), QString("Duet_V1.8.0"));
        QCOMPARE(text(&dialog, "lb_serial"), QString("Serial :"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(TestSupport::saveRender(&dialog, "ShowCameraInfoUI"));
    }

    void theNetworkToolListsEthernetCamerasAndFillsTheirSettings()
    {
        tarvo::sim::SimBus::instance().replace({ethernetCamera("ETH-A", "192.168.1.100"),
                                                ethernetCamera("ETH-B", "192.168.1.120"),
                                                tarvo::sim::SimBus::defaultDevices().front()});
        VxEthCameraConfigTool dialog;
        QCOMPARE(dialog.cameras().size(), size_t(2));
        auto* list = dialog.findChild<QListWidget*>("listWidget_cameras");
        QCOMPARE(list->count(), 2);
        QCOMPARE(text(&dialog, "lb_serial_value"), QString("ETH-A"));
        QCOMPARE(text(&dialog, "le_ip"), QString("192.168.1.100"));
        dialog.findChild<QLineEdit*>("le_subnet_mask")->setText("255.0.0.0");
        dialog.findChild<QLineEdit*>("le_gateway")->clear();
        // Another row replaces all three fields.
        list->setCurrentRow(1);
        QCOMPARE(text(&dialog, "lb_serial_value"), QString("ETH-B"));
        QCOMPARE(text(&dialog, "le_ip"), QString("192.168.1.120"));
        QCOMPARE(text(&dialog, "le_subnet_mask"), QString("255.255.255.0"));
        QCOMPARE(text(&dialog, "le_gateway"), QString("192.168.1.1"));
        QCOMPARE(dialog.findChild<QPushButton*>("pb_open")->text(), QString("Config"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(TestSupport::saveRender(&dialog, "VxEthCameraConfigTool"));
    }

    void configChangesTheCameraAddress()
    {
        tarvo::sim::SimBus::instance().replace({ethernetCamera("ETH-A", "192.168.1.100")});
        VxEthCameraConfigTool dialog;
        QSignalSpy notices(&dialog, &VxEthCameraConfigTool::signalShowLeftBottomTips);
        dialog.findChild<QLineEdit*>("le_ip")->setText("10.1.2.3");
        dialog.findChild<QLineEdit*>("le_subnet_mask")->setText("255.255.0.0");
        dialog.findChild<QLineEdit*>("le_gateway")->setText("10.1.0.1");
        QTest::mouseClick(dialog.findChild<QPushButton*>("pb_open"), Qt::LeftButton);
        QCOMPARE(notices.count(), 1);
        QCOMPARE(notices.first().at(0).toString(), QString("Configuration successful!"));
        QCOMPARE(notices.first().at(1).value<VxMessageType>(), VxMessageType::Success);
        QVERIFY(dialog.changedAnyCamera());

        // A new search finds the camera at its new address.
        VxEthCameraConfigTool again;
        QCOMPARE(again.cameras().size(), size_t(1));
        QCOMPARE(again.cameras().front().ipAddress, std::string("10.1.2.3"));
        QCOMPARE(again.cameras().front().subnetMask, std::string("255.255.0.0"));
        QCOMPARE(again.cameras().front().gateway, std::string("10.1.0.1"));
    }

    void configRefusesWhatCannotBeACameraAddress_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("gateway");
        QTest::addColumn<QString>("reason");
        QTest::newRow("broadcast")
            << "192.168.1.255"
            << "255.255.255.0"
            << "192.168.1.1"
            << "192.168.1.255 is the broadcast address of its subnet, not a camera's address.";
        QTest::newRow("subnet") << "192.168.1.0"
                                << "255.255.255.0"
                                << "192.168.1.1"
                                << "192.168.1.0 is the address of the subnet itself, not a camera's address.";
        QTest::newRow("three parts")
            << "192.168.1"
            << "255.255.255.0"
            << "192.168.1.1"
            << "\"192.168.1\" is not an IPv4 address (four numbers from 0 to 255 with dots "
               "between them).";
        QTest::newRow("too large")
            << "192.168.1.300"
            << "255.255.255.0"
            << "192.168.1.1"
            << "\"192.168.1.300\" is not an IPv4 address (four numbers from 0 to 255 with "
               "dots between them).";
        QTest::newRow("letters")
            << "camera"
            << "255.255.255.0"
            << "192.168.1.1"
            << "\"camera\" is not an IPv4 address (four numbers from 0 to 255 with dots between "
               "them).";
        QTest::newRow("holey mask")
            << "192.168.1.20"
            << "255.0.255.0"
            << "192.168.1.1"
            << "255.0.255.0 is not a subnet mask: it must be a run of ones from the top, "
               "such as 255.255.255.0.";
        QTest::newRow("loopback") << "127.0.0.5"
                                  << "255.0.0.0"
                                  << "0.0.0.0"
                                  << "127.0.0.5 cannot be a camera's address.";
        QTest::newRow("gateway elsewhere")
            << "192.168.1.20"
            << "255.255.255.0"
            << "192.168.2.1"
            << "The gateway 192.168.2.1 must be another host of the camera's subnet.";
    }

    void configRefusesWhatCannotBeACameraAddress()
    {
        QFETCH(QString, address);
        QFETCH(QString, mask);
        QFETCH(QString, gateway);
        QFETCH(QString, reason);
        tarvo::sim::SimBus::instance().replace({ethernetCamera("ETH-A", "192.168.1.100")});
        VxEthCameraConfigTool dialog;
        QSignalSpy notices(&dialog, &VxEthCameraConfigTool::signalShowLeftBottomTips);
        dialog.findChild<QLineEdit*>("le_ip")->setText(address);
        dialog.findChild<QLineEdit*>("le_subnet_mask")->setText(mask);
        dialog.findChild<QLineEdit*>("le_gateway")->setText(gateway);
        dialog.on_pb_open_clicked();
        QCOMPARE(notices.count(), 1);
        QCOMPARE(notices.first().at(0).toString(), "Configuration failed: " + reason);
        QCOMPARE(notices.first().at(1).value<VxMessageType>(), VxMessageType::Error);
        QVERIFY(!dialog.changedAnyCamera());
        // The camera kept its address.
        const std::vector<tarvo::CameraDescription> found = tarvo::DvsCameraManager().getCameraDescs();
        QCOMPARE(found.size(), size_t(1));
        QCOMPARE(found.front().ipAddress, std::string("192.168.1.100"));
    }

    void aCameraThatRefusesTheSettingIsReported()
    {
        tarvo::sim::SimBus::instance().replace({ethernetCamera("ETH-A", "192.168.1.100")});
        VxEthCameraConfigTool dialog;
        QSignalSpy notices(&dialog, &VxEthCameraConfigTool::signalShowLeftBottomTips);
        // Unplugged after the dialog listed it: the camera cannot take the setting.
        tarvo::sim::SimBus::instance().detach("ETH-A");
        dialog.on_pb_open_clicked();
        QCOMPARE(notices.count(), 1);
        QCOMPARE(notices.first().at(0).toString(), QString("Configuration failed!"));
        QCOMPARE(notices.first().at(1).value<VxMessageType>(), VxMessageType::Error);

        // Without an Ethernet camera there is nothing to configure.
        tarvo::sim::SimBus::instance().replace({});
        VxEthCameraConfigTool none;
        QVERIFY(none.cameras().empty());
        QVERIFY(!none.findChild<QPushButton*>("pb_open")->isEnabled());
        QVERIFY(!none.findChild<QLabel*>("lb_empty")->isHidden());
    }

    void firmwareVersionsCompareAsNumbers()
    {
        QVERIFY(VxFirmwareVersion::compare("Duet_V1.7.10", "Duet_V1.7.2") > 0);
        QVERIFY(VxFirmwareVersion::compare("Duet_V1.7.2", "Duet_V1.7.10") < 0);
        QCOMPARE(VxFirmwareVersion::compare("Duet_V1.7", "Duet_V1.7.0"), 0);
        QVERIFY(VxFirmwareVersion::compare("Duet_V2", "Duet_V1.9.9") > 0);
        QVERIFY(VxFirmwareVersion::isUpToDate("Duet_V1.7.10"));
        QVERIFY(VxFirmwareVersion::isUpToDate("Duet_V1.7.2"));
        QVERIFY(!VxFirmwareVersion::isUpToDate("Duet_V1.7.1"));
        QVERIFY(!VxFirmwareVersion::isUpToDate("Duet_V0.9"));
        bool parsed = true;
        QCOMPARE(VxFirmwareVersion::compare("1.0.0", "Duet_V1.7.2", &parsed), 0);
        QVERIFY(!parsed);
        // A text without a version is logged and counts as too old.
        QTest::ignoreMessage(QtWarningMsg, "Cannot parse version from: \"Duet firmware\"");
        QVERIFY(!VxFirmwareVersion::isUpToDate("Duet firmware"));
    }
};

QTEST_MAIN(CameraDialogsTest)
#include "CameraDialogsTest.moc"
