// The fusion view: the fusion processor's live pictures (event counts, frame mapping, the overlay
// from the simulated fusion camera in the main window), fusion playback of a recording the command
// line makes from the simulated camera, manual calibration, and recordings that cannot be played.
#include "AppConfig.h"
#include "MainWidget.h"
#include "SettingBaseWithLineEdit.h"
#include "SidebarApsSettingUI.h"
#include "TestSupport.h"
#include "VxFilePathReminderForm.h"
#include "VxFusionCameraDataProcessor.h"
#include "VxFusionPainter.h"
#include "VxLiveCamera.h"
#include "VxThreeHandleSlider.h"

#include "TarvoBase/CalibrationJson.h"
#include "TarvoDriver/ApsFileReader.h"
#include "TarvoDriver/DvsCameraManager.h"
#include "TarvoDriver/DvsFileReader.h"
#include "TarvoDriver/FusionCamera.h"
#include "TarvoSim/SimBus.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

constexpr int kTimeout = 30000;
constexpr int kFrameWidth = 3840;
constexpr int kFrameHeight = 2160;

// A frame whose pixel (x, y) spells its own position: blue the low byte of x, red the low byte of
// y, green the high nibbles of both. Pixel (0, 0) is the only black one.
tarvo::ApsFrame positionFrame(uint64_t time)
{
    tarvo::ApsFrame frame(kFrameWidth, kFrameHeight, time, time);
    uint8_t* bytes = frame.data();
    for (int y = 0; y < kFrameHeight; ++y) {
        for (int x = 0; x < kFrameWidth; ++x) {
            uint8_t* pixel = bytes + (size_t(y) * kFrameWidth + x) * 3;
            pixel[0] = uint8_t(x & 0xFF);
            pixel[1] = uint8_t((x >> 8) | ((y >> 8) << 4));
            pixel[2] = uint8_t(y & 0xFF);
        }
    }
    return frame;
}

// The frame position a picture's pixel was taken from (see positionFrame).
QPoint framePosition(const QImage& image, int x, int y)
{
    const QColor colour = image.pixelColor(x, y);
    return QPoint(colour.blue() | ((colour.green() & 0x0F) << 8),
                  colour.red() | ((colour.green() >> 4) << 8));
}

// Where the default calibration samples event pixel (x, y), with the user's offset.
QPoint defaultSample(int x, int y, double dx = 0, double dy = 0)
{
    return QPoint(int(x * 3.351724137931035 + -225.10344827586232 + dx),
                  int(y * 3.351724137931035 + -126.62068965517255 + dy));
}

// Completes one live frame-event pair: the picture comes through the fusion processor's callback
// on this thread.
void feedPair(VxFusionCameraDataProcessor& processor, const tarvo::ApsFrame& frame,
              const std::vector<tarvo::Event2D>& events)
{
    processor.countEvents(events.data(), events.data() + events.size());
    processor.fusionProcessor().addDvsData(events.data(), events.data() + events.size());
    processor.fusionProcessor().addSyncSignal(tarvo::EventTriggerIn(0, 1, frame.getEndTimestamp()));
    processor.fusionProcessor().addApsData(frame);
}

int pixelsOf(const QImage& image, const QColor& colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixelColor(x, y) == colour;
        }
    }
    return count;
}

QImage lastImage(const MainThreadSpy& images)
{
    return images.last().at(0).value<QImage>();
}

bool copyRecording(const QString& from, const QString& to, const QStringList& suffixes)
{
    for (const QString& suffix : suffixes) {
        QFile::remove(to + suffix);
        if (!QFile::copy(from + suffix, to + suffix)) {
            return false;
        }
    }
    return true;
}

} // namespace

class FusionViewTest : public QObject
{
    Q_OBJECT

private:
    TestHome* m_home = nullptr;
    QTemporaryDir* m_dir = nullptr;
    QString m_base; // the recording made from the simulated camera, without its suffix
    std::vector<uint64_t> m_frameTimes;
    uint64_t m_frameOffset = 0;

