// The main window with a real playback engine: opening recordings, the menus, the play keys,
// the time text, the export and cut dialogs and the toasts.
#include "MainWidget.h"
#include "AppConfig.h"
#include "RecordingSupport.h"
#include "TestSupport.h"
#include "VxEventProcessor.h"
#include "VxFilePathReminderForm.h"
#include "VxRangeFileDialog.h"
#include "VxThreeHandleSlider.h"
#include "WaitingWin.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

constexpr uint64_t kStart = 2000000;
constexpr uint64_t kEnd = 2300000;

// Runs `handle` on the next modal dialog once it is shown.
void onNextDialog(std::function<void(VxRangeFileDialog*)> handle)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, handle] {
        if (auto* dialog = qobject_cast<VxRangeFileDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            handle(dialog);
        }
    });
    timer->start();
}

QStringList actionTexts(QPushButton* button)
{
    QStringList texts;
    for (QAction* action : button->menu()->actions()) {
        if (!action->isSeparator()) {
            texts << action->text();
        }
    }
    return texts;
}

// A directory chooser that the user cancels.
class CancelledChooser : public VxExportVideoUI
{
protected:
    QString chooseDirectory(const QString&) override { return QString(); }
};

class PickingChooser : public VxCutRawFile
{
protected:
    QString chooseDirectory(const QString&) override { return "/data/cuts"; }
};

} // namespace

class MainWidgetTest : public QObject
{
    Q_OBJECT

private:
    TestHome* m_home = nullptr;
    QTemporaryDir* m_dir = nullptr;
    QString m_recording;

    QList<VxFilePathReminderForm*> toasts(MainWidget& window)
    {
        return window.findChildren<VxFilePathReminderForm*>();
    }

