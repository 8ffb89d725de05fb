// Plays a recording of the moving scene in the main window and keeps pictures of a few moments
// in build/viewer/tests/renders/Playback_*.png. Set TARVO_PLAYBACK_RAW to play another recording
// (the demo recording, say) instead of the generated one.
#include "AppConfig.h"
#include "MainWidget.h"
#include "RecordingSupport.h"
#include "ShowImageForm.h"
#include "TestSupport.h"
#include "VxEventProcessor.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class PlaybackViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { TestSupport::initViewerApplication(); }
    void init() { TestSupport::failOnAnyWarning(); }

    void playingTheSceneShowsItsEvents()
    {
        TestHome home;
        QTemporaryDir dir;
        QString path = qEnvironmentVariable("TARVO_PLAYBACK_RAW");
        if (path.isEmpty()) {
            path = dir.filePath("scene.raw");
            QVERIFY(RecordingSupport::writeSceneRecording(path, 0, 1500000, 2e6));
        }
        AppConfig* config = AppConfig::instance();
        config->setDvsColorType("Gray");
        config->updateThemeColors();

        MainWidget window;
        window.resize(1400, 900);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        VxEventProcessor* engine = window.eventProcessor();
        MainThreadSpy images(engine, &VxEventProcessor::signalEventImage);
        MainThreadSpy position(engine, &VxEventProcessor::signalRealTimeTimeStamp);
        window.openRecording(path);

        // A few frames in, and later on.
        QTRY_VERIFY_WITH_TIMEOUT(images.count() >= 5, 30000);
        QVERIFY(TestSupport::saveRender(&window, "Playback_1_start"));
        const uint64_t first = position.first().at(0).value<uint64_t>();
        QTRY_VERIFY_WITH_TIMEOUT(position.last().at(0).value<uint64_t>() > first + 700000, 30000);
        QVERIFY(TestSupport::saveRender(&window, "Playback_2_later"));

        // Paused, one step on: the picture is the scene in the theme colours.
        QTest::keyClick(&window, Qt::Key_Space);
        QVERIFY(!engine->isPlaying());
        const int before = images.count();
        QTest::keyClick(&window, Qt::Key_Right);
        QTRY_VERIFY(images.count() > before);
        const QImage frame = images.last().at(0).value<QImage>();
        const TestSupport::ColourCounts grey =
            TestSupport::countColours(frame, QColor(255, 255, 255), QColor(0, 0, 0), QColor(112, 112, 112));
        QVERIFY2(grey.on > 1000 && grey.off > 1000,
                 qPrintable(QString("%1 ON, %2 OFF").arg(grey.on).arg(grey.off)));
        QCOMPARE(grey.on + grey.off + grey.background, frame.width() * frame.height());
        QTRY_VERIFY(!window.findChild<ShowImageForm*>("widget_show_image")->pixmap().isNull());
        QVERIFY(TestSupport::saveRender(&window, "Playback_3_paused"));

        config->setDvsColorType("Dark");
        config->updateThemeColors();
        // Frames of the paused playback may still be on their way; the step's frame comes last.
        QTest::keyClick(&window, Qt::Key_Right);
        auto lastIsDark = [&] {
            const QImage dark = images.last().at(0).value<QImage>();
            const TestSupport::ColourCounts c = TestSupport::countColours(
                dark, QColor(255, 255, 255), QColor(64, 126, 200), QColor(30, 37, 52));
            return c.on > 1000 && c.off > 1000 && c.on + c.off + c.background == dark.width() * dark.height();
        };
        QTRY_VERIFY(lastIsDark());
        // The view takes the picture through a queued signal; photograph it once it shows.
        auto* view = window.findChild<ShowImageForm*>("widget_show_image");
        auto viewIsDark = [&] {
            const QImage shown = view->pixmap().toImage();
            const TestSupport::ColourCounts c = TestSupport::countColours(
                shown, QColor(255, 255, 255), QColor(64, 126, 200), QColor(30, 37, 52));
            return c.on + c.off + c.background == shown.width() * shown.height();
        };
        QTRY_VERIFY(viewIsDark());
        QVERIFY(TestSupport::saveRender(&window, "Playback_4_dark_theme"));
        config->setDvsColorType("Gray");
        config->updateThemeColors();
    }
};

QTEST_MAIN(PlaybackViewTest)
#include "PlaybackViewTest.moc"
