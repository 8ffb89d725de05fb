// The playback engine on recordings written by the encoder: loading, playing, stepping, seeking,
// the accumulation window, the pixel rules and themes, export and cut.
#include "AppConfig.h"
#include "RecordingSupport.h"
#include "TestSupport.h"
#include "VxEventProcessor.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

constexpr uint64_t kStart = 1000000;
constexpr uint64_t kEnd = 1300000;

QColor rgb(int r, int g, int b)
{
    return QColor(r, g, b);
}

QImage lastImage(const QList<QList<QVariant>>& spy)
{
    return spy.last().at(0).value<QImage>();
}

std::vector<uint64_t> positions(const QList<QList<QVariant>>& spy)
{
    std::vector<uint64_t> out;
    for (const QList<QVariant>& args : spy) {
        out.push_back(args.at(0).value<uint64_t>());
    }
    return out;
}

} // namespace

class EventProcessorTest : public QObject
{
    Q_OBJECT

private:
    TestHome* m_home = nullptr;
    AppConfig* m_config = nullptr;
    QTemporaryDir* m_dir = nullptr;
    QString m_recording;

    // Loads the test recording and waits for the load thread to finish.
    // Loads a recording and waits for the load to end and for its first picture (a blank one when
    // the recording did not open).
    void load(VxEventProcessor& processor, const QString& path)
    {
        MainThreadSpy loading(&processor, &VxEventProcessor::signalLoadingStatus);
        MainThreadSpy images(&processor, &VxEventProcessor::signalEventImage);
        processor.loadFile(path);
        QTRY_VERIFY_WITH_TIMEOUT(loading.count() >= 2, 20000);
        QCOMPARE(loading.last().at(0).toBool(), false);
        QVERIFY(!processor.isLoading());
        QTRY_VERIFY(images.count() >= 1);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_home = new TestHome;
        TestSupport::initViewerApplication();
        m_config = new AppConfig;
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        m_recording = m_dir->filePath("ticks.raw");
        QVERIFY(RecordingSupport::writeRecording(m_recording,
                                                 RecordingSupport::tickEvents(kStart, kEnd, 1000), kStart));
    }
    void cleanupTestCase()
    {
        delete m_dir;
        delete m_config;
        delete m_home;
    }
    void init()
    {
        TestSupport::failOnAnyWarning();
        m_config->setDvsColorType("Gray");
        m_config->updateThemeColors();
    }

    void loadStartsPlaybackAndPlaysToTheEnd()
    {
        VxEventProcessor processor(m_config);
        // The play button: checked by the engine's status, it starts and stops the play thread.
        connect(&processor, &VxEventProcessor::signalPlayStatus, &processor,
                &VxEventProcessor::slotPlaybackCtrl);
        MainThreadSpy starts(&processor, &VxEventProcessor::signalStartTimeStamp);
        MainThreadSpy ends(&processor, &VxEventProcessor::signalEndTimeStamp);
        MainThreadSpy status(&processor, &VxEventProcessor::signalPlayStatus);
        MainThreadSpy position(&processor, &VxEventProcessor::signalRealTimeTimeStamp);
        MainThreadSpy local(&processor, &VxEventProcessor::signalLocalTime);
        MainThreadSpy images(&processor, &VxEventProcessor::signalEventImage);

        processor.loadFile(m_recording);
        QTRY_VERIFY_WITH_TIMEOUT(status.count() >= 1 && status.last().at(0).toBool(), 20000);
        QCOMPARE(starts.count(), 1);
        QCOMPARE(starts.first().at(0).value<uint64_t>(), kStart);
        QCOMPARE(ends.first().at(0).value<uint64_t>(), kEnd);
        // Without loop the play thread ends at the upper bound and releases the play button.
        QTRY_VERIFY_WITH_TIMEOUT(!status.last().at(0).toBool(), 20000);
        QTRY_VERIFY(!processor.isPlaying());

        const std::vector<uint64_t> seen = positions(position);
        QVERIFY(seen.size() >= 3);
        QCOMPARE(seen.front(), kStart);
        for (size_t i = 1; i + 1 < seen.size(); ++i) {
            QCOMPARE(seen[i] - seen[i - 1], processor.interval());
        }
        QCOMPARE(seen.back(), kEnd); // the last frame covers [current, upper]
        QCOMPARE(processor.currentTimestamp(), kStart);
        QCOMPARE(local.count(), position.count());
        QVERIFY(local.first().at(0).toString().startsWith("20"));
        QTRY_VERIFY(images.count() >= 1);
    }

