// The main window with simulated cameras: finding and opening a camera, the live view and its
// statistics, stopping and starting again, a camera lost while it plays, and the cameras that
// cannot be opened.
#include "AppConfig.h"
#include "CamerasList.h"
#include "MainWidget.h"
#include "RecordingSupport.h"
#include "SidebarCameraSettingUI.h"
#include "SidebarDvsSettingUI.h"
#include "TestSupport.h"
#include "VxEventProcessor.h"
#include "VxFilePathReminderForm.h"
#include "VxLiveCamera.h"
#include "VxThreeHandleSlider.h"
#include "WaitingWin.h"

#include "TarvoSim/SimBus.h"

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kTimeout = 20000;

QPushButton* button(MainWidget& window, const char* name)
{
    return window.findChild<QPushButton*>(name);
}

QString labelText(MainWidget& window, const char* name)
{
    return window.findChild<QLabel*>(name)->text();
}

// Pixels of a picture in the ON or OFF colour of the theme.
int litPixels(const QImage& image)
{
    const AppConfig* config = AppConfig::instance();
    const TestSupport::ColourCounts counts =
        TestSupport::countColours(image, config->onColor(), config->offColor(), config->backgroundColor());
    return counts.on + counts.off;
}

} // namespace

class LiveViewTest : public QObject
{
    Q_OBJECT

private:
    TestHome* m_home = nullptr;

    // Opens the camera and waits until its pictures arrive.
    bool openLive(MainWidget& window, const QString& serial, MainThreadSpy& frames)
    {
        window.openCamera(serial);
        return QTest::qWaitFor(
            [&] {
                return window.liveCamera()->isLive() && button(window, "pb_play")->isChecked() &&
                       frames.count() >= 3;
            },
            kTimeout);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_home = new TestHome;
        TestSupport::initViewerApplication();
    }
    void cleanupTestCase() { delete m_home; }
    void init()
    {
        TestSupport::failOnAnyWarning();
        TestSupport::attachSimulatedCameras();
    }

    void statisticsTexts()
    {
        QCOMPARE(VxLiveCamera::bandwidthText(7 * 1024 * 1024 + 512 * 1024), QString(" Bandwidth: 7.5 MB/s "));
        QCOMPARE(VxLiveCamera::bandwidthText(0), QString(" Bandwidth: 0.0 MB/s "));
        QCOMPARE(VxLiveCamera::eventRateText(2000000), QString(" Events: 2.0 MEv/s "));
        QCOMPARE(VxLiveCamera::eventRateText(1260000), QString(" Events: 1.3 MEv/s "));
        QCOMPARE(VxLiveCamera::eventRateText(40000), QString(" Events: 0.0 MEv/s "));
    }

