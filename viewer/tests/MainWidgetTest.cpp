// The main window with a real playback engine: opening recordings, the menus, the play keys,
// the time text, the export and cut dialogs and the toasts.
#include "MainWidget.h"
#include "AppConfig.h"
#include "RecordingSupport.h"
#include "ShowImageForm.h"
#include "TestSupport.h"
#include "VXMessageBox.h"
#include "VxEventProcessor.h"
#include "VxFilePathReminderForm.h"
#include "VxFusionCameraDataProcessor.h"
#include "VxGraphicsView.h"
#include "VxRangeFileDialog.h"
#include "VxThreeHandleSlider.h"
#include "WaitingWin.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

void onNextDialog(std::function<void(VxRangeFileDialog*)> handle)
{
    TestSupport::onNextModal<VxRangeFileDialog>(std::move(handle));
}

// The picture of a window that shows no recording: the theme background at full size.
QImage blankPicture()
{
    QImage blank(1280, 720, QImage::Format_RGB888);
    blank.fill(AppConfig::instance()->backgroundColor());
    return blank.convertToFormat(QImage::Format_RGB32);
}

// Closes the next message box once it is shown, keeping its message.
void closeNextMessageBox(QString* message)
{
    TestSupport::onNextModal<VXMessageBox>([message](VXMessageBox* box) {
        *message = box->message();
        QTest::mouseClick(box->findChild<QPushButton*>("pb_open"), Qt::LeftButton);
    });
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
        // Camera Info describes an open camera; there is none yet.
        QVERIFY(window.menuAction(MainWidget::MenuCommand::OpenCamera)->isEnabled());
        QVERIFY(!window.menuAction(MainWidget::MenuCommand::CameraInfo)->isEnabled());
        QVERIFY(window.menuAction(MainWidget::MenuCommand::IpConfiguration)->isEnabled());
        QVERIFY(window.menuAction(MainWidget::MenuCommand::GeneralSetting)->isEnabled());
        QCOMPARE(actionTexts(window.findChild<QPushButton*>("pb_menu_setting")),
                 (QStringList{"General Setting", QString("EN/中文")}));
        QVERIFY(!window.saveAsAction()->isVisible());
        QVERIFY(!window.cutRecordingAction()->isVisible());
        QVERIFY(!window.timeSlider()->isEnabled());
        QVERIFY(!window.findChild<QPushButton*>("pb_play")->isEnabled());
        QCOMPARE(window.findChild<QLabel*>("label_time")->text(), QString("--/ --"));

        // Export and cut need a RAW recording.
        QVERIFY(TestSupport::showMainWindow(window));
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
        QVERIFY(TestSupport::showMainWindow(window));
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
        QVERIFY(TestSupport::showMainWindow(window));
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
        // The engine's reports reach the window queued, in the order they were made.
        QTRY_COMPARE(window.timeSlider()->centerValue(), kStart + engine->interval());
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
        QTRY_VERIFY(!play->isChecked());

        // A click on the track seeks there and shows the picture of that time.
        VxThreeHandleSlider* track = window.timeSlider();
        const QPoint middle(int(track->positionForValue(kStart + 150000)), track->height() / 2);
        const uint64_t clicked = track->valueForPosition(middle.x());
        QTest::mouseClick(track, Qt::LeftButton, {}, middle);
        QVERIFY(clicked > kStart + 100000 && clicked < kStart + 200000);
        QCOMPARE(engine->currentTimestamp(), clicked);
        QTRY_COMPARE(window.findChild<QLabel*>("label_time")->text(),
                     MainWidget::timeText(clicked) + "/" + MainWidget::timeText(kEnd));

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

    void onlyARecordingWithTheFusionHeaderIsAFusionRecording()
    {
        auto writeVideo = [](const QString& path) {
            QFile video(path);
            return video.open(QIODevice::WriteOnly) && video.write("not really a video") > 0;
        };
        // A clip exported beside its recording does not lock the recording out.
        const QString exported = m_dir->filePath("exported.raw");
        QVERIFY(QFile::copy(m_recording, exported));
        QVERIFY(writeVideo(m_dir->filePath("exported.mp4")));
        // What the fusion camera writes: its header begins with the frame stream's start.
        RecordingSupport::Header fusionHeader;
        fusionHeader.leadingLine = "% aps_start_timestamp 2000000\n";
        const QString fusion = m_dir->filePath("fusion.raw");
        QVERIFY(RecordingSupport::writeRecording(fusion, RecordingSupport::tickEvents(kStart, kEnd, 1000),
                                                 kStart, fusionHeader));
        QVERIFY(writeVideo(m_dir->filePath("fusion.mp4")));
        const QString fusionAlone = m_dir->filePath("fusion_alone.raw");
        QVERIFY(QFile::copy(fusion, fusionAlone));

        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        openAndPlayThrough(window, exported);
        QCOMPARE(window.viewerType(), MainWidget::ViewerRawFile);
        QVERIFY(window.saveAsAction()->isVisible());
        QVERIFY(window.eventProcessor()->hasFile());

        QSignalSpy rawOpened(&window, &MainWidget::signalOpenRawFile);
        QSignalSpy fusionOpened(&window, &MainWidget::signalOpenFusionFile);
        window.openRecording(fusion);
        QCOMPARE(window.viewerType(), MainWidget::ViewerFusionFile);
        QCOMPARE(rawOpened.first().at(0).toString(), QString());
        QCOMPARE(fusionOpened.first().at(0).toString(), fusion);
        QVERIFY(!window.saveAsAction()->isVisible());
        QVERIFY(!window.cutRecordingAction()->isVisible());
        QVERIFY(!window.eventProcessor()->hasFile());
        // The fusion processor takes it, and says that this video cannot be played.
        QTRY_COMPARE(toasts(window).size(), 1);
        QCOMPARE(toasts(window).first()->type(), VxMessageType::Error);
        QVERIFY(toasts(window)
                    .first()
                    ->findChild<QLabel*>("lb_show_tips")
                    ->text()
                    .startsWith("Could not open the fusion recording: "));
        QTRY_COMPARE(window.viewerType(), MainWidget::ViewerNone);
        QVERIFY(!window.fusionProcessor()->hasRecording());

        // Without its video, the same header plays as an event recording.
        openAndPlayThrough(window, fusionAlone);
        QCOMPARE(window.viewerType(), MainWidget::ViewerRawFile);
        QVERIFY(window.saveAsAction()->isVisible());
    }

    void openingARecordingResetsRangePositionAndDialogs()
    {
        // The second recording lies earlier and is shorter than the range left on the first.
        const QString first = m_dir->filePath("first.raw");
        const QString second = m_dir->filePath("second.raw");
        QVERIFY(RecordingSupport::writeRecording(first, RecordingSupport::tickEvents(200000, 1000000, 1000),
                                                 200000));
        QVERIFY(RecordingSupport::writeRecording(second, RecordingSupport::tickEvents(100000, 700000, 1000),
                                                 100000));
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        VxEventProcessor* engine = window.eventProcessor();
        openAndPlayThrough(window, first);

        window.findChild<QAction*>("action_toggle_start_end")->trigger();
        VxThreeHandleSlider* slider = window.timeSlider();
        auto drag = [slider](const QPoint& from, int dx) {
            QTest::mousePress(slider, Qt::LeftButton, {}, from);
            QTest::mouseMove(slider, from + QPoint(dx, 0));
            QTest::mouseRelease(slider, Qt::LeftButton, {}, from + QPoint(dx, 0));
        };
        // The position first, out of the way of the range handles.
        QTest::mouseClick(slider, Qt::LeftButton, {},
                          QPoint(int(slider->positionForValue(450000)), slider->height() / 2));
        drag(slider->upperHandleRect().center(), -slider->width() * 5 / 8);
        drag(slider->lowerHandleRect().center(), slider->width() / 4);
        QVERIFY2(slider->lowerValue() > 300000 && slider->upperValue() < 600000,
                 qPrintable(QString("%1 %2 %3")
                                .arg(slider->lowerValue())
                                .arg(slider->centerValue())
                                .arg(slider->upperValue())));

        openAndPlayThrough(window, second);
        QCOMPARE(slider->mode(), int(VxThreeHandleSlider::CenterAndRange));
        QCOMPARE(slider->minimum(), uint64_t(100000));
        QCOMPARE(slider->maximum(), uint64_t(700000));
        QCOMPARE(slider->lowerValue(), uint64_t(100000));
        QCOMPARE(slider->upperValue(), uint64_t(700000));
        QCOMPARE(engine->lowerTimestamp(), uint64_t(100000));
        QCOMPARE(engine->upperTimestamp(), uint64_t(700000));
        QCOMPARE(window.findChild<QLabel*>("label_time")->text(), QString("00:00:700000/00:00:700000"));

        uint64_t presetStart = 0;
        uint64_t presetEnd = 0;
        onNextDialog([&](VxRangeFileDialog* dialog) {
            presetStart = dialog->startTime();
            presetEnd = dialog->endTime();
            dialog->reject();
        });
        window.slotSaveAs();
        QCOMPARE(presetStart, uint64_t(100000));
        QCOMPARE(presetEnd, uint64_t(700000));

        // Looping plays the whole new recording over and over, the knob following.
        window.findChild<QPushButton*>("pb_loop")->click();
        MainThreadSpy position(engine, &VxEventProcessor::signalRealTimeTimeStamp);
        QTest::keyClick(&window, Qt::Key_Space);
        QTRY_VERIFY_WITH_TIMEOUT(position.count() > 30, 20000);
        bool wrapped = false;
        for (int i = 1; i < position.count(); ++i) {
            wrapped = wrapped ||
                      position.at(i).at(0).value<uint64_t>() < position.at(i - 1).at(0).value<uint64_t>();
        }
        QVERIFY(wrapped);
        QVERIFY(engine->isPlaying());
        QTRY_VERIFY(slider->centerValue() > 100000);
        QTest::keyClick(&window, Qt::Key_Space);
        QVERIFY(!engine->isPlaying());
    }

    void aSeekWhilePlayingGoesOnPlayingFromThere()
    {
        const QString path = m_dir->filePath("long.raw");
        QVERIFY(RecordingSupport::writeRecording(path, RecordingSupport::tickEvents(0, 20000000, 1000), 0));
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        VxEventProcessor* engine = window.eventProcessor();
        auto* play = window.findChild<QPushButton*>("pb_play");
        window.openRecording(path);
        QTRY_VERIFY_WITH_TIMEOUT(engine->isPlaying() && engine->currentTimestamp() > 0, 20000);
        // Wide margins: the machine may stall for seconds under load.
        QVERIFY(engine->currentTimestamp() < 7000000);

        VxThreeHandleSlider* slider = window.timeSlider();
        const QPoint target(int(slider->positionForValue(12000000)), slider->height() / 2);
        const uint64_t clicked = slider->valueForPosition(target.x());
        QTest::mouseClick(slider, Qt::LeftButton, {}, target);
        QVERIFY(engine->isPlaying());
        QVERIFY(play->isChecked());
        // Playback carries on from the clicked time, not from where it was.
        QTRY_VERIFY(engine->currentTimestamp() > clicked + engine->interval());
        QVERIFY(engine->currentTimestamp() < clicked + 5000000);
        QTRY_VERIFY(slider->centerValue() > clicked);

        // Paused, the window shows where the engine stands, and a step goes on from there.
        QTest::keyClick(&window, Qt::Key_Space);
        QVERIFY(!engine->isPlaying());
        const uint64_t paused = engine->currentTimestamp();
        QTRY_COMPARE(slider->centerValue(), paused);
        QTest::keyClick(&window, Qt::Key_Right);
        QCOMPARE(engine->currentTimestamp(), paused + engine->interval());
        QTRY_COMPARE(slider->centerValue(), paused + engine->interval());
        QTRY_COMPARE(window.findChild<QLabel*>("label_time")->text(),
                     MainWidget::timeText(paused + engine->interval()) + "/" +
                         MainWidget::timeText(20000000));
    }

    void stepsBackShowThePictureOfTheirTime()
    {
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        openAndPlayThrough(window, m_recording);
        auto* view = window.findChild<ShowImageForm*>("widget_show_image");
        VxEventProcessor* engine = window.eventProcessor();
        MainThreadSpy images(engine, &VxEventProcessor::signalEventImage);
        // What the view shows once the step's picture has arrived.
        auto press = [&](Qt::Key key) {
            const int before = images.count();
            QTest::keyClick(&window, key);
            // The view was connected first, so it holds the picture once the spy has it.
            const bool arrived = QTest::qWaitFor([&] { return images.count() > before; }, 20000);
            return arrived ? view->pixmap().toImage() : QImage();
        };
        const QImage one = press(Qt::Key_Right);
        const QImage two = press(Qt::Key_Right);
        const QImage three = press(Qt::Key_Right);
        QVERIFY(!one.isNull() && !two.isNull() && !three.isNull());
        QVERIFY(two != three);
        QVERIFY(press(Qt::Key_Left) == two);
        QVERIFY(press(Qt::Key_Left) == one);
        QCOMPARE(window.findChild<QLabel*>("label_time")->text().left(12),
                 MainWidget::timeText(kStart + engine->interval()));
    }

    void aRecordingThatDoesNotOpenLeavesNothingBehind()
    {
        const QString empty = m_dir->filePath("empty.raw");
        QVERIFY(QFile(empty).open(QIODevice::WriteOnly));
        const QString headerOnly = m_dir->filePath("header_only.raw");
        QVERIFY(RecordingSupport::writeRecording(headerOnly, {}, kStart));

        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        auto* play = window.findChild<QPushButton*>("pb_play");
        auto* view = window.findChild<ShowImageForm*>("widget_show_image");
        for (const QString& broken : {empty, headerOnly}) {
            openAndPlayThrough(window, m_recording);
            QTRY_VERIFY(view->pixmap().toImage() != blankPicture());
            qDeleteAll(toasts(window));

            QSignalSpy toggles(play, &QPushButton::toggled);
            window.openRecording(broken);
            QTRY_VERIFY_WITH_TIMEOUT(!toasts(window).isEmpty(), 20000);
            VxFilePathReminderForm* toast = toasts(window).first();
            QCOMPARE(toast->type(), VxMessageType::Error);
            const QString text = toast->findChild<QLabel*>("lb_show_tips")->text();
            QVERIFY2(text.startsWith("Could not open the recording: ") && text.length() > 40,
                     qPrintable(text));
            QTRY_VERIFY(view->pixmap().toImage() == blankPicture());
            QCOMPARE(window.viewerType(), MainWidget::ViewerNone);
            QVERIFY(!window.saveAsAction()->isVisible());
            QVERIFY(!window.cutRecordingAction()->isVisible());
            QVERIFY(!play->isEnabled());
            QVERIFY(!play->isChecked());
            for (const QList<QVariant>& args : toggles) {
                QVERIFY(!args.at(0).toBool());
            }
            QVERIFY(!window.timeSlider()->isEnabled());
            QCOMPARE(window.findChild<QLabel*>("label_time")->text(), QString("--/ --"));
            QVERIFY(window.findChild<QLabel*>("label_show_timestamp_info")->text().isEmpty());
            QVERIFY(window.findChild<QLabel*>("lb_status_bar")->text().isEmpty());
            QVERIFY(!window.eventProcessor()->hasFile());
            QTRY_VERIFY(!window.waitingWin()->isVisible());
        }
        QVERIFY(TestSupport::saveRender(&window, "MainWidget_load_failed"));
    }

    void theStatusLineDescribesTheRecordingAndThePixelUnderTheMouse()
    {
        // A VGA recording: one event a millisecond on row 0, plus pixel (10, 20) lit ON twice in
        // every millisecond and (639, 479) OFF once.
        std::vector<tarvo::Event2D> events;
        for (uint64_t t = 0; t <= 400000; t += 1000) {
            events.emplace_back(uint16_t(10), uint16_t(20), uint8_t(1), t);
            events.emplace_back(uint16_t(10), uint16_t(20), uint8_t(1), t + 1);
            events.emplace_back(uint16_t(639), uint16_t(479), uint8_t(0), t + 2);
        }
        RecordingSupport::Header vga;
        vga.width = 640;
        vga.height = 480;
        vga.dated = false;
        const QString path = m_dir->filePath("vga.raw");
        QVERIFY(RecordingSupport::writeRecording(path, events, 0, vga));

        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        openAndPlayThrough(window, path);
        QTest::keyClick(&window, Qt::Key_Right);
        auto* status = window.findChild<QLabel*>("lb_status_bar");
        // The picture at 33 333 µs shows the 33 330 µs up to it: 33 milliseconds of three events.
        QTRY_VERIFY2(status->text().contains("99 events shown"), qPrintable(status->text()));
        const uint64_t duration = window.timeSlider()->maximum() - window.timeSlider()->minimum();
        QVERIFY(duration > 399000);
        QVERIFY2(status->text().contains("640 × 480 px, " + MainWidget::timeText(duration) + " long"),
                 qPrintable(status->text()));
        QVERIFY2(status->text().contains("shown  |  3.0 kev/s"), qPrintable(status->text()));
        // No date in the header: no wall-clock time rather than 1970.
        QVERIFY(window.findChild<QLabel*>("label_show_timestamp_info")->text().isEmpty());

        // The picture is the recording's own area, fitted into the view.
        auto* view = window.findChild<ShowImageForm*>("widget_show_image");
        QTRY_COMPARE(view->pixmap().size(), QSize(640, 480));
        const QImage picture = view->pixmap().toImage();
        QCOMPARE(picture.pixelColor(10, 20), QColor(255, 255, 255));
        QCOMPARE(picture.pixelColor(639, 479), QColor(0, 0, 0));

        VxGraphicsView* graphics = view->view();
        QTest::mouseMove(graphics->viewport(), graphics->mapFromScene(QPointF(10.5, 20.5)));
        QTRY_VERIFY2(status->text().contains("x 10, y 20: 3 ON, 0 OFF"), qPrintable(status->text()));
        QTest::mouseMove(graphics->viewport(), graphics->mapFromScene(QPointF(639.5, 479.5)));
        QTRY_VERIFY2(status->text().contains("x 639, y 479: 0 ON, 3 OFF"), qPrintable(status->text()));
        QVERIFY(TestSupport::saveRender(&window, "MainWidget_status_line"));
    }

    void menuTitlesLetGoOfTheirHighlight()
    {
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        auto* file = window.findChild<QPushButton*>("pb_menu_file");
        // On a desktop the open menu holds the mouse, so the title never hears it leave: the
        // user picked an entry down in the menu, and the title still believes it is hovered.
        auto* timer = new QTimer(&window);
        timer->setInterval(20);
        connect(timer, &QTimer::timeout, &window, [timer, file] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) {
                return;
            }
            timer->stop();
            QCursor::setPos(menu->mapToGlobal(menu->rect().center()));
            file->setAttribute(Qt::WA_UnderMouse, true);
            menu->hide();
        });
        timer->start();
        QTest::mouseClick(file, Qt::LeftButton);
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QVERIFY(!file->underMouse());
        const QImage title = file->grab().toImage();
        QVERIFY(title.pixelColor(2, title.height() / 2) != QColor(0xD7, 0xE7, 0xEE));
    }

    void cutAndSaveAsGoThroughTheirDialogs()
    {
        AppConfig::instance()->setOutputRawFilePath(m_dir->path());
        AppConfig::instance()->setVideoSavePath(m_dir->path());
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
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

        // A range that cannot work is explained in a message box, and the dialog stays open for
        // a correction.
        QString explained;
        bool stillOpen = false;
        onNextDialog([&](VxRangeFileDialog* dialog) {
            dialog->setStartTime(kStart + 200000);
            dialog->setEndTime(kStart + 100000);
            closeNextMessageBox(&explained);
            QTest::mouseClick(dialog->findChild<QPushButton*>("pb_save"), Qt::LeftButton);
            stillOpen = dialog->isVisible();
            dialog->reject();
        });
        window.slotSaveAs();
        QCOMPARE(explained, QString("The start time lies after the end time."));
        QVERIFY(stillOpen);
        QCOMPARE(exports.count(), 0);
    }

    void dialogsExplainWhatKeepsThemFromWorking()
    {
        QTemporaryDir target;
        VxCutRawFile dialog;
        dialog.setRecordingRange(kStart, kEnd);
        dialog.setStartTime(kStart);
        dialog.setEndTime(kEnd);
        dialog.setDirectory(target.path());
        dialog.setFileName("part.raw");
        QCOMPARE(dialog.inputProblem(), QString());

        dialog.setEndTime(kStart);
        QCOMPARE(dialog.inputProblem(), QString("The range is empty: the start time equals the end time."));
        dialog.setEndTime(kEnd + 1);
        QCOMPARE(dialog.inputProblem(),
                 QString("The range must lie within the recording, from 2000000 to 2300000 µs."));
        dialog.setEndTime(kEnd);
        // Letters cannot be typed into a time field; text put there otherwise is refused.
        auto* start = dialog.findChild<QLineEdit*>("le_start_time");
        start->clear();
        QTest::keyClicks(start, "12ab-3");
        QCOMPARE(start->text(), QString("123"));
        start->setText("soon");
        QCOMPARE(dialog.inputProblem(), QString("The start time must be a whole number of microseconds."));
        dialog.setStartTime(kStart);
        QCOMPARE(dialog.findChild<QLabel*>("lb_start_time_unit")->text(), QString("µs"));

        dialog.setDirectory(target.filePath("missing"));
        QCOMPARE(dialog.inputProblem(),
                 QString("The folder %1 does not exist.").arg(target.filePath("missing")));
        const QString locked = target.filePath("locked");
        QVERIFY(QDir().mkdir(locked));
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
        dialog.setDirectory(locked);
        if (QFileInfo(locked).isWritable()) {
            qInfo("Running as root, who writes into read-only folders: not checked.");
        } else {
            QCOMPARE(dialog.inputProblem(), QString("The folder %1 is read-only.").arg(locked));
        }
        dialog.setDirectory(target.path());
        dialog.setFileName("  ");
        QCOMPARE(dialog.inputProblem(), QString("Enter a file name (without a folder)."));
    }

    void stepButtonsMoveTheTimesWithinTheRecording()
    {
        VxExportVideoUI dialog;
        dialog.setRecordingRange(kStart, kEnd);
        dialog.setStartTime(kStart);
        dialog.setEndTime(kEnd);
        auto click = [&](const char* name) {
            QTest::mouseClick(dialog.findChild<QPushButton*>(name), Qt::LeftButton);
        };
        click("pb_start_time_plus");
        QCOMPARE(dialog.startTime(), kStart + 100000);
        click("pb_start_time_sub");
        click("pb_start_time_sub");
        QCOMPARE(dialog.startTime(), kStart);
        click("pb_end_time_plus");
        QCOMPARE(dialog.endTime(), kEnd);
        click("pb_end_time_sub");
        QCOMPARE(dialog.endTime(), kEnd - 100000);
        dialog.findChild<QLineEdit*>("le_end_time")->clear();
        click("pb_end_time_plus");
        QCOMPARE(dialog.endTime(), kStart);
    }

    void sideBarShowsOnePanelAtATime()
    {
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        auto* camera = window.findChild<QPushButton*>("pb_fold_setting");
        auto* area = window.findChild<QWidget*>("frame_setting");
        auto* cameraPanel = window.findChild<QWidget*>("panel_camera_setting");
        // Without a camera there are no sensor settings: their buttons stay out of sight.
        QVERIFY(!window.findChild<QPushButton*>("pb_fold_dvs_setting")->isVisible());
        QVERIFY(!window.findChild<QPushButton*>("pb_fold_aps_setting")->isVisible());
        QVERIFY(window.findChild<QWidget*>("panel_dvs_setting"));
        const int folded = area->width();
        QVERIFY(folded < 100);
        QTest::mouseClick(camera, Qt::LeftButton);
        QVERIFY(cameraPanel->isVisible());
        QTRY_COMPARE(area->width(), 500);
        QVERIFY(TestSupport::saveRender(&window, "MainWidget_side_panel"));
        window.on_pb_fold_dvs_setting_clicked(true);
        QVERIFY(!cameraPanel->isVisible());
        QVERIFY(!camera->isChecked());
        window.on_pb_fold_dvs_setting_clicked(false);
        QTRY_COMPARE(area->width(), folded);

        // The stream shown steps DVS, APS, fused and back; without a camera there is no choice.
        QVERIFY(!window.findChild<QPushButton*>("pb_viewer_type")->isEnabled());
        QSignalSpy types(&window, &MainWidget::signalSetViewerShowType);
        for (int i = 0; i < 3; ++i) {
            window.on_pb_viewer_type_clicked();
        }
        QCOMPARE(types.count(), 3);
        QCOMPARE(types.at(0).at(0).value<tarvo::STREAM_TYPE>(), tarvo::APS_STREAM);
        QCOMPARE(types.at(1).at(0).value<tarvo::STREAM_TYPE>(), tarvo::DVS_APS_STREAM);
        QCOMPARE(types.at(2).at(0).value<tarvo::STREAM_TYPE>(), tarvo::DVS_STREAM);
    }

    void dialogsOfTheWindowShowTheirCloseButton()
    {
        // The window's own title-bar rules must not reach the dialogs it opens.
        MainWidget window;
        QVERIFY(TestSupport::showMainWindow(window));
        VxExportVideoUI exportDialog(&window);
        VXMessageBox box("Message", "Tips", "OK", "Close", &window);
        for (QDialog* dialog : {static_cast<QDialog*>(&exportDialog), static_cast<QDialog*>(&box)}) {
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            auto* close = dialog->findChild<QPushButton*>("pb_win_close");
            const QImage button = close->grab().toImage();
            int white = 0;
            for (int y = 0; y < button.height(); ++y) {
                for (int x = 0; x < button.width(); ++x) {
                    white += button.pixelColor(x, y).lightness() > 200 ? 1 : 0;
                }
            }
            QVERIFY2(white > 10, qPrintable(dialog->metaObject()->className()));
            dialog->hide();
        }
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