    // Loads a recording into the processor and waits for the end of the load.
    static bool load(VxFusionCameraDataProcessor& processor, const QString& path)
    {
        MainThreadSpy loaded(&processor, &VxFusionCameraDataProcessor::signalFileLoaded);
        if (!processor.slotReadFusionFile(path)) {
            return false;
        }
        return QTest::qWaitFor([&] { return !loaded.isEmpty(); }, kTimeout) && loaded.first().at(0).toBool();
    }

    // The event time of the last frame at or before `timebase`.
    uint64_t frameShownAt(uint64_t timebase) const
    {
        const auto after =
            std::upper_bound(m_frameTimes.begin(), m_frameTimes.end(), timebase - m_frameOffset);
        return m_frameOffset + (after == m_frameTimes.begin() ? m_frameTimes.front() : *(after - 1));
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_home = new TestHome;
        TestSupport::initViewerApplication();
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        // A fusion recording as the camera writes it, with a dot in its name: take.b.raw, .mp4, .json.
        QProcess record;
        record.start(TARVO_CLI_BINARY, {"record", "--serial", "DUET-0001", "--seconds", "2", "--fusion",
                                        m_dir->path(), "take.b"});
        QVERIFY(record.waitForFinished(120000));
        QVERIFY2(record.exitCode() == 0, record.readAllStandardError().constData());
        m_base = m_dir->filePath("take.b");
        auto video = tarvo::ApsFileReader::createFileReader((m_base + ".mp4").toStdString());
        QVERIFY(video && video->loadFile() && video->getTimeStamps(m_frameTimes));
        QVERIFY2(m_frameTimes.size() >= 20, qPrintable(QString::number(m_frameTimes.size())));
        auto events = tarvo::DvsFileReader::createFileReader((m_base + ".raw").toStdString());
        tarvo::DvsFileInfo info;
        QVERIFY(events && events->loadFile() && events->getFileInfo(info));
        m_frameOffset = info.aps_start_timestamp;
        QVERIFY(m_frameOffset > 0);
        AppConfig::instance()->setInputRawFilePath(m_dir->path());
    }
    void cleanupTestCase()
    {
        delete m_dir;
        delete m_home;
    }
    void init()
    {
        TestSupport::failOnAnyWarning();
        TestSupport::attachSimulatedCameras();
    }

    // ---- live pictures ---------------------------------------------------------------------

    void eventOnlyPicturesCountEachPixelUpToTen()
    {
        const AppConfig* config = AppConfig::instance();
        VxFusionCameraDataProcessor processor;
        processor.slotSetViewerType(tarvo::DVS_STREAM);
        QSignalSpy images(&processor, &VxFusionCameraDataProcessor::signalFusionImage);
        std::vector<tarvo::Event2D> events;
        for (int i = 0; i < 3; ++i) {
            events.emplace_back(5, 5, 1, 100 + i);
            events.emplace_back(5, 5, 0, 100 + i);
        }
        for (int i = 0; i < 15; ++i) {
            events.emplace_back(6, 6, 1, 200 + i);
        }
        for (int i = 0; i < 2; ++i) {
            events.emplace_back(7, 7, 0, 300 + i);
        }
        events.emplace_back(8, 8, 1, 400);
        events.emplace_back(8, 8, 0, 401);
        events.emplace_back(8, 8, 0, 402);
        events.emplace_back(1280, 0, 1, 500); // off the sensor: counted nowhere
        processor.countEvents(events.data(), events.data() + events.size());
        QCOMPARE(processor.countAt(5, 5, true), uint16_t(3));
        QCOMPARE(processor.countAt(5, 5, false), uint16_t(3));
        QCOMPARE(processor.countAt(6, 6, true), uint16_t(10));
        QCOMPARE(processor.countAt(0, 1, true), uint16_t(0));

        processor.fusionProcessor().addSyncSignal(tarvo::EventTriggerIn(0, 1, 1000));
        processor.fusionProcessor().addApsData(positionFrame(1000));
        QCOMPARE(images.count(), 1);
        const QImage image = images.first().at(0).value<QImage>();
        QCOMPARE(image.size(), QSize(1280, 720));
        QCOMPARE(image.pixelColor(5, 5), config->onColor());
        QCOMPARE(image.pixelColor(6, 6), config->onColor());
        QCOMPARE(image.pixelColor(7, 7), config->offColor());
        QCOMPARE(image.pixelColor(8, 8), config->offColor());
        QCOMPARE(image.pixelColor(9, 9), config->backgroundColor());
        // One picture per frame: the counts start again.
        QCOMPARE(processor.countAt(5, 5, true), uint16_t(0));

        // Other views count nothing.
        processor.slotSetViewerType(tarvo::APS_STREAM);
        processor.countEvents(events.data(), events.data() + events.size());
        QCOMPARE(processor.countAt(6, 6, true), uint16_t(0));
    }