    // Opens the recording and waits for the automatic playback to run to its end.
    void openAndPlayThrough(MainWidget& window, const QString& path)
    {
        auto* play = window.findChild<QPushButton*>("pb_play");
        QSignalSpy toggles(play, &QPushButton::toggled);
        window.openRecording(path);
        QTRY_VERIFY_WITH_TIMEOUT(toggles.count() >= 1 && toggles.first().at(0).toBool(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!play->isChecked() && !window.eventProcessor()->isPlaying(), 20000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_home = new TestHome;
        TestSupport::initViewerApplication();
        m_dir = new QTemporaryDir;
        m_recording = m_dir->filePath("ticks.raw");
        QVERIFY(RecordingSupport::writeRecording(m_recording,
                                                 RecordingSupport::tickEvents(kStart, kEnd, 1000), kStart));
    }
    void cleanupTestCase()
    {
        delete m_dir;
        delete m_home;
    }
    void init() { TestSupport::failOnAnyWarning(); }

    void timeText()
    {
        QCOMPARE(MainWidget::timeText(3723000123ull), QString("62:03:000123"));
        QCOMPARE(MainWidget::timeText(65123456), QString("01:05:123456"));
        QCOMPARE(MainWidget::timeText(0), QString("00:00:000000"));
        QCOMPARE(MainWidget::timeText(6000000000ull), QString("100:00:000000"));
    }

    void menusOfAnEmptyWindow()
    {
        MainWidget window;
        QCOMPARE(window.viewerType(), MainWidget::ViewerNone);
        auto* file = window.findChild<QPushButton*>("pb_menu_file");
        QCOMPARE(actionTexts(file), (QStringList{"Open Recording", "Save as...", "Cut Recording", "Quit"}));
        QCOMPARE(actionTexts(window.findChild<QPushButton*>("pb_menu_device")),
                 (QStringList{"Open Camera", "Camera Info"}));
        QCOMPARE(actionTexts(window.findChild<QPushButton*>("pb_menu_tools")),
                 QStringList{"IP Configuration"});
        QCOMPARE(actionTexts(window.findChild<QPushButton*>("pb_menu_setting")),
                 (QStringList{"General Setting", QString("EN/中文")}));
        QVERIFY(!window.saveAsAction()->isVisible());
        QVERIFY(!window.cutRecordingAction()->isVisible());
        QVERIFY(!window.timeSlider()->isEnabled());
        QVERIFY(!window.findChild<QPushButton*>("pb_play")->isEnabled());
        QCOMPARE(window.findChild<QLabel*>("label_time")->text(), QString("--/ --"));

        // Export and cut need a RAW recording.
        window.show();
        window.move(0, 0);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.slotSaveAs();
        window.slotCutRecording();
        QCOMPARE(toasts(window).size(), 2);
        for (VxFilePathReminderForm* toast : toasts(window)) {
            QCOMPARE(toast->type(), VxMessageType::Warning);
            QCOMPARE(toast->findChild<QLabel*>("lb_show_tips")->text(),
                     QString("Please open a raw file first."));
            QCOMPARE(toast->x(), window.x());
            QCOMPARE(toast->y() + toast->height(), window.y() + window.height());
        }
    }

    void menuCommandsFollowTheirActionsNotTheirTexts()
    {
        MainWidget window;
        window.show();
        window.move(0, 0);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // A translation may give two entries the same text or change any of them; the command an
        // action runs stays its own.
        for (QAction* action : window.findChildren<QAction*>()) {
            action->setText("Speichern");
        }
        QAction* saveAs = window.menuAction(MainWidget::MenuCommand::SaveAs);
        QVERIFY(saveAs);
        QCOMPARE(saveAs, window.saveAsAction());
        saveAs->trigger();
        QCOMPARE(toasts(window).size(), 1);
        QCOMPARE(toasts(window).first()->findChild<QLabel*>("lb_show_tips")->text(),
                 QString("Please open a raw file first."));

        window.menuAction(MainWidget::MenuCommand::Quit)->trigger();
        QVERIFY(!window.isVisible());
    }

    void rawRecordingPlaysAndTheKeysControlIt()
    {
        MainWidget window;
        window.resize(1280, 800);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        openAndPlayThrough(window, m_recording);
        QCOMPARE(window.viewerType(), MainWidget::ViewerRawFile);
        QVERIFY(window.saveAsAction()->isVisible());
        QVERIFY(window.cutRecordingAction()->isVisible());
        QVERIFY(window.timeSlider()->isEnabled());
        QCOMPARE(window.timeSlider()->minimum(), kStart);
        QCOMPARE(window.timeSlider()->maximum(), kEnd);
        QCOMPARE(window.findChild<QLabel*>("lb_viewer_file_name")->text(), QString("File name: ticks.raw"));
        // The last frame shown covers the end of the range; the engine waits at its start.
        QCOMPARE(window.findChild<QLabel*>("label_time")->text(), QString("00:02:300000/00:02:300000"));
        QCOMPARE(window.eventProcessor()->currentTimestamp(), kStart);
        QVERIFY(!window.findChild<QLabel*>("label_show_timestamp_info")->text().isEmpty());

        VxEventProcessor* engine = window.eventProcessor();
        auto* play = window.findChild<QPushButton*>("pb_play");
        QTest::keyClick(&window, Qt::Key_Right);
        QCOMPARE(engine->currentTimestamp(), kStart + engine->interval());
        QCOMPARE(window.timeSlider()->centerValue(), kStart + engine->interval());
        QTest::keyClick(&window, Qt::Key_Right);
        QTest::keyClick(&window, Qt::Key_Left);
        QCOMPARE(engine->currentTimestamp(), kStart + engine->interval());

        window.findChild<QPushButton*>("pb_loop")->click();
        QVERIFY(engine->isLooping());
        QTest::keyClick(&window, Qt::Key_Space);
        QVERIFY(play->isChecked());
        QVERIFY(engine->isPlaying());
        QTest::keyClick(&window, Qt::Key_Space);
        QVERIFY(!play->isChecked());
        QVERIFY(!engine->isPlaying());

        // A step while playing stops playback and releases the button.
        QTest::keyClick(&window, Qt::Key_Space);
        QTest::keyClick(&window, Qt::Key_Right);
        QVERIFY(!engine->isPlaying());
        QVERIFY(!play->isChecked());

        // A click on the track seeks there and shows the window from there.
        VxThreeHandleSlider* track = window.timeSlider();
        const QPoint middle(int(track->positionForValue(kStart + 150000)), track->height() / 2);
        const uint64_t clicked = track->valueForPosition(middle.x());
        QTest::mouseClick(track, Qt::LeftButton, {}, middle);
        QVERIFY(clicked > kStart + 100000 && clicked < kStart + 200000);
        QCOMPARE(engine->currentTimestamp(), clicked + engine->accTime());

        // The stop button rewinds to the range start.
        window.findChild<QPushButton*>("pb_stop")->click();
        QCOMPARE(engine->currentTimestamp(), kStart);

        // Narrowing the range through the handles reaches the engine.
        window.slotStartEndPointEditable(true);
        VxThreeHandleSlider* slider = window.timeSlider();
        const QPoint upper = slider->upperHandleRect().center();
        QTest::mousePress(slider, Qt::LeftButton, {}, upper);
        QTest::mouseMove(slider, upper - QPoint(slider->width() / 3, 0));
        QTest::mouseRelease(slider, Qt::LeftButton, {}, upper - QPoint(slider->width() / 3, 0));
        QVERIFY(slider->upperValue() < kEnd);
        QVERIFY(slider->upperValue() > kStart);
        QCOMPARE(engine->upperTimestamp(), slider->upperValue());
        QVERIFY(TestSupport::saveRender(&window, "MainWidget_playback"));
        window.slotStartEndPointEditable(false);
        QCOMPARE(engine->lowerTimestamp(), kStart);
    }

    void recordingWithAVideoBesideItIsAFusionRecording()
    {
        const QString raw = m_dir->filePath("pair.raw");
        QVERIFY(QFile::copy(m_recording, raw));
        QFile video(m_dir->filePath("pair.mp4"));
        QVERIFY(video.open(QIODevice::WriteOnly));
        video.write("not really a video");
        video.close();

        MainWidget window;
        window.show();
        window.move(0, 0);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy rawOpened(&window, &MainWidget::signalOpenRawFile);
        QSignalSpy fusionOpened(&window, &MainWidget::signalOpenFusionFile);
        window.openRecording(raw);
        QCOMPARE(window.viewerType(), MainWidget::ViewerFusionFile);
        QCOMPARE(rawOpened.first().at(0).toString(), QString());
        QCOMPARE(fusionOpened.first().at(0).toString(), raw);
        QVERIFY(!window.saveAsAction()->isVisible());
        QVERIFY(!window.cutRecordingAction()->isVisible());
        QVERIFY(!window.eventProcessor()->hasFile());
        QCOMPARE(toasts(window).size(), 1);
        QCOMPARE(toasts(window).first()->type(), VxMessageType::Warning);
        QCOMPARE(toasts(window).first()->findChild<QLabel*>("lb_show_tips")->text(),
                 QString("Fusion playback is not available yet."));

        // Back to a plain recording: the entries come back.
        openAndPlayThrough(window, m_recording);
        QCOMPARE(window.viewerType(), MainWidget::ViewerRawFile);
        QVERIFY(window.saveAsAction()->isVisible());
    }

    void cutAndSaveAsGoThroughTheirDialogs()
    {
        AppConfig::instance()->setOutputRawFilePath(m_dir->path());
        AppConfig::instance()->setVideoSavePath(m_dir->path());
        MainWidget window;
        window.show();
        window.move(0, 0);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        openAndPlayThrough(window, m_recording);
        QSignalSpy cuts(&window, &MainWidget::signalCutRawFile);
        QSignalSpy exports(&window, &MainWidget::signalExportVideo);

        QString presetName;
        QString presetDir;
        uint64_t presetStart = 0;
        uint64_t presetEnd = 0;
        onNextDialog([&](VxRangeFileDialog* dialog) {
            presetName = dialog->fileName();
            presetDir = dialog->directory();
            presetStart = dialog->startTime();
            presetEnd = dialog->endTime();
            dialog->findChild<QLineEdit*>("le_file_name")->setText("part.raw");
            dialog->findChild<QLineEdit*>("le_start_time")->setText(QString::number(kStart + 100000));
            QTest::mouseClick(dialog->findChild<QPushButton*>("pb_save"), Qt::LeftButton);
        });
        window.slotCutRecording();
        QVERIFY(QRegularExpression("^\\d{8}_\\d{6}\\.raw$").match(presetName).hasMatch());
        QCOMPARE(presetDir, m_dir->path());
        QCOMPARE(presetStart, kStart);
        QCOMPARE(presetEnd, kEnd);
        QCOMPARE(cuts.count(), 1);
        QCOMPARE(cuts.first().at(0).toString(), m_dir->path() + "/part.raw");
        QCOMPARE(cuts.first().at(2).value<uint64_t>(), kStart + 100000);
        // The engine cuts on its thread, then the toast offers the folder.
        QTRY_VERIFY_WITH_TIMEOUT(!toasts(window).isEmpty(), 20000);
        QCOMPARE(toasts(window).first()->filePath(), m_dir->path());
        QVERIFY(QFile::exists(m_dir->path() + "/part.raw"));
        QTRY_VERIFY(!window.waitingWin()->isVisible());

        // Cancelling sends nothing.
        onNextDialog([&](VxRangeFileDialog* dialog) {
            presetName = dialog->fileName();
            QTest::mouseClick(dialog->findChild<QPushButton*>("pb_cancel"), Qt::LeftButton);
        });
        window.slotSaveAs();
        QVERIFY(presetName.endsWith(".mp4"));
        QCOMPARE(exports.count(), 0);
    }

    void sideBarShowsOnePanelAtATime()
    {
        MainWidget window;
        window.resize(1280, 800);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* camera = window.findChild<QPushButton*>("pb_fold_setting");
        auto* dvs = window.findChild<QPushButton*>("pb_fold_dvs_setting");
        auto* area = window.findChild<QWidget*>("frame_setting");
        auto* cameraPanel = window.findChild<QWidget*>("panel_camera_setting");
        auto* dvsPanel = window.findChild<QWidget*>("panel_dvs_setting");
        const int folded = area->width();
        QVERIFY(folded < 100);
        QTest::mouseClick(camera, Qt::LeftButton);
        QVERIFY(cameraPanel->isVisible());
        QTRY_COMPARE(area->width(), 500);
        QTest::mouseClick(dvs, Qt::LeftButton);
        QVERIFY(dvsPanel->isVisible());
        QVERIFY(!cameraPanel->isVisible());
        QVERIFY(!camera->isChecked());
        QVERIFY(TestSupport::saveRender(&window, "MainWidget_side_panel"));
        QTest::mouseClick(dvs, Qt::LeftButton);
        QVERIFY(!dvsPanel->isVisible());
        QTRY_COMPARE(area->width(), folded);

        // The stream shown steps DVS, APS, fused and back.
        QSignalSpy types(&window, &MainWidget::signalSetViewerShowType);
        for (int i = 0; i < 3; ++i) {
            window.findChild<QPushButton*>("pb_viewer_type")->click();
        }
        QCOMPARE(types.count(), 3);
        QCOMPARE(types.at(0).at(0).value<tarvo::STREAM_TYPE>(), tarvo::APS_STREAM);
        QCOMPARE(types.at(1).at(0).value<tarvo::STREAM_TYPE>(), tarvo::DVS_APS_STREAM);
        QCOMPARE(types.at(2).at(0).value<tarvo::STREAM_TYPE>(), tarvo::DVS_STREAM);
    }

    void dialogFieldsReadBackWhatWasWritten()
    {
        CancelledChooser exportDialog;
        exportDialog.setStartTime(5000000000ull);
        QCOMPARE(exportDialog.startTime(), 5000000000ull);
        exportDialog.findChild<QLineEdit*>("le_end_time")->setText("soon");
        QCOMPARE(exportDialog.endTime(), uint64_t(0));
        exportDialog.setDirectory("/data/videos");
        exportDialog.on_pb_select_dir_clicked();
        QCOMPARE(exportDialog.directory(), QString("/data/videos"));
        exportDialog.findChild<QLineEdit*>("le_file_name")->setText("clip.mp4");
        QCOMPARE(exportDialog.fullPath(), QString("/data/videos/clip.mp4"));
        QCOMPARE(exportDialog.findChild<QPushButton*>("pb_save")->text(), QString("Export"));
        QVERIFY(TestSupport::saveRender(&exportDialog, "VxExportVideoUI"));

        PickingChooser cutDialog;
        QCOMPARE(cutDialog.fileName(), QString("xxx.raw"));
        cutDialog.on_pb_select_dir_clicked();
        QCOMPARE(cutDialog.directory(), QString("/data/cuts"));
        QCOMPARE(cutDialog.findChild<QLabel*>("lb_title")->text(), QString("Cut Recording"));
        QCOMPARE(cutDialog.findChild<QPushButton*>("pb_save")->text(), QString("Cut"));
        QVERIFY(TestSupport::saveRender(&cutDialog, "VxCutRawFile"));
    }
};

QTEST_MAIN(MainWidgetTest)
#include "MainWidgetTest.moc"
