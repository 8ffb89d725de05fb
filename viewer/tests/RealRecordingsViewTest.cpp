// The three real camera recordings and a demo recording opened one after another in one main
// window with the range handles on, as a user would: each shows whole, at its own size, with
// its date where it has one, and leaves nothing of itself to the next. Pictures of each go to
// build/viewer/tests/renders/Real_*.png (and Screen_*.png on a real display). Set
// TARVO_DEMO_RAW to use a demo made by `tarvo synth` instead of a generated one.
#include "AppConfig.h"
#include "MainWidget.h"
#include "RecordingSupport.h"
#include "ShowImageForm.h"
#include "TestSupport.h"
#include "VxEventProcessor.h"
#include "VxThreeHandleSlider.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Recording
{
    QString file;
    QSize size;
    QString date; // how the wall-clock time begins, empty when the header has no date
};

} // namespace

class RealRecordingsViewTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { TestSupport::initViewerApplication(); }
    void init() { TestSupport::failOnAnyWarning(); }

    void eachRecordingShowsWholeAndLeavesNothingToTheNext()
    {
        const QDir source(QStringLiteral(TARVO_REALDATA_DIR));
        if (!source.exists()) {
            QSKIP("The real recordings are not here.");
        }
        TestHome home;
        QTemporaryDir dir;
        // Opening writes an index beside the recording: work on copies.
        const QList<Recording> recordings = {
            {"hd_gen41_evk3_2020_excerpt.raw", QSize(1280, 720), "2020-09-25"},
            {"vga_640x480_triggers_from_rosbag.raw", QSize(640, 480), QString()},
            {"hd_1280x720_triggers_from_rosbag.raw", QSize(1280, 720), QString()},
            {"demo.raw", QSize(1280, 720), "20"},
        };
        for (const Recording& recording : recordings) {
            const QString copy = dir.filePath(recording.file);
            if (recording.file == "demo.raw") {
                const QString demo = qEnvironmentVariable("TARVO_DEMO_RAW");
                QVERIFY(demo.isEmpty() ? RecordingSupport::writeSceneRecording(copy, 0, 3000000, 2e6)
                                       : QFile::copy(demo, copy));
            } else {
                QVERIFY2(QFile::copy(source.filePath(recording.file), copy), qPrintable(recording.file));
            }
        }
        AppConfig* config = AppConfig::instance();
        config->setDvsColorType("Gray");
        config->updateThemeColors();

        MainWidget window;
        window.resize(1400, 900);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        VxEventProcessor* engine = window.eventProcessor();
        VxThreeHandleSlider* slider = window.timeSlider();
        auto* view = window.findChild<ShowImageForm*>("widget_show_image");
        auto* play = window.findChild<QPushButton*>("pb_play");
        auto* localTime = window.findChild<QLabel*>("label_show_timestamp_info");
        auto* status = window.findChild<QLabel*>("lb_status_bar");
        window.findChild<QAction*>("action_toggle_start_end")->trigger();

        for (const Recording& recording : recordings) {
            window.openRecording(dir.filePath(recording.file));
            // It plays at once; a short one may be over before we look.
            QTRY_VERIFY_WITH_TIMEOUT(engine->hasFile() && slider->isEnabled(), 30000);
            if (play->isChecked()) {
                QTest::keyClick(&window, Qt::Key_Space);
            }
            QTRY_VERIFY(!play->isChecked() && !engine->isPlaying());

            // The whole recording is the range, whatever the last one left.
            QVERIFY(slider->maximum() > slider->minimum());
            QCOMPARE(slider->lowerValue(), slider->minimum());
            QCOMPARE(slider->upperValue(), slider->maximum());
            QCOMPARE(engine->lowerTimestamp(), slider->minimum());
            QCOMPARE(engine->upperTimestamp(), slider->maximum());

            // Three steps in from the middle: a picture of the recording's own size.
            QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() / 2, slider->height() / 2));
            for (int i = 0; i < 3; ++i) {
                QTest::keyClick(&window, Qt::Key_Right);
            }
            QTRY_COMPARE(view->pixmap().size(), recording.size);
            const uint64_t position = engine->currentTimestamp();
            QTRY_COMPARE(slider->centerValue(), position);
            // The Gray theme's ON and OFF pixels, many of them.
            auto lit = [&] {
                const auto counts = TestSupport::countColours(view->pixmap().toImage(), config->onColor(),
                                                              config->offColor(), config->backgroundColor());
                return counts.on + counts.off;
            };
            QTRY_VERIFY(lit() > 100);
            const QString label = window.findChild<QLabel*>("label_time")->text();
            QCOMPARE(label, MainWidget::timeText(position) + "/" + MainWidget::timeText(slider->maximum()));
            QTRY_VERIFY2(status->text().contains(
                             QString("%1 × %2 px").arg(recording.size.width()).arg(recording.size.height())),
                         qPrintable(status->text()));
            QVERIFY2(status->text().contains("events shown"), qPrintable(status->text()));
            // A date where the header has one that the reader understands, never 1970.
            QVERIFY2(!localTime->text().startsWith("1970"), qPrintable(localTime->text()));
            if (recording.date.isEmpty()) {
                QVERIFY2(localTime->text().isEmpty(), qPrintable(localTime->text()));
            } else if (!localTime->text().isEmpty()) {
                QVERIFY2(localTime->text().startsWith(recording.date), qPrintable(localTime->text()));
            }
            const QString name = QFileInfo(recording.file).completeBaseName();
            QVERIFY(TestSupport::saveRender(&window, "Real_" + name));
            if (QGuiApplication::platformName() == "xcb") {
                // Laid out, painted and handed to the display now, so that the screen holds this state.
                QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
                window.repaint();
                QGuiApplication::primaryScreen()->grabWindow(0).save(QStringLiteral(TARVO_RENDER_DIR) +
                                                                     "/Screen_" + name + ".png");
            }

            // Narrow the range before the next recording comes (the position stands at the end).
            const QPoint lower = slider->lowerHandleRect().center();
            QTest::mousePress(slider, Qt::LeftButton, {}, lower);
            QTest::mouseMove(slider, lower + QPoint(slider->width() / 5, 0));
            QTest::mouseRelease(slider, Qt::LeftButton, {}, lower + QPoint(slider->width() / 5, 0));
            QVERIFY(slider->lowerValue() > slider->minimum());
        }
    }
};

QTEST_MAIN(RealRecordingsViewTest)
#include "RealRecordingsViewTest.moc"