    void framePicturesSampleTheFrameThroughTheCalibration()
    {
        VxFusionCameraDataProcessor processor;
        processor.slotSetViewerType(tarvo::APS_STREAM);
        QSignalSpy images(&processor, &VxFusionCameraDataProcessor::signalFusionImage);
        QSignalSpy times(&processor, &VxFusionCameraDataProcessor::signalTimeStamp);
        const tarvo::ApsFrame frame = positionFrame(5000);
        feedPair(processor, frame, {});
        QCOMPARE(images.count(), 1);
        QImage image = images.first().at(0).value<QImage>();
        QCOMPARE(framePosition(image, 640, 360), QPoint(1920, 1080));
        QCOMPARE(framePosition(image, 1200, 650), defaultSample(1200, 650));
        // Beyond the frame's last column or row the picture stays black too.
        QCOMPARE(image.pixelColor(1279, 300), QColor(0, 0, 0));
        QCOMPARE(framePosition(image, 67, 38), QPoint(0, 0));
        // Event pixels left of the frame's first column stay black.
        QCOMPARE(image.pixelColor(66, 100), QColor(0, 0, 0));
        QCOMPARE(times.first().at(0).toULongLong(), 5000ull);

        // The user's offset moves every sample from the next frame on.
        processor.slotSetApsOffset(10, -5);
        feedPair(processor, frame, {});
        image = images.last().at(0).value<QImage>();
        QCOMPARE(framePosition(image, 640, 360), QPoint(1930, 1075));
        QCOMPARE(framePosition(image, 300, 200), defaultSample(300, 200, 10, -5));

        // Without a connected camera the fused view has nothing to lay its events over.
        processor.slotSetViewerType(tarvo::DVS_APS_STREAM);
        feedPair(processor, frame, {tarvo::Event2D(640, 360, 1, 4000)});
        QCOMPARE(images.count(), 2);
    }

    void recordingsAreDrawnMirroredInsideThePicture()
    {
        const VxFusionPainter::Colours colours{qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(9, 9, 9)};
        QImage image(1280, 720, QImage::Format_BGR888);
        image.fill(QColor(9, 9, 9));
        const std::vector<tarvo::Event2D> events{{0, 0, 1, 1},   {1279, 1, 0, 2}, {1280, 2, 1, 3},
                                                 {5, 720, 1, 4}, {10, 3, 1, 5},   {10, 3, 0, 6}};
        VxFusionPainter::paintEvents(events.data(), events.data() + events.size(), true, colours, image);
        QCOMPARE(image.pixelColor(1279, 0), QColor(255, 0, 0));
        QCOMPARE(image.pixelColor(0, 1), QColor(0, 0, 255));
        // Later events overwrite earlier ones; events off the sensor are left out.
        QCOMPARE(image.pixelColor(1269, 3), QColor(0, 0, 255));
        QCOMPARE(pixelsOf(image, QColor(9, 9, 9)), 1280 * 720 - 3);

        VxFusionPainter::paintEvents(events.data(), events.data() + 1, false, colours, image);
        QCOMPARE(image.pixelColor(0, 0), QColor(255, 0, 0));
    }

