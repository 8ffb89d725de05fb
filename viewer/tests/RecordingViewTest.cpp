// Recording from the live view of a simulated camera: by hand with the record button, timed after
// trigger edges, refused while one runs, and a recording whose file cannot be written.
#include "AppConfig.h"
#include "MainWidget.h"
#include "TestSupport.h"
#include "VxEventProcessor.h"
#include "VxFilePathReminderForm.h"
#include "VxFileRecorder.h"
#include "VxLiveCamera.h"

#include "TarvoDriver/DvsCamera.h"
#include "TarvoSim/SimBus.h"

#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <QScopeGuard>

#include <atomic>
#include <csignal>

#include <sys/resource.h>

namespace {

constexpr int kTimeout = 30000;
const QString kSerial = "KST-USB-0001";

QPushButton* button(MainWidget& window, const char* name)
{
    return window.findChild<QPushButton*>(name);
}

QStringList recordingsIn(const QString& folder)
{
    return QDir(folder).entryList({"*.raw"}, QDir::Files, QDir::Name);
}

// The local time a recording's name carries: SERIAL_yyyyMMdd_HHmmss.raw.
QDateTime timeInName(const QString& name)
{
    const QRegularExpressionMatch match =
        QRegularExpression("^" + QRegularExpression::escape(kSerial) + "_(\\d{8}_\\d{6})\\.raw$").match(name);
    return match.hasMatch() ? QDateTime::fromString(match.captured(1), "yyyyMMdd_HHmmss") : QDateTime();
}

} // namespace

class RecordingViewTest : public QObject
{
    Q_OBJECT

private:
    TestHome* m_home = nullptr;
    QTemporaryDir* m_folder = nullptr;

    bool openLive(MainWidget& window)
    {
        window.openCamera(kSerial);
        return QTest::qWaitFor([&] { return window.liveCamera()->isLive(); }, kTimeout);
    }

    void armTriggerRecording(bool enable, const QString& edge, uint32_t before, uint32_t after)
    {
        AppConfig* config = AppConfig::instance();
        config->setDvsTriggerInRecEnable(enable);
        config->setDvsTriggerInRecEdgeType(edge);
        config->setDvsBeforeTriggerInSaveTime(before);
        config->setDvsAfterTriggerInSaveTime(after);
    }

    // Plays a recording in the window; its length in µs, 0 when it does not open.
    uint64_t playRecording(MainWidget& window, const QString& path)
    {
        window.openRecording(path);
        VxEventProcessor* engine = window.eventProcessor();
        if (!QTest::qWaitFor([&] { return engine->hasFile() && engine->isPlaying(); }, kTimeout)) {
            return 0;
        }
        return engine->upperTimestamp() - engine->lowerTimestamp();
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
        m_folder = new QTemporaryDir;
        AppConfig::instance()->setOutputRawFilePath(m_folder->path());
        armTriggerRecording(false, "Rising Edge", 0, 0);
    }
    void cleanup()
    {
        delete m_folder;
        m_folder = nullptr;
    }

