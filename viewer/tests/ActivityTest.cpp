// The activity strip under the timeline: event rates read off a recording's bookmark index, sent
// by the load, and drawn as bars under the track.
#include "MainWidget.h"
#include "RecordingSupport.h"
#include "TestSupport.h"
#include "VxActivityProfile.h"
#include "VxEventProcessor.h"
#include "VxThreeHandleSlider.h"

#include "TarvoDriver/DvsFileReader.h"
#include "TarvoDriver/RawFileReader.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr uint64_t kStart = 500000;
constexpr uint64_t kBurstFrom = 1500000;
constexpr uint64_t kBurstTo = 2000000;
constexpr uint64_t kEnd = 3000000;

// Quiet (an event a millisecond), a burst (twenty a millisecond), quiet again.
std::vector<tarvo::Event2D> burstEvents()
{
    std::vector<tarvo::Event2D> events;
    for (uint64_t t = kStart; t <= kEnd; t += 50) {
        const bool burst = t >= kBurstFrom && t < kBurstTo;
        if (burst || t % 1000 == 0) {
            events.emplace_back(uint16_t(t / 50 % 1280), uint16_t(t / 50 / 1280 % 720), uint8_t(1), t);
        }
    }
    return events;
}

// The recording's time at the middle of point i of n.
uint64_t timeOfPoint(int i, int n)
{
    return kStart + (kEnd - kStart) * (2 * uint64_t(i) + 1) / (2 * uint64_t(n));
}

} // namespace

class ActivityTest : public QObject
{
    Q_OBJECT

private:
    TestHome* m_home = nullptr;
    QTemporaryDir* m_dir = nullptr;
    QString m_recording;