    void theLiveFusionCameraShowsItsOverlayEventsAndFrames()
    {
        const AppConfig* config = AppConfig::instance();
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        MainThreadSpy images(window.fusionProcessor(), &VxFusionCameraDataProcessor::signalFusionImage);
        window.openCamera("DUET-0001");
        QTRY_VERIFY_WITH_TIMEOUT(window.liveCamera()->isLive() && images.count() >= 3, kTimeout);
        QCOMPARE(window.viewerType(), MainWidget::ViewerFusionCamera);
        QCOMPARE(window.fusionProcessor()->viewerType(), tarvo::DVS_APS_STREAM);
        QVERIFY(window.findChild<QPushButton*>("pb_play")->isChecked());
        QVERIFY(window.findChild<QPushButton*>("pb_viewer_type")->isEnabled());
        const QImage fused = lastImage(images);
        QVERIFY(TestSupport::saveRender(&window, "FusionView_live_overlay"));
        QVERIFY(fused.save("/tmp/FusionView_live_overlay.png"));

        // The viewer-type button steps fused -> events only -> frames only.
        window.findChild<QPushButton*>("pb_viewer_type")->click();
        QCOMPARE(window.fusionProcessor()->viewerType(), tarvo::DVS_STREAM);
        // Pictures made before the switch may still be on their way.
        auto themedOnly = [&] {
            const TestSupport::ColourCounts counts = TestSupport::countColours(
                lastImage(images), config->onColor(), config->offColor(), config->backgroundColor());
            return counts.on + counts.off + counts.background == 1280 * 720;
        };
        images.clear();
        QTRY_VERIFY_WITH_TIMEOUT(images.count() >= 3 && themedOnly(), kTimeout);
        const QImage eventsOnly = lastImage(images);
        const TestSupport::ColourCounts counts = TestSupport::countColours(
            eventsOnly, config->onColor(), config->offColor(), config->backgroundColor());
        QVERIFY(counts.on > 1000);
        QVERIFY(counts.off > 1000);
        QVERIFY(TestSupport::saveRender(&window, "FusionView_live_events"));

        window.findChild<QPushButton*>("pb_viewer_type")->click();
        QCOMPARE(window.fusionProcessor()->viewerType(), tarvo::APS_STREAM);
        images.clear();
        QTRY_VERIFY_WITH_TIMEOUT(images.count() >= 8, kTimeout);
        const QImage framesOnly = lastImage(images);
        QVERIFY(framesOnly.save("/tmp/FusionView_live_frames.png"));
        // The overlay is the frame with the events painted in the theme's colours over it.
        const int themed = pixelsOf(fused, config->onColor()) + pixelsOf(fused, config->offColor());
        const int themedInFrame =
            pixelsOf(framesOnly, config->onColor()) + pixelsOf(framesOnly, config->offColor());
        QVERIFY2(themed > themedInFrame + 1000,
                 qPrintable(QString("%1 vs %2").arg(themed).arg(themedInFrame)));

        // Stopping stops the camera; playing again starts it.
        window.findChild<QPushButton*>("pb_play")->click();
        QVERIFY(!window.liveCamera()->isLive());
        images.clear();
        window.findChild<QPushButton*>("pb_play")->click();
        QTRY_VERIFY_WITH_TIMEOUT(window.liveCamera()->isLive() && images.count() >= 3, kTimeout);

        // The record button records the events, the frames and the calibration side by side.
        AppConfig::instance()->setOutputRawFilePath(m_dir->filePath("recorded"));
        QVERIFY(QDir().mkpath(m_dir->filePath("recorded")));
        auto* record = window.findChild<QPushButton*>("pb_record");
        QVERIFY(record->isEnabled());
        record->click();
        QVERIFY(record->isChecked());
        images.clear();
        QTRY_VERIFY_WITH_TIMEOUT(images.count() >= 10, kTimeout);
        record->click();
        QVERIFY(!record->isChecked());
        QVERIFY(TestSupport::toastSaying(&window, "Save file success!"));
        const QStringList recorded = QDir(m_dir->filePath("recorded")).entryList(QDir::Files, QDir::Name);
        QCOMPARE(recorded.size(), 3);
        QVERIFY(recorded.at(0).startsWith("DUET-0001_"));
        QVERIFY(recorded.at(0).endsWith(".json"));
        QVERIFY(recorded.at(1).endsWith(".mp4"));
        QVERIFY(recorded.at(2).endsWith(".raw"));

        // The frame sensor panel shifts the frame under the events and writes the shift to the camera.
        QVERIFY(window.findChild<QPushButton*>("pb_fold_aps_setting")->isVisible());
        QVERIFY(window.findChild<QPushButton*>("pb_fold_dvs_setting")->isVisible());
        auto* offsetY = window.apsPanel()->findChild<SettingBaseWithLineEdit*>("row_offset_y");
        QVERIFY(offsetY);
        offsetY->addButton()->click();
        offsetY->addButton()->click();
        QCOMPARE(window.fusionProcessor()->calibrator().getOffsetY(), 2.0);
        QTest::mouseClick(window.apsPanel()->findChild<QPushButton*>("pb_apply_cali_offset"), Qt::LeftButton);
        QTRY_VERIFY(
            TestSupport::toastSaying(&window, "Manual calibration parameters were written successfully!"));
        QCOMPARE(window.fusionProcessor()->calibrator().getOffsetY(), 0.0);

        // An unplugged camera ends the live view and says so.
        QVERIFY(tarvo::sim::SimBus::instance().detach("DUET-0001"));
        const QString lost = "The live view of camera DUET-0001 stopped: Camera connection lost.";
        QTRY_VERIFY_WITH_TIMEOUT(TestSupport::toastSaying(&window, lost), kTimeout);
        QVERIFY(!window.findChild<QPushButton*>("pb_play")->isChecked());
    }