    void aRecordingByHandIsNamedAfterTheCameraAndPlaysBack()
    {
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        QPushButton* record = button(window, "pb_record");
        QVERIFY(!record->isEnabled());
        QVERIFY(openLive(window));
        QVERIFY(record->isEnabled());

        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        QTest::mouseClick(record, Qt::LeftButton);
        QVERIFY(record->isChecked());
        QVERIFY(window.fileRecorder()->isRecording());
        // The elapsed time and the size of the file so far.
        auto* time = window.findChild<QLabel*>("lb_recoding_time");
        QTRY_VERIFY_WITH_TIMEOUT(
            QRegularExpression("^00:00:0[1-9]  [0-9.]+ [KM]iB$").match(time->text()).hasMatch(), kTimeout);
        QVERIFY(TestSupport::saveRender(&window, "MainWidget_recording"));
        QTest::mouseClick(record, Qt::LeftButton);
        const QDateTime after = QDateTime::currentDateTime();
        QVERIFY(!record->isChecked());
        QVERIFY(time->text().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(TestSupport::toastSaying(&window, "Save file success!"), kTimeout);
        QCOMPARE(TestSupport::toastSaying(&window, "Save file success!")->type(), VxMessageType::Success);

        const QStringList files = recordingsIn(m_folder->path());
        QCOMPARE(files.size(), 1);
        const QDateTime named = timeInName(files.first());
        QVERIFY2(named.isValid(), qPrintable(files.first()));
        QVERIFY(named >= before.addMSecs(-before.time().msec()) && named <= after);

        // The file is a RAW recording of about the time it ran.
        const uint64_t length = playRecording(window, m_folder->filePath(files.first()));
        QVERIFY2(length > 500000 && length < 20000000, qPrintable(QString::number(length)));
        QCOMPARE(window.viewerType(), MainWidget::ViewerRawFile);
    }

    void triggerEdgesStartTimedRecordingsOfTheChosenEdge_data()
    {
        QTest::addColumn<QString>("edge");
        QTest::addColumn<int>("polarity");
        QTest::newRow("rising") << "Rising Edge" << 1;
        QTest::newRow("falling") << "Falling Edge" << 0;
    }

    void triggerEdgesStartTimedRecordingsOfTheChosenEdge()
    {
        QFETCH(QString, edge);
        QFETCH(int, polarity);
        armTriggerRecording(true, edge, 2, 1);
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        MainThreadSpy requests(&window, &MainWidget::signalRecByTime);
        QVERIFY(openLive(window));
        // The edges the camera sends, counted beside the window's handler from the next start on.
        QPushButton* play = button(window, "pb_play");
        QTest::mouseClick(play, Qt::LeftButton);
        std::atomic<int> chosen{0};
        std::atomic<uint64_t> firstEdge{0};
        window.liveCamera()->dvsCamera()->addTriggerInCallback(
            [&chosen, &firstEdge, polarity](tarvo::EventTriggerIn trigger) {
                if (trigger.polarity == polarity && chosen++ == 0) {
                    firstEdge = trigger.timestamp;
                }
            });
        QCoreApplication::sendPostedEvents();
        const int earlier = requests.count();
        QTest::mouseClick(play, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(window.liveCamera()->isLive(), kTimeout);
        // The first chosen edge starts a recording (the recorder takes the request before the
        // spy does), which then runs its time and is saved.
        QTRY_VERIFY_WITH_TIMEOUT(requests.count() > earlier, kTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(!window.fileRecorder()->isRecording(), kTimeout);
        QTRY_VERIFY(TestSupport::toastSaying(&window, "Recording end"));
        // Stopping joins the camera's threads: every edge has been handled by then.
        QTest::mouseClick(play, Qt::LeftButton);
        QVERIFY(chosen.load() >= 1);
        // Each edge of the chosen kind asked for a recording of the after-trigger time; the ones
        // of the other kind did not.
        QTRY_COMPARE(requests.count() - earlier, chosen.load());
        QCOMPARE(requests.at(earlier).at(0).toUInt(), 1u);
        const QString path = requests.at(earlier).at(1).toString();
        QCOMPARE(QFileInfo(path).absolutePath(), m_folder->path());
        QVERIFY2(timeInName(QFileInfo(path).fileName()).isValid(), qPrintable(path));

        // The first recording begins before its trigger (the cache kept what came before) and
        // goes on for the after-trigger time.
        QVERIFY(QFileInfo::exists(path));
        QVERIFY(playRecording(window, path) > 0);
        const uint64_t first = window.eventProcessor()->lowerTimestamp();
        const uint64_t last = window.eventProcessor()->upperTimestamp();
        QVERIFY2(first < firstEdge && last > firstEdge + 900000,
                 qPrintable(QString("%1 to %2, trigger at %3").arg(first).arg(last).arg(firstEdge.load())));
    }

    void aTimedRecordingRefusesAnotherUntilItEnds()
    {
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        QVERIFY(openLive(window));
        VxFileRecorder* recorder = window.fileRecorder();
        const QString first = m_folder->filePath("first.raw");
        const QString second = m_folder->filePath("second.raw");
        QVERIFY(recorder->startRecording(60, first));
        QVERIFY(!recorder->startRecording(60, second));
        QTRY_VERIFY(TestSupport::toastSaying(&window, "Currently being recorded."));
        QCOMPARE(TestSupport::toastSaying(&window, "Currently being recorded.")->type(),
                 VxMessageType::Warning);
        // Nor does the record button start one.
        QTest::mouseClick(button(window, "pb_record"), Qt::LeftButton);
        QVERIFY(!button(window, "pb_record")->isChecked());
        // Stopping the live view ends it early; the file keeps what was recorded.
        QTest::mouseClick(button(window, "pb_play"), Qt::LeftButton);
        QVERIFY(!recorder->isRecording());
        QTRY_VERIFY(TestSupport::toastSaying(&window, "Recording end"));
        QCOMPARE(recordingsIn(m_folder->path()), QStringList{"first.raw"});
    }

    void anAfterTriggerTimeOfZeroRecordsNothing()
    {
        armTriggerRecording(true, "Rising Edge", 1, 0);
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        MainThreadSpy requests(&window, &MainWidget::signalRecByTime);
        QVERIFY(openLive(window));
        QTRY_VERIFY_WITH_TIMEOUT(requests.count() >= 2, kTimeout);
        QTRY_VERIFY(TestSupport::toastSaying(&window, "Currently being recorded."));
        QVERIFY(!window.fileRecorder()->isRecording());
        QVERIFY(recordingsIn(m_folder->path()).isEmpty());
        QVERIFY(!TestSupport::toastTexts(&window).contains("Recording end"));
    }

    void aRecordingThatCannotBeWrittenStopsAndSaysWhy()
    {
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        QVERIFY(openLive(window));
        // A folder that is not there: the file cannot be created.
        AppConfig::instance()->setOutputRawFilePath(m_folder->filePath("gone"));
        QTest::mouseClick(button(window, "pb_record"), Qt::LeftButton);
        QVERIFY(!button(window, "pb_record")->isChecked());
        QTRY_VERIFY(
            !TestSupport::toastTexts(&window).filter(QRegularExpression("^Recording failed: .+")).isEmpty());

        // A disk that fills up while recording, as a limit on the size of files this process
        // writes: the recording stops and says why.
        AppConfig::instance()->setOutputRawFilePath(m_folder->path());
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto restore = qScopeGuard([old] {
            setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, SIG_DFL);
        });
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 1 << 20;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        QTest::mouseClick(button(window, "pb_record"), Qt::LeftButton);
        QVERIFY(button(window, "pb_record")->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT(!button(window, "pb_record")->isChecked(), kTimeout);
        QTRY_VERIFY(
            TestSupport::toastTexts(&window).filter(QRegularExpression("^Recording failed: .+")).size() == 2);
        QVERIFY(window.findChild<QLabel*>("lb_recoding_time")->text().isEmpty());
        QVERIFY(!window.fileRecorder()->isRecording());
        // What was written before the disk filled up stays.
        QCOMPARE(recordingsIn(m_folder->path()).size(), 1);

        // A timed recording ends as early, and says so too.
        QVERIFY(window.fileRecorder()->startRecording(60, m_folder->filePath("timed.raw")));
        QTRY_VERIFY_WITH_TIMEOUT(!window.fileRecorder()->isRecording(), kTimeout);
        QTRY_VERIFY(
            TestSupport::toastTexts(&window).filter(QRegularExpression("^Recording failed: .+")).size() == 3);
        QVERIFY(!TestSupport::toastTexts(&window).contains("Recording end"));
    }
};

QTEST_MAIN(RecordingViewTest)
#include "RecordingViewTest.moc"