    void loopRestartsFromTheLowerBound()
    {
        VxEventProcessor processor(m_config);
        connect(&processor, &VxEventProcessor::signalPlayStatus, &processor,
                &VxEventProcessor::slotPlaybackCtrl);
        processor.slotPlayLoop(true);
        processor.setFps(10); // 100 ms of event time a frame
        MainThreadSpy position(&processor, &VxEventProcessor::signalRealTimeTimeStamp);
        processor.loadFile(m_recording);
        auto wrapped = [&] {
            const std::vector<uint64_t> seen = positions(position);
            for (size_t i = 2; i < seen.size(); ++i) {
                if (seen[i] < seen[i - 1]) {
                    return true;
                }
            }
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(wrapped(), 20000);
        processor.slotPlaybackCtrl(false);
        QVERIFY(!processor.isPlaying());
        const std::vector<uint64_t> seen = positions(position);
        size_t wrap = 2;
        while (seen[wrap] >= seen[wrap - 1]) {
            ++wrap;
        }
        QCOMPARE(seen[wrap - 1], kEnd);
        QCOMPARE(seen[wrap], kStart + 100000);
    }

    void playAtTheEndOfTheRangePlaysItAgain()
    {
        VxEventProcessor processor(m_config);
        load(processor, m_recording);
        processor.setPlayPos(kEnd);
        MainThreadSpy position(&processor, &VxEventProcessor::signalRealTimeTimeStamp);
        processor.slotPlaybackCtrl(true);
        QTRY_VERIFY_WITH_TIMEOUT(position.count() >= 2, 20000);
        processor.slotPlaybackCtrl(false);
        QCOMPARE(position.first().at(0).value<uint64_t>(), kStart + processor.interval());
    }

    void stepsAndSeeksShowTheirWindow()
    {
        VxEventProcessor processor(m_config);
        load(processor, m_recording);
        MainThreadSpy position(&processor, &VxEventProcessor::signalRealTimeTimeStamp);
        MainThreadSpy images(&processor, &VxEventProcessor::signalEventImage);
        MainThreadSpy statistics(&processor, &VxEventProcessor::signalFrameStatistics);
        const QColor background = m_config->backgroundColor();

        // A position shows the acc microseconds up to and including it: (1.030303 - 0.033333 s,
        // 1.030303 s], of which the recording holds [1.000000 s, 1.030303 s].
        processor.nextFrame();
        QCOMPARE(position.last().at(0).value<uint64_t>(), kStart + 30303);
        QTRY_COMPARE(images.count(), 1);
        QCOMPARE(TestSupport::litPixelsInFirstRow(lastImage(images), background), 31);
        QCOMPARE(statistics.last().at(0).value<uint64_t>(), uint64_t(31));
        QVERIFY(qAbs(statistics.last().at(1).toDouble() - 1000.0) < 50); // one event a millisecond

        // Back at the lower bound: the picture of the first instant, again and again.
        // The render thread paints the latest present only, so each step waits for its picture.
        processor.preFrame();
        QCOMPARE(position.last().at(0).value<uint64_t>(), kStart);
        QTRY_COMPARE(images.count(), 2);
        processor.preFrame();
        QCOMPARE(position.last().at(0).value<uint64_t>(), kStart);
        QTRY_COMPARE(images.count(), 3);
        QCOMPARE(TestSupport::litPixelsInFirstRow(lastImage(images), background), 1);

        // Accumulation time longer than the advance: consecutive frames overlap.
        processor.setFps(40);
        QCOMPARE(processor.interval(), uint64_t(25000));
        processor.setAccTime(50000);
        processor.nextFrame();
        QTRY_COMPARE(images.count(), 4);
        processor.nextFrame();
        QTRY_COMPARE(images.count(), 5);
        QCOMPARE(TestSupport::litPixelsInFirstRow(lastImage(images), background), 50);
        QCOMPARE(processor.currentTimestamp(), kStart + 50000);
        // Shorter: the frames leave gaps.
        processor.setAccTime(10000);
        processor.nextFrame();
        QTRY_COMPARE(images.count(), 6);
        QCOMPARE(TestSupport::litPixelsInFirstRow(lastImage(images), background), 10);

        // Seeking inside the range shows the picture of that time; outside it nothing happens.
        const int before = position.count();
        processor.setPlayPos(kStart - 1);
        processor.setPlayPos(kEnd + 1);
        QCOMPARE(position.count(), before);
        processor.setPlayPos(kStart + 200000);
        QCOMPARE(position.count(), before + 1);
        QCOMPARE(processor.currentTimestamp(), kStart + 200000);
        QTRY_COMPARE(images.count(), 7);
        QCOMPARE(TestSupport::litPixelsInFirstRow(lastImage(images), background), 10);

        // Near the upper bound a step stops at it; at the bound nothing happens.
        processor.setPlayPos(kEnd - 5000);
        processor.nextFrame();
        QCOMPARE(processor.currentTimestamp(), kEnd);
        QCOMPARE(position.last().at(0).value<uint64_t>(), kEnd);
        const int atEnd = position.count();
        processor.nextFrame();
        QCOMPARE(position.count(), atEnd);

        // A narrowed range: reset goes to its lower bound.
        processor.slotSetLowerTimeStamp(kStart + 100000);
        processor.slotPlaybackReset();
        QCOMPARE(processor.currentTimestamp(), kStart + 100000);
        QCOMPARE(position.last().at(0).value<uint64_t>(), kStart + 100000);
    }

    void aStepBackShowsThePictureOfItsTime()
    {
        VxEventProcessor processor(m_config);
        load(processor, m_recording);
        MainThreadSpy images(&processor, &VxEventProcessor::signalEventImage);
        // Each step waits for its own picture: the render thread paints the latest present only.
        struct Shot
        {
            bool painted;
            uint64_t position;
            QImage image;
        };
        auto step = [&](void (VxEventProcessor::*move)()) {
            const int before = images.count();
            (processor.*move)();
            const bool painted = QTest::qWaitFor([&] { return images.count() == before + 1; }, 20000);
            return Shot{painted, processor.currentTimestamp(), painted ? lastImage(images) : QImage()};
        };
        const Shot first = step(&VxEventProcessor::nextFrame);
        const Shot second = step(&VxEventProcessor::nextFrame);
        const Shot third = step(&VxEventProcessor::nextFrame);
        QVERIFY(first.painted && second.painted && third.painted);
        QVERIFY(second.image != third.image);
        const Shot back = step(&VxEventProcessor::preFrame);
        QVERIFY(back.painted);
        QCOMPARE(back.position, second.position);
        QVERIFY(back.image == second.image);
        const Shot backAgain = step(&VxEventProcessor::preFrame);
        QVERIFY(backAgain.painted);
        QCOMPARE(backAgain.position, first.position);
        QVERIFY(backAgain.image == first.image);
        // A seek to a time shows what a step to it showed.
        processor.setPlayPos(third.position);
        QTRY_COMPARE(images.count(), 6);
        QVERIFY(lastImage(images) == third.image);
    }

    void pixelRulesAndThemes()
    {
        VxEventProcessor processor(m_config);
        MainThreadSpy images(&processor, &VxEventProcessor::signalEventImage);
        using tarvo::Event2D;
        std::vector<Event2D> events;
        auto add = [&](int x, int y, int polarity, int count) {
            for (int i = 0; i < count; ++i) {
                events.emplace_back(uint16_t(x), uint16_t(y), uint8_t(polarity),
                                    uint64_t(500 + events.size()));
            }
        };
        add(10, 10, 1, 5); // saturates at 3 against 3: background
        add(10, 10, 0, 5);
        add(20, 10, 1, 2); // more ON than OFF
        add(20, 10, 0, 1);
        add(30, 10, 0, 1); // OFF only
        add(40, 10, 1, 2); // equal counts
        add(40, 10, 0, 2);
        add(1280, 0, 1, 1); // off the sensor: would alias onto (0, 1)
        add(5, 720, 1, 1);  // below the last row
        processor.accumulate(events.data(), events.data() + events.size());
        QCOMPARE(processor.lastBatchTimestamp(), uint64_t(500));
        processor.present();
        QTRY_COMPARE(images.count(), 1);
        QImage image = lastImage(images);
        QCOMPARE(image.size(), QSize(1280, 720));
        QCOMPARE(image.pixelColor(10, 10), rgb(112, 112, 112));
        QCOMPARE(image.pixelColor(20, 10), rgb(255, 255, 255));
        QCOMPARE(image.pixelColor(30, 10), rgb(0, 0, 0));
        QCOMPARE(image.pixelColor(40, 10), rgb(112, 112, 112));
        QCOMPARE(image.pixelColor(0, 1), rgb(112, 112, 112));
        QCOMPARE(image.pixelColor(5, 719), rgb(112, 112, 112));

        // Presenting cleared the counters; a theme change shows on the next frame.
        m_config->setDvsColorType("Dark");
        m_config->updateThemeColors();
        const Event2D on(20, 10, 1, 900);
        processor.accumulate(&on, &on + 1);
        processor.present();
        QTRY_COMPARE(images.count(), 2);
        image = lastImage(images);
        QCOMPARE(image.pixelColor(20, 10), rgb(255, 255, 255));
        QCOMPARE(image.pixelColor(30, 10), rgb(30, 37, 52));
        QCOMPARE(processor.lastBatchTimestamp(), uint64_t(900));

        m_config->setDvsColorType("RedBlue");
        m_config->updateThemeColors();
        const Event2D off(30, 10, 0, 950);
        processor.accumulate(&off, &off + 1);
        processor.showLatest();
        QTRY_COMPARE(images.count(), 3);
        QCOMPARE(lastImage(images).pixelColor(30, 10), rgb(0, 0, 255));
        QCOMPARE(lastImage(images).pixelColor(20, 10), rgb(112, 112, 112));
    }

    void cutAndExportWriteFilesAndTellTheUser()
    {
        VxEventProcessor processor(m_config);
        load(processor, m_recording);
        MainThreadSpy tips(&processor, &VxEventProcessor::signalShowLeftBottomTips);
        MainThreadSpy loading(&processor, &VxEventProcessor::signalLoadingStatus);

        const QString cutPath = m_dir->filePath("cut.raw");
        processor.slotCutRawFile(cutPath, m_dir->path(), kStart + 100000, kStart + 200000);
        QTRY_VERIFY_WITH_TIMEOUT(loading.count() >= 2, 20000);
        QVERIFY(QFile::exists(cutPath));
        QCOMPARE(tips.count(), 1);
        QCOMPARE(tips.first().at(0).toString(), QString("Export raw file success!"));
        QCOMPARE(tips.first().at(1).value<VxMessageType>(), VxMessageType::Success);
        QCOMPARE(tips.first().at(2).toString(), m_dir->path());

        // The cut file plays on its own and holds only the range.
        VxEventProcessor second(m_config);
        MainThreadSpy starts(&second, &VxEventProcessor::signalStartTimeStamp);
        MainThreadSpy ends(&second, &VxEventProcessor::signalEndTimeStamp);
        load(second, cutPath);
        QVERIFY(starts.first().at(0).value<uint64_t>() >= kStart + 100000);
        QVERIFY(ends.first().at(0).value<uint64_t>() <= kStart + 200000);

        // A video of the range, announced once written.
        if (!avcodec_find_encoder(AV_CODEC_ID_H264)) {
            QSKIP("This FFmpeg has no H.264 encoder: the video export cannot be checked here.");
        }
        const QString videoPath = m_dir->filePath("clip.mp4");
        processor.slotExportVideo(videoPath, m_dir->path(), kStart, kEnd);
        QTRY_VERIFY_WITH_TIMEOUT(loading.count() >= 4, 60000);
        QCOMPARE(loading.last().at(0).toBool(), false);
        QCOMPARE(tips.count(), 2);
        QCOMPARE(tips.last().at(0).toString(), QString("Export video success!"));
        QCOMPARE(tips.last().at(1).value<VxMessageType>(), VxMessageType::Success);
        QCOMPARE(tips.last().at(2).toString(), m_dir->path());
        QVERIFY(QFileInfo(videoPath).size() > 0);
    }

    void failedWritesAreReportedAndTheEngineStaysUsable()
    {
        if (!QFileInfo(QStringLiteral("/dev/full")).exists()) {
            QSKIP("No /dev/full here: a write that fails cannot be made.");
        }
        VxEventProcessor processor(m_config);
        load(processor, m_recording);
        MainThreadSpy tips(&processor, &VxEventProcessor::signalShowLeftBottomTips);
        MainThreadSpy loading(&processor, &VxEventProcessor::signalLoadingStatus);

        // Every write to /dev/full fails as on a full disk; the reader throws, the engine lives.
        processor.slotCutRawFile("/dev/full", "/dev", kStart + 100000, kStart + 200000);
        QTRY_VERIFY_WITH_TIMEOUT(loading.count() >= 2, 20000);
        QCOMPARE(loading.last().at(0).toBool(), false);
        QCOMPARE(tips.count(), 1);
        QCOMPARE(tips.last().at(1).value<VxMessageType>(), VxMessageType::Error);
        const QString cutNotice = tips.last().at(0).toString();
        QVERIFY2(cutNotice.startsWith("Export raw file failed: ") && cutNotice.length() > 30,
                 qPrintable(cutNotice));
        QVERIFY(tips.last().at(2).toString().isEmpty());

        // A failed video says why as well (here what the encoder's writer logged).
        processor.slotExportVideo("/dev/full", "/dev", kStart, kEnd);
        QTRY_VERIFY_WITH_TIMEOUT(loading.count() >= 4, 60000);
        QCOMPARE(tips.count(), 2);
        QCOMPARE(tips.last().at(1).value<VxMessageType>(), VxMessageType::Error);
        const QString exportNotice = tips.last().at(0).toString();
        QVERIFY2(exportNotice.startsWith("Export video failed: ") && exportNotice.length() > 25,
                 qPrintable(exportNotice));

        // A range the reader refuses gives its logged reason.
        processor.slotCutRawFile(m_dir->filePath("backwards.raw"), m_dir->path(), kStart + 200000,
                                 kStart + 100000);
        QTRY_VERIFY_WITH_TIMEOUT(loading.count() >= 6, 20000);
        QCOMPARE(tips.count(), 3);
        QCOMPARE(tips.last().at(1).value<VxMessageType>(), VxMessageType::Error);
        QVERIFY(tips.last().at(0).toString().length() > QString("Export raw file failed: ").length());

        // Still usable: steps show pictures and a cut to a real file succeeds.
        MainThreadSpy position(&processor, &VxEventProcessor::signalRealTimeTimeStamp);
        processor.nextFrame();
        QCOMPARE(position.count(), 1);
        const QString cutPath = m_dir->filePath("after_failure.raw");
        processor.slotCutRawFile(cutPath, m_dir->path(), kStart + 100000, kStart + 200000);
        QTRY_VERIFY_WITH_TIMEOUT(loading.count() >= 8, 20000);
        QCOMPARE(tips.last().at(1).value<VxMessageType>(), VxMessageType::Success);
        QVERIFY(QFileInfo(cutPath).size() > 0);
    }

    void picturesHaveTheRecordingsOwnSizeAndDate()
    {
        // A VGA sensor's corners, in a recording without a date.
        const std::vector<tarvo::Event2D> corners = {{0, 0, 1, kStart},
                                                     {639, 479, 0, kStart + 10},
                                                     {639, 0, 1, kStart + 20000},
                                                     {0, 479, 1, kStart + 40000}};
        RecordingSupport::Header vga;
        vga.width = 640;
        vga.height = 480;
        vga.dated = false;
        const QString path = m_dir->filePath("vga.raw");
        QVERIFY(RecordingSupport::writeRecording(path, corners, kStart, vga));

        VxEventProcessor processor(m_config);
        MainThreadSpy sizes(&processor, &VxEventProcessor::signalSensorSize);
        MainThreadSpy local(&processor, &VxEventProcessor::signalLocalTime);
        load(processor, path);
        QCOMPARE(processor.imageSize(), QSize(640, 480));
        QTRY_COMPARE(sizes.count(), 1);
        QCOMPARE(sizes.first().at(0).toSize(), QSize(640, 480));
        MainThreadSpy images(&processor, &VxEventProcessor::signalEventImage);
        processor.nextFrame();
        QTRY_COMPARE(images.count(), 1);
        const QImage picture = lastImage(images);
        QCOMPARE(picture.size(), QSize(640, 480));
        QCOMPARE(picture.pixelColor(0, 0), rgb(255, 255, 255));
        QCOMPARE(picture.pixelColor(639, 479), rgb(0, 0, 0));
        QCOMPARE(picture.pixelColor(639, 0), rgb(255, 255, 255));
        uint16_t on = 0;
        uint16_t off = 0;
        QVERIFY(processor.countsAt(639, 479, on, off));
        QCOMPARE(on, uint16_t(0));
        QCOMPARE(off, uint16_t(1));
        QVERIFY(!processor.countsAt(640, 0, on, off));
        // No date in the header: no wall-clock time at all, rather than 1970.
        QVERIFY(local.count() >= 2);
        for (const QList<QVariant>& args : local) {
            QVERIFY2(args.at(0).toString().isEmpty(), qPrintable(args.at(0).toString()));
        }

        // Without a recording the pictures are the whole buffer again.
        processor.loadFile(QString());
        QCOMPARE(processor.imageSize(), QSize(1280, 720));
    }

    void badTargetsAreReportedWithTheirReason()
    {
        VxEventProcessor processor(m_config);
        load(processor, m_recording);
        MainThreadSpy tips(&processor, &VxEventProcessor::signalShowLeftBottomTips);
        MainThreadSpy loading(&processor, &VxEventProcessor::signalLoadingStatus);
        // No file can be made in /proc, not even by root.
        processor.slotCutRawFile("/proc/cut.raw", "/proc", kStart, kEnd);
        QTRY_VERIFY_WITH_TIMEOUT(loading.count() >= 2, 20000);
        QCOMPARE(tips.count(), 1);
        QCOMPARE(tips.last().at(1).value<VxMessageType>(), VxMessageType::Error);
        QVERIFY2(tips.last().at(0).toString().contains("/proc/cut.raw"),
                 qPrintable(tips.last().at(0).toString()));
        const QString missing = m_dir->filePath("no/such/folder/clip.mp4");
        processor.slotExportVideo(missing, m_dir->filePath("no/such/folder"), kStart, kEnd);
        QTRY_VERIFY_WITH_TIMEOUT(loading.count() >= 4, 20000);
        QCOMPARE(tips.count(), 2);
        QCOMPARE(tips.last().at(1).value<VxMessageType>(), VxMessageType::Error);
        QVERIFY2(tips.last().at(0).toString().contains(missing), qPrintable(tips.last().at(0).toString()));
    }

    void badInputAndClosing()
    {
        auto processor = std::make_unique<VxEventProcessor>(m_config);
        processor->setFps(0);
        processor->setFps(-5);
        QCOMPARE(processor->fps(), 33);
        QCOMPARE(processor->interval(), uint64_t(30303));

        // Steps without a file do nothing.
        MainThreadSpy position(processor.get(), &VxEventProcessor::signalRealTimeTimeStamp);
        processor->nextFrame();
        processor->preFrame();
        processor->setPlayPos(kStart);
        processor->slotPlaybackReset();
        MainThreadSpy refused(processor.get(), &VxEventProcessor::signalPlayStatus);
        processor->slotPlaybackCtrl(true);
        QVERIFY(!processor->isPlaying());
        QCOMPARE(position.count(), 0);
        // The play button is released again: nothing plays.
        QCOMPARE(refused.count(), 1);
        QCOMPARE(refused.first().at(0).toBool(), false);

        // Each refusal says why, and nothing plays.
        MainThreadSpy tips(processor.get(), &VxEventProcessor::signalShowLeftBottomTips);
        MainThreadSpy loaded(processor.get(), &VxEventProcessor::signalFileLoaded);
        MainThreadSpy status(processor.get(), &VxEventProcessor::signalPlayStatus);
        QFile notes(m_dir->filePath("notes.txt"));
        QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("a shopping list\n") > 0);
        notes.close();
        processor->loadFile(notes.fileName());
        QVERIFY(!processor->hasFile());
        QVERIFY(!processor->isLoading());
        QTRY_COMPARE(tips.count(), 1);
        QVERIFY(tips.last().at(0).toString().contains("not a RAW recording"));

        const QString empty = m_dir->filePath("empty.raw");
        QVERIFY(QFile(empty).open(QIODevice::WriteOnly));
        const QString headerOnly = m_dir->filePath("header_only.raw");
        QVERIFY(RecordingSupport::writeRecording(headerOnly, {}, kStart));
        for (const QString& broken : {m_dir->filePath("missing.raw"), empty, headerOnly}) {
            const int before = tips.count();
            processor->loadFile(broken);
            QTRY_COMPARE_WITH_TIMEOUT(tips.count(), before + 1, 20000);
            QTRY_VERIFY(!processor->isLoading());
            QVERIFY(!processor->hasFile());
            QCOMPARE(tips.last().at(1).value<VxMessageType>(), VxMessageType::Error);
            const QString notice = tips.last().at(0).toString();
            QVERIFY2(notice.startsWith("Could not open") && notice.length() > 35, qPrintable(notice));
            QCOMPARE(loaded.last().at(0).toBool(), false);
        }
        for (const QList<QVariant>& args : status) {
            QVERIFY(!args.at(0).toBool());
        }

        // Closing while playing stops the play thread and the file.
        load(*processor, m_recording);
        processor->slotPlayLoop(true);
        processor->slotPlaybackCtrl(true);
        processor->slotPlaybackCtrl(true); // a second start is ignored
        QVERIFY(processor->isPlaying());
        processor->loadFile(QString());
        QVERIFY(!processor->isPlaying());
        QVERIFY(!processor->hasFile());

        // Destroyed while a load runs: the load finishes before the reader and the engine go.
        processor->loadFile(m_recording);
        processor.reset();
    }
};

QTEST_MAIN(EventProcessorTest)
#include "EventProcessorTest.moc"