    void closingTheWindowDuringTheLiveViewEndsCleanly()
    {
        {
            MainWidget window;
            QVERIFY(TestSupport::showMainWindow(window));
            MainThreadSpy images(window.fusionProcessor(), &VxFusionCameraDataProcessor::signalFusionImage);
            window.openCamera("DUET-0001");
            QTRY_VERIFY_WITH_TIMEOUT(window.liveCamera()->isLive() && images.count() >= 3, kTimeout);
        }
        // The camera is free for the next window.
        MainWidget window;
        MainThreadSpy images(window.fusionProcessor(), &VxFusionCameraDataProcessor::signalFusionImage);
        window.openCamera("DUET-0001");
        QTRY_VERIFY_WITH_TIMEOUT(window.liveCamera()->isLive() && images.count() >= 3, kTimeout);
    }

    void manualCalibrationIsWrittenToTheCamera()
    {
        const QString written = "Manual calibration parameters were written successfully!";
        const QString failed = "Manual calibration parameters were written failed!";
        VxFusionCameraDataProcessor processor;
        MainThreadSpy tips(&processor, &VxFusionCameraDataProcessor::signalShowLeftBottomTips);
        // No camera: the file is written, the camera is not.
        processor.slotSetApsOffset(4, 2);
        processor.slotApplyOffset();
        QTRY_COMPARE(tips.count(), 1);
        QCOMPARE(tips.last().at(0).toString(), failed);
        QCOMPARE(tips.last().at(1).value<VxMessageType>(), VxMessageType::Error);
        QVERIFY(QFile::exists(m_dir->filePath("tmp_calibration_file.json")));

        tarvo::DvsCameraManager manager;
        manager.updateCameras();
        std::shared_ptr<tarvo::FusionCamera> camera = manager.openFusionCamera("DUET-0001");
        QVERIFY(camera);
        tarvo::CalibratorParameters before;
        QVERIFY(camera->readCalibrationParam(before));
        processor.loadCalibration(before);
        processor.setCamera(camera);
        processor.slotSetApsOffset(10, -5);
        processor.slotApplyOffset();
        QTRY_COMPARE(tips.count(), 2);
        QCOMPARE(tips.last().at(0).toString(), written);
        QCOMPARE(tips.last().at(1).value<VxMessageType>(), VxMessageType::Success);
        tarvo::CalibratorParameters after;
        QVERIFY(camera->readCalibrationParam(after));
        QCOMPARE(after.transforms["1"][2], before.transforms["1"][2] + 10);
        QCOMPARE(after.transforms["1"][5], before.transforms["1"][5] - 5);
        // Folded in: the offset does not move the picture a second time.
        QCOMPARE(processor.calibrator().getOffsetX(), 0.0);

        QVERIFY(tarvo::sim::SimBus::instance().detach("DUET-0001"));
        processor.slotApplyOffset();
        QTRY_COMPARE(tips.count(), 3);
        QCOMPARE(tips.last().at(0).toString(), failed);
        processor.setCamera(nullptr);
    }