    // Checks a profile of burstEvents(): about 1 000 events a second before and after the burst
    // and 20 000 within it, the edges where they belong.
    static void verifyBurstShape(const QVector<double>& rates)
    {
        QCOMPARE(rates.size(), VxActivityProfile::kMaxPoints);
        for (int i = 0; i < rates.size(); ++i) {
            const uint64_t t = timeOfPoint(i, int(rates.size()));
            // Points that straddle an edge may hold a part of each side.
            const uint64_t slice = (kEnd - kStart) / uint64_t(rates.size());
            if (t + slice >= kBurstFrom && t <= kBurstFrom + slice) {
                continue;
            }
            if (t + slice >= kBurstTo && t <= kBurstTo + slice) {
                continue;
            }
            const bool burst = t > kBurstFrom && t < kBurstTo;
            const double expected = burst ? 20000 : 1000;
            QVERIFY2(qAbs(rates.at(i) - expected) < expected * 0.15,
                     qPrintable(QString("point %1 at %2 us: %3 ev/s").arg(i).arg(t).arg(rates.at(i))));
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_home = new TestHome;
        TestSupport::initViewerApplication();
        m_dir = new QTemporaryDir;
        m_recording = m_dir->filePath("burst.raw");
        QVERIFY(RecordingSupport::writeRecording(m_recording, burstEvents(), kStart));
    }
    void cleanupTestCase()
    {
        delete m_dir;
        delete m_home;
    }
    void init() { TestSupport::failOnAnyWarning(); }

    void theIndexGivesTheRateOfEachPartOfTheRecording()
    {
        auto reader = tarvo::DvsFileReader::createFileReader(m_recording.toStdString());
        QVERIFY(reader);
        QVERIFY(reader->loadFile());
        auto* raw = dynamic_cast<tarvo::RawFileReader*>(reader.get());
        QVERIFY(raw);
        uint64_t first = 0;
        uint64_t last = 0;
        QVERIFY(reader->getStartTimeStamp(first) && reader->getEndTimeStamp(last));
        verifyBurstShape(VxActivityProfile::eventRates(*raw, first, last));
        QVERIFY(qAbs(VxActivityProfile::rateBetween(*raw, 1600000, 1900000) - 20000) < 500);

        // A span shorter than two bookmarks gets one point; an empty span none.
        QCOMPARE(VxActivityProfile::eventRates(*raw, first, first + 3000).size(), 1);
        QVERIFY(VxActivityProfile::eventRates(*raw, first, first).isEmpty());
        // Before the recording the index cannot tell.
        QVERIFY(VxActivityProfile::rateBetween(*raw, 0, 100) < 0);
    }

    void theLoadSendsTheProfileBeforeItSaysTheRecordingIsOpen()
    {
        VxEventProcessor engine;
        MainThreadSpy activity(&engine, &VxEventProcessor::signalActivity);
        MainThreadSpy loaded(&engine, &VxEventProcessor::signalFileLoaded);
        QList<int> order;
        connect(&engine, &VxEventProcessor::signalActivity, this, [&order] { order << 1; });
        connect(&engine, &VxEventProcessor::signalFileLoaded, this, [&order] { order << 2; });
        engine.loadFile(m_recording);
        QTRY_VERIFY_WITH_TIMEOUT(loaded.count() == 1, 20000);
        QCOMPARE(activity.count(), 1);
        QCOMPARE(order, (QList<int>{1, 2}));
        verifyBurstShape(activity.first().at(0).value<QVector<double>>());
    }

    void theStripDrawsEachSliceAsTallAsItsShareOfTheBusiest()
    {
        VxThreeHandleSlider slider;
        slider.setMinimum(0);
        slider.setMaximum(1000);
        const int plainHeight = slider.sizeHint().height();
        slider.setActivity({1, 1, 10, 10, 0});
        QVERIFY(slider.sizeHint().height() > plainHeight);
        slider.resize(414, slider.sizeHint().height());
        slider.show();
        QVERIFY(QTest::qWaitForWindowExposed(&slider));
        const QRect strip = slider.activityRect();
        QVERIFY(!strip.isEmpty());
        // The handles keep to the track above the strip.
        QVERIFY(slider.centerHandleRect().bottom() < strip.top());

        const QImage picture = slider.grab().toImage();
        auto barHeight = [&](int slice) {
            const int x = strip.left() + strip.width() * (2 * slice + 1) / 10;
            int height = 0;
            for (int y = strip.bottom(); y >= strip.top(); --y) {
                const QColor c = picture.pixelColor(x, y);
                // The bars are the accent colour over the strip's light ground.
                height += c.blue() > c.red() + 40 ? 1 : 0;
            }
            return height;
        };
        QCOMPARE(barHeight(2), strip.height());
        QCOMPARE(barHeight(3), strip.height());
        QVERIFY2(barHeight(0) >= 1 && barHeight(0) <= 2, qPrintable(QString::number(barHeight(0))));
        QCOMPARE(barHeight(4), 0);

        slider.setActivity({});
        QVERIFY(slider.activityRect().isEmpty());
        QCOMPARE(slider.sizeHint().height(), plainHeight);
    }

    void theTimelineShowsTheStripOnceARecordingHasLoaded()
    {
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        VxThreeHandleSlider* slider = window.timeSlider();
        QVERIFY(slider->activity().isEmpty());
        window.openRecording(m_recording);
        QTRY_VERIFY_WITH_TIMEOUT(!slider->activity().isEmpty(), 20000);
        QTRY_VERIFY(slider->height() >= slider->sizeHint().height());
        verifyBurstShape(slider->activity());
        QVERIFY(TestSupport::saveRender(&window, "MainWidget_activity_strip"));

        // A recording that does not open leaves no strip of the one before.
        const QString broken = m_dir->filePath("broken.raw");
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        window.openRecording(broken);
        QVERIFY(slider->activity().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(window.viewerType() == MainWidget::ViewerNone, 20000);
        QVERIFY(slider->activity().isEmpty());
    }
};

QTEST_MAIN(ActivityTest)
#include "ActivityTest.moc"