    void aCameraOpensPlaysStopsAndPlaysAgain()
    {
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        MainThreadSpy frames(window.liveCamera(), &VxLiveCamera::signalFramePresented);
        MainThreadSpy images(window.eventProcessor(), &VxEventProcessor::signalEventImage);
        QVERIFY(!window.menuAction(MainWidget::MenuCommand::CameraInfo)->isEnabled());
        QVERIFY(openLive(window, "KST-USB-0001", frames));
        QCOMPARE(window.viewerType(), MainWidget::ViewerDvsCamera);
        QVERIFY(!window.waitingWin()->isVisible());
        QCOMPARE(labelText(window, "label_show_camera_info"), QString("KST-USB-0001"));
        QCOMPARE(labelText(window, "lb_viewer_file_name"), QString());
        QVERIFY(!window.saveAsAction()->isVisible());
        QVERIFY(window.menuAction(MainWidget::MenuCommand::CameraInfo)->isEnabled());
        // The camera's sensor settings are in the side bar; it has no frame sensor.
        QVERIFY(window.dvsPanel()->hasCamera());
        QVERIFY(button(window, "pb_fold_dvs_setting")->isVisible());
        QVERIFY(!button(window, "pb_fold_aps_setting")->isVisible());
        // Only the play button drives a live camera; steps and the timeline belong to recordings.
        QVERIFY(button(window, "pb_play")->isEnabled());
        QVERIFY(!button(window, "pb_next")->isEnabled());
        QVERIFY(!window.timeSlider()->isEnabled());
        QCOMPARE(labelText(window, "label_time"), QString("--/--"));

        // The camera's time and its moving scene.
        QTRY_VERIFY_WITH_TIMEOUT(QRegularExpression("^\\d\\d:\\d\\d:\\d{6}$")
                                     .match(labelText(window, "label_show_timestamp_info"))
                                     .hasMatch(),
                                 kTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(!images.isEmpty() && litPixels(images.last().at(0).value<QImage>()) > 1000,
                                 kTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(
            QRegularExpression("^Bandwidth: \\d+\\.\\d MB/s  \\|  Events: \\d+\\.\\d MEv/s$")
                .match(labelText(window, "lb_status_bar"))
                .hasMatch(),
            kTimeout);
        // The simulated camera sends about 2 Mev/s.
        QTRY_VERIFY_WITH_TIMEOUT(
            labelText(window, "lb_status_bar").contains(QRegularExpression("Events: [12]\\.")), kTimeout);
        QVERIFY(TestSupport::saveRender(&window, "MainWidget_live"));

        // Stop: the loop ends, the camera stops and the rates go.
        QTest::mouseClick(button(window, "pb_play"), Qt::LeftButton);
        QVERIFY(!window.liveCamera()->isLive());
        QVERIFY(!button(window, "pb_play")->isChecked());
        QVERIFY(!labelText(window, "lb_status_bar").contains("Bandwidth"));
        const int stoppedAt = frames.count();

        // Play again: the stopped camera is brought up again and shows live.
        QTest::mouseClick(button(window, "pb_play"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(window.liveCamera()->isLive() && frames.count() > stoppedAt + 3, kTimeout);
        QTRY_VERIFY(button(window, "pb_play")->isChecked());
        QVERIFY(TestSupport::toastTexts(&window).isEmpty());
    }

    void theAccumulationTimeIsThePicturesEventTime()
    {
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        MainThreadSpy frames(window.liveCamera(), &VxLiveCamera::signalFramePresented);
        MainThreadSpy images(window.eventProcessor(), &VxEventProcessor::signalEventImage);
        QVERIFY(openLive(window, "KST-USB-0001", frames));
        QTRY_VERIFY_WITH_TIMEOUT(images.count() >= 3, kTimeout);
        const int full = litPixels(images.last().at(0).value<QImage>());
        // A thirtieth of the time shows far fewer events.
        window.cameraPanel()->slotCumulativeTimeChanged(1000);
        QCOMPARE(window.accumulationTimeUs(), uint64_t(1000));
        const int changedAt = images.count();
        QTRY_VERIFY_WITH_TIMEOUT(images.count() >= changedAt + 3, kTimeout);
        const int brief = litPixels(images.last().at(0).value<QImage>());
        QVERIFY2(brief * 5 < full, qPrintable(QString("%1 lit at 1 ms, %2 at 33 ms").arg(brief).arg(full)));
    }

    void droppedBuffersShowInTheStatusLine()
    {
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        MainThreadSpy frames(window.liveCamera(), &VxLiveCamera::signalFramePresented);
        QVERIFY(openLive(window, "KST-USB-0001", frames));
        auto* dropped = window.findChild<QLabel*>("lb_status_dropped");
        QVERIFY(!dropped->isVisible());
        window.slotLiveStatistics(1024 * 1024, 1000000, 3);
        QVERIFY(dropped->isVisible());
        QCOMPARE(dropped->text(), QString("Dropped buffers: 3"));
        QVERIFY(dropped->property("growing").toBool());
        QCOMPARE(labelText(window, "lb_status_bar"), QString("Bandwidth: 1.0 MB/s  |  Events: 1.0 MEv/s"));
        // A count that stays is shown in the usual colour.
        window.slotLiveStatistics(1024 * 1024, 1000000, 3);
        QVERIFY(!dropped->property("growing").toBool());
        window.slotLiveStatistics(1024 * 1024, 1000000, 12);
        QVERIFY(dropped->property("growing").toBool());
        QCOMPARE(dropped->text(), QString("Dropped buffers: 12"));
        QVERIFY(
            TestSupport::saveRender(window.findChild<QWidget*>("widget_status_bar"), "MainWidget_dropped"));

        // Once stopped, the count stays readable and late statistics are ignored.
        QTest::mouseClick(button(window, "pb_play"), Qt::LeftButton);
        window.slotLiveStatistics(1024 * 1024, 1000000, 20);
        QCOMPARE(dropped->text(), QString("Dropped buffers: 12"));
        QVERIFY(!labelText(window, "lb_status_bar").contains("Bandwidth"));
        // Playing again starts counting afresh.
        QTest::mouseClick(button(window, "pb_play"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(window.liveCamera()->isLive(), kTimeout);
        QVERIFY(!dropped->isVisible());
    }

    void unpluggingTheCameraEndsTheLiveViewAndSaysSo()
    {
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        MainThreadSpy frames(window.liveCamera(), &VxLiveCamera::signalFramePresented);
        QVERIFY(openLive(window, "KST-USB-0001", frames));
        QVERIFY(tarvo::sim::SimBus::instance().detach("KST-USB-0001"));
        const QString lost = "The live view of camera KST-USB-0001 stopped: Camera connection lost.";
        QTRY_VERIFY_WITH_TIMEOUT(TestSupport::toastSaying(&window, lost), kTimeout);
        QCOMPARE(TestSupport::toastSaying(&window, lost)->type(), VxMessageType::Error);
        QVERIFY(!window.liveCamera()->isLive());
        QVERIFY(!button(window, "pb_play")->isChecked());
        QVERIFY(!labelText(window, "lb_status_bar").contains("Bandwidth"));

        // Play again tries the camera and, as it is gone, says so and stays released.
        QTest::mouseClick(button(window, "pb_play"), Qt::LeftButton);
        QVERIFY(!button(window, "pb_play")->isChecked());
        QVERIFY(!window.liveCamera()->isLive());
        QTRY_VERIFY(TestSupport::toastSaying(&window, "Please connect camera first."));
        QCOMPARE(TestSupport::toastSaying(&window, "Please connect camera first.")->type(),
                 VxMessageType::Warning);

        // The window goes on working: another camera shows live.
        MainThreadSpy moreFrames(window.liveCamera(), &VxLiveCamera::signalFramePresented);
        QVERIFY(openLive(window, "KST-ETH-0001", moreFrames));
        QCOMPARE(labelText(window, "label_show_camera_info"), QString("KST-ETH-0001"));
    }

    void aRecordingTakesTheWindowFromTheCamera()
    {
        QTemporaryDir dir;
        const QString recording = dir.filePath("ticks.raw");
        QVERIFY(
            RecordingSupport::writeRecording(recording, RecordingSupport::tickEvents(0, 1000000, 1000), 0));
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        MainThreadSpy frames(window.liveCamera(), &VxLiveCamera::signalFramePresented);
        QVERIFY(openLive(window, "KST-USB-0001", frames));
        window.openRecording(recording);
        QVERIFY(!window.liveCamera()->isLive());
        QVERIFY(!window.liveCamera()->hasCamera());
        QVERIFY(!window.menuAction(MainWidget::MenuCommand::CameraInfo)->isEnabled());
        QCOMPARE(labelText(window, "label_show_camera_info"), QString());
        QVERIFY(!window.dvsPanel()->hasCamera());
        QTRY_VERIFY_WITH_TIMEOUT(window.eventProcessor()->isPlaying(), kTimeout);
        QCOMPARE(window.viewerType(), MainWidget::ViewerRawFile);
        QVERIFY(window.timeSlider()->isEnabled());

        // Also while the camera is still coming up.
        window.openCamera("KST-USB-0001");
        QVERIFY(window.liveCamera()->isOpening());
        window.openRecording(recording);
        QVERIFY(!window.liveCamera()->hasCamera());
        QTRY_VERIFY_WITH_TIMEOUT(window.eventProcessor()->isPlaying() && !window.waitingWin()->isVisible(),
                                 kTimeout);
        QCOMPARE(window.viewerType(), MainWidget::ViewerRawFile);
        QVERIFY(!window.liveCamera()->isLive());
        QVERIFY(!window.liveCamera()->hasCamera());
        QVERIFY(TestSupport::toastTexts(&window).isEmpty());
    }

    void theDeviceMenuListsTheCamerasAndOpensThem()
    {
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        QMenu* menu = button(window, "pb_menu_device")->menu();
        emit menu->aboutToShow();
        QStringList texts;
        for (QAction* action : menu->actions()) {
            texts << action->text();
        }
        // Event cameras by serial, then fusion cameras.
        QCOMPARE(texts, (QStringList{"Open Camera", "Camera Info", QString(),
                                     "KST-ETH-0001   Kestrel (Ethernet 192.168.1.100)",
                                     "KST-USB-0001   Kestrel (USB)", "DUET-0001   Duet (USB)"}));
        // Opening the menu again searches again: an unplugged camera is no longer listed.
        tarvo::sim::SimBus::instance().detach("DUET-0001");
        emit menu->aboutToShow();
        QCOMPARE(menu->actions().size(), 5);
        menu->popup(window.mapToGlobal(QPoint(100, 40)));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        QVERIFY(TestSupport::saveRender(menu, "MainWidget_device_menu"));
        menu->hide();
        QAction* ethernet = menu->actions().at(3);
        QCOMPARE(ethernet->property("serial").toString(), QString("KST-ETH-0001"));
        MainThreadSpy frames(window.liveCamera(), &VxLiveCamera::signalFramePresented);
        ethernet->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(window.liveCamera()->isLive() && frames.count() >= 3, kTimeout);
        QCOMPARE(labelText(window, "label_show_camera_info"), QString("KST-ETH-0001"));

        tarvo::sim::SimBus::instance().replace({});
        emit menu->aboutToShow();
        QCOMPARE(menu->actions().last()->text(), QString("No camera found"));
        QVERIFY(!menu->actions().last()->isEnabled());
    }

    void openCameraAsksWhichCamera()
    {
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        // Cancelling changes nothing.
        TestSupport::onNextModal<CamerasList>([](CamerasList* list) {
            QCOMPARE(list->findChild<QListWidget*>("listWidget_cameras")->count(), 3);
            QTest::mouseClick(list->findChild<QPushButton*>("pb_close"), Qt::LeftButton);
        });
        window.slotOpenCamera();
        QCOMPARE(window.viewerType(), MainWidget::ViewerNone);
        QVERIFY(!window.liveCamera()->hasCamera());

        TestSupport::onNextModal<CamerasList>([](CamerasList* list) {
            list->findChild<QListWidget*>("listWidget_cameras")->setCurrentRow(1);
            QTest::mouseClick(list->findChild<QPushButton*>("pb_open"), Qt::LeftButton);
        });
        MainThreadSpy frames(window.liveCamera(), &VxLiveCamera::signalFramePresented);
        window.slotOpenCamera();
        QTRY_VERIFY_WITH_TIMEOUT(window.liveCamera()->isLive() && frames.count() >= 3, kTimeout);
        QCOMPARE(QString::fromStdString(window.liveCamera()->description().serial), QString("KST-USB-0001"));
    }

    void cameraInfoDescribesTheOpenCamera()
    {
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        MainThreadSpy frames(window.liveCamera(), &VxLiveCamera::signalFramePresented);
        QVERIFY(openLive(window, "KST-USB-0001", frames));
        QString serial;
        TestSupport::onNextModal<QDialog>([&serial](QDialog* dialog) {
            serial = dialog->findChild<QLabel*>("lb_serial_value")->text();
            QTest::mouseClick(dialog->findChild<QPushButton*>("pb_close"), Qt::LeftButton);
        });
        window.menuAction(MainWidget::MenuCommand::CameraInfo)->trigger();
        QCOMPARE(serial, QString("KST-USB-0001"));
    }

    void camerasThatCannotBeOpenedSaySo()
    {
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        window.openCamera("NO-SUCH-CAMERA");
        QTRY_VERIFY(TestSupport::toastSaying(
            &window,
            "There is no camera with serial NO-SUCH-CAMERA; the Device menu lists the cameras attached."));
        QCOMPARE(window.viewerType(), MainWidget::ViewerNone);

        // A fusion camera opens (its firmware is current) and shows its live view.
        window.openCamera("DUET-0001");
        QTRY_VERIFY_WITH_TIMEOUT(window.liveCamera()->isLive() && button(window, "pb_play")->isChecked(),
                                 kTimeout);
        QCOMPARE(window.viewerType(), MainWidget::ViewerFusionCamera);
        QVERIFY(!window.waitingWin()->isVisible());
        QVERIFY(window.liveCamera()->hasCamera());
        QVERIFY(!TestSupport::toastSaying(&window, "The Duet camera firmware needs to be upgraded!"));

        // A camera unplugged between the search and the opening.
        window.liveCamera()->searchCameras();
        tarvo::sim::SimBus::instance().detach("KST-USB-0001");
        tarvo::CameraDescription gone;
        gone.serial = "KST-USB-0001";
        gone.productName = "Kestrel";
        QVERIFY(window.liveCamera()->open(gone));
        QTRY_VERIFY_WITH_TIMEOUT(TestSupport::toastSaying(&window, "Open camera: KST-USB-0001failed."),
                                 kTimeout);
        QVERIFY(!window.liveCamera()->hasCamera());
    }

    void closingTheWindowWhileACameraOpensOrPlaysEndsCleanly()
    {
        {
            // At its real pace the sensor's bring-up lasts seconds: the window closes during it.
            tarvo::sim::SimBus::instance().setWaitScale(1.0);
            MainWidget window;
            QVERIFY(TestSupport::showMainWindow(window));
            window.openCamera("KST-USB-0001");
            QVERIFY(window.liveCamera()->isOpening());
        }
        tarvo::sim::SimBus::instance().setWaitScale(0.0001);
        {
            MainWidget window;
            QVERIFY(TestSupport::showMainWindow(window));
            MainThreadSpy frames(window.liveCamera(), &VxLiveCamera::signalFramePresented);
            QVERIFY(openLive(window, "KST-USB-0001", frames));
        }
        // The camera is free for the next window.
        MainWidget window;
        MainThreadSpy frames(window.liveCamera(), &VxLiveCamera::signalFramePresented);
        QVERIFY(openLive(window, "KST-USB-0001", frames));
    }
};

QTEST_MAIN(LiveViewTest)
#include "LiveViewTest.moc"