    // ---- playback --------------------------------------------------------------------------

    void aRecordingLoadsWithItsVideoAndCalibration()
    {
        // A calibration beside the recording replaces the one in force.
        const QString shifted = m_dir->filePath("shifted.b");
        QVERIFY(copyRecording(m_base, shifted, {".raw", ".mp4"}));
        tarvo::CalibratorParameters params;
        QVERIFY(tarvo::jsonFileToParam((m_base + ".json").toStdString(), params));
        params.transforms["1"][2] += 30;
        QVERIFY(tarvo::paramToJsonFile(params, (shifted + ".json").toStdString()));

        VxFusionCameraDataProcessor processor;
        MainThreadSpy starts(&processor, &VxFusionCameraDataProcessor::signalStartTimeStamp);
        MainThreadSpy ends(&processor, &VxFusionCameraDataProcessor::signalEndTimeStamp);
        MainThreadSpy playing(&processor, &VxFusionCameraDataProcessor::signalPlayStatus);
        QVERIFY(load(processor, shifted + ".raw"));
        QCOMPARE(processor.calibrator().getDvsToAps()[2], params.transforms["1"][2]);
        QCOMPARE(processor.frameOffset(), m_frameOffset);
        QCOMPARE(processor.fileStart(), m_frameOffset);
        QTRY_COMPARE(starts.count(), 1);
        QCOMPARE(starts.first().at(0).toULongLong(), qulonglong(m_frameOffset));
        QCOMPARE(ends.first().at(0).toULongLong(), qulonglong(processor.fileEnd()));
        QVERIFY(processor.fileEnd() > m_frameOffset + m_frameTimes[10]);
        // The load asks the play button to start.
        QTRY_VERIFY(!playing.isEmpty());
        QVERIFY(playing.last().at(0).toBool());

        // Without a calibration file the one in force stays.
        QFile::remove(shifted + ".json");
        QVERIFY(load(processor, shifted + ".raw"));
        QCOMPARE(processor.calibrator().getDvsToAps()[2], params.transforms["1"][2]);
    }

    void theFrameShownFollowsTheTimeBase()
    {
        VxFusionCameraDataProcessor processor;
        QVERIFY(load(processor, m_base + ".raw"));
        const uint64_t offset = m_frameOffset;
        processor.setPlayPos(offset + m_frameTimes[5] + 1);
        QCOMPARE(processor.shownFrameTime(), offset + m_frameTimes[5]);
        processor.setPlayPos(offset + m_frameTimes[5] - 1);
        QCOMPARE(processor.shownFrameTime(), offset + m_frameTimes[4]);
        processor.setPlayPos(offset + m_frameTimes[12]);
        QCOMPARE(processor.shownFrameTime(), offset + m_frameTimes[12]);

        // Steps move the time base by the interval; the frame is the last one begun by then.
        processor.nextFrame();
        QCOMPARE(processor.timebase(), offset + m_frameTimes[12] + 33333);
        QCOMPARE(processor.shownFrameTime(), frameShownAt(processor.timebase()));
        processor.preFrame();
        processor.preFrame();
        QCOMPARE(processor.timebase(), offset + m_frameTimes[12] - 33333);
        QCOMPARE(processor.shownFrameTime(), frameShownAt(processor.timebase()));
        // At a quarter of the frame rate each step passes several frames, and the frame keeps up.
        processor.setFps(7);
        for (int i = 0; i < 3; ++i) {
            processor.nextFrame();
            QCOMPARE(processor.shownFrameTime(), frameShownAt(processor.timebase()));
        }
        // The range's start bounds the steps back.
        for (int i = 0; i < 20; ++i) {
            processor.preFrame();
        }
        QCOMPARE(processor.timebase(), processor.fileStart());
        QCOMPARE(processor.shownFrameTime(), offset + m_frameTimes.front());
    }

    void eventsOfTheRecordingAreDrawnAtTheirMirroredColumns()
    {
        const AppConfig* config = AppConfig::instance();
        VxFusionCameraDataProcessor processor;
        QVERIFY(load(processor, m_base + ".raw"));
        processor.slotSetViewerType(tarvo::DVS_STREAM);
        MainThreadSpy images(&processor, &VxFusionCameraDataProcessor::signalFusionImage);
        const uint64_t at = m_frameOffset + 400000;
        processor.setPlayPos(at);
        QTRY_COMPARE(images.count(), 1);
        const QImage image = lastImage(images);
        auto reader = tarvo::DvsFileReader::createFileReader((m_base + ".raw").toStdString());
        QVERIFY(reader && reader->loadFile());
        const auto events = reader->getNTimeEventsGivenStartTimeStamp(at - 33333, 33333);
        QVERIFY(events && events->size() > 1000);
        // The last event at each pixel decides its colour.
        QImage expected(1280, 720, QImage::Format_BGR888);
        expected.fill(config->backgroundColor());
        for (const tarvo::Event2D& e : *events) {
            expected.setPixelColor(1279 - e.x, e.y, e.polarity ? config->onColor() : config->offColor());
        }
        QCOMPARE(image, expected);
    }

    void playbackAdvancesTheIntervalPerTickAndFinishesOnce()
    {
        VxFusionCameraDataProcessor processor;
        QVERIFY(load(processor, m_base + ".raw"));
        MainThreadSpy times(&processor, &VxFusionCameraDataProcessor::signalTimeStamp);
        MainThreadSpy finished(&processor, &VxFusionCameraDataProcessor::signalPalyFileFinished);

        auto stepsOfAPlay = [&](int fps) {
            processor.setFps(fps);
            processor.setPlayPos(processor.fileStart());
            times.clear();
            processor.slotPlaybackCtrl(true);
            // A second start while playing is ignored: it neither blocks nor starts a second thread.
            processor.slotPlaybackCtrl(true);
            const bool ticked = QTest::qWaitFor([&] { return times.count() >= 6; }, kTimeout);
            processor.slotPlaybackCtrl(false);
            std::vector<uint64_t> steps;
            for (int i = 1; ticked && i < times.count(); ++i) {
                steps.push_back(times.at(i).at(0).toULongLong() - times.at(i - 1).at(0).toULongLong());
            }
            return steps;
        };
        const std::vector<uint64_t> halfSpeed = stepsOfAPlay(60);
        QVERIFY(!processor.isPlaying());
        QVERIFY(halfSpeed.size() >= 5);
        for (uint64_t step : halfSpeed) {
            QCOMPARE(step, uint64_t(16666));
        }
        const std::vector<uint64_t> doubleSpeed = stepsOfAPlay(15);
        QVERIFY(doubleSpeed.size() >= 5);
        for (uint64_t step : doubleSpeed) {
            QCOMPARE(step, uint64_t(66666));
        }
        // No rate of 0 frames a second: the interval stays.
        processor.setFps(0);
        QCOMPARE(processor.interval(), uint64_t(66666));

        // Without replay the end rewinds to the range's start, stops and says so once.
        processor.setFps(4);
        processor.setPlayPos(processor.fileStart());
        processor.slotPlaybackCtrl(true);
        QTRY_VERIFY_WITH_TIMEOUT(!processor.isPlaying() && finished.count() == 1, kTimeout);
        QCOMPARE(processor.timebase(), processor.fileStart());
        QCOMPARE(finished.count(), 1);

        // With replay it starts again at the end and plays on.
        processor.slotSetReplayFlag(true);
        times.clear();
        processor.slotPlaybackCtrl(true);
        QVERIFY(QTest::qWaitFor(
            [&] {
                for (int i = 1; i < times.count(); ++i) {
                    if (times.at(i).at(0).toULongLong() < times.at(i - 1).at(0).toULongLong()) {
                        return true;
                    }
                }
                return false;
            },
            kTimeout));
        QVERIFY(processor.isPlaying());
        processor.slotPlaybackCtrl(false);
        QCOMPARE(finished.count(), 1);
    }

    void nextFrameAtTheEndChangesNothing()
    {
        VxFusionCameraDataProcessor processor;
        QVERIFY(load(processor, m_base + ".raw"));
        const uint64_t nearEnd = processor.fileEnd() - processor.accTime() / 2;
        processor.setPlayPos(nearEnd);
        MainThreadSpy images(&processor, &VxFusionCameraDataProcessor::signalFusionImage);
        processor.nextFrame();
        QCOMPARE(processor.timebase(), nearEnd);
        QCoreApplication::processEvents();
        QCOMPARE(images.count(), 0);
    }

    void recordingsThatCannotBePlayedSaySo()
    {
        VxFusionCameraDataProcessor processor;
        MainThreadSpy tips(&processor, &VxFusionCameraDataProcessor::signalShowLeftBottomTips);
        MainThreadSpy loaded(&processor, &VxFusionCameraDataProcessor::signalFileLoaded);
        // Events without their video.
        const QString alone = m_dir->filePath("alone");
        QVERIFY(copyRecording(m_base, alone, {".raw"}));
        QVERIFY(processor.slotReadFusionFile(alone + ".raw"));
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, kTimeout);
        QVERIFY(!loaded.last().at(0).toBool());
        QTRY_COMPARE(tips.count(), 1);
        QVERIFY(tips.last().at(0).toString().startsWith("Could not open the fusion recording: "));
        QCOMPARE(tips.last().at(1).value<VxMessageType>(), VxMessageType::Error);
        QVERIFY(!processor.hasRecording());

        // A video beside events that are not a recording.
        const QString corrupt = m_dir->filePath("corrupt");
        QVERIFY(copyRecording(m_base, corrupt, {".mp4"}));
        QVERIFY(TestSupport::writeFile(corrupt + ".raw", QByteArray(4096, '\x5a')));
        QVERIFY(processor.slotReadFusionFile(corrupt + ".raw"));
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 2, kTimeout);
        QVERIFY(!loaded.last().at(0).toBool());
        QTRY_COMPARE(tips.count(), 2);
        QVERIFY(tips.last().at(0).toString().startsWith("Could not open the fusion recording: "));
        // Nothing plays what did not load.
        processor.slotPlaybackCtrl(true);
        QVERIFY(!processor.isPlaying());
    }

    void aLoadStillRunningIsWaitedForAtDestruction()
    {
        auto processor = std::make_unique<VxFusionCameraDataProcessor>();
        QVERIFY(processor->slotReadFusionFile(m_base + ".raw"));
        QVERIFY(processor->isLoading());
        // A second load while one runs is refused.
        QVERIFY(!processor->slotReadFusionFile(m_base + ".raw"));
        processor.reset();
    }

    void theWindowPlaysAFusionRecording()
    {
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        VxFusionCameraDataProcessor* fusion = window.fusionProcessor();
        MainThreadSpy images(fusion, &VxFusionCameraDataProcessor::signalFusionImage);
        window.openRecording(m_base + ".raw");
        QCOMPARE(window.viewerType(), MainWidget::ViewerFusionFile);
        QVERIFY(!window.saveAsAction()->isVisible());
        // It loads and plays at once, the timeline following.
        QTRY_VERIFY_WITH_TIMEOUT(fusion->isPlaying() && images.count() >= 5, kTimeout);
        QVERIFY(window.findChild<QPushButton*>("pb_play")->isChecked());
        QCOMPARE(window.timeSlider()->minimum(), m_frameOffset);
        QCOMPARE(window.timeSlider()->maximum(), fusion->fileEnd());
        QVERIFY(TestSupport::saveRender(&window, "FusionView_playback"));
        QVERIFY(lastImage(images).save("/tmp/FusionView_playback_frame.png"));

        // The play bar: stop, reset, step.
        window.findChild<QPushButton*>("pb_play")->click();
        QVERIFY(!fusion->isPlaying());
        QTest::mousePress(window.findChild<QPushButton*>("pb_stop"), Qt::LeftButton);
        QCOMPARE(fusion->timebase(), fusion->fileStart());
        QTest::mousePress(window.findChild<QPushButton*>("pb_next"), Qt::LeftButton);
        QCOMPARE(fusion->timebase(), fusion->fileStart() + fusion->interval());
        QTRY_COMPARE(window.timeSlider()->centerValue(), fusion->timebase());
        // The loop button is the replay flag.
        window.findChild<QPushButton*>("pb_loop")->click();
        QVERIFY(fusion->isReplaying());
    }
};

QTEST_MAIN(FusionViewTest)
#include "FusionViewTest.moc"
